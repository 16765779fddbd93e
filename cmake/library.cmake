# hdgr_library(name dir deps...): a static library of the .cpp files in dir, which shows its
# own headers and those of `deps` (cmake/layers.cmake).
function(hdgr_library name dir)
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  add_library(${name} STATIC ${sources})
  file(RELATIVE_PATH folder ${CMAKE_SOURCE_DIR} ${dir})
  hdgr_show_headers(${name} PUBLIC ${folder})
  target_link_libraries(${name} PUBLIC ${ARGN})
  hdgr_warnings(${name})
endfunction()
