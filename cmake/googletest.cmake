# GoogleTest from Debian's source package, built with whichever compiler this build uses,
# so the same tests link natively and in the MinGW-w64 cross build.
set(HDGR_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
if(EXISTS ${HDGR_GOOGLETEST_SOURCE}/CMakeLists.txt)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  add_subdirectory(${HDGR_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  message(FATAL_ERROR "GoogleTest sources not found at ${HDGR_GOOGLETEST_SOURCE}: apt-get install googletest")
endif()
