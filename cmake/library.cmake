# hdgr_library(name dir deps...): a static library of the .cpp files in dir.
function(hdgr_library name dir)
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARGN})
  hdgr_warnings(${name})
endfunction()
