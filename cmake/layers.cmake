# Each library sees its own headers and those of the libraries it links, nothing else: its
# include path is a folder of its own in the build tree that shows its source folder's
# headers under their usual names ("package/sha256.h"), as links to them. An include of a
# layer above, of a layer beside it, or of a private header then fails to compile
# (tests/layers checks that it does). The top (the program, the tools, tests and benchmarks)
# shows its folder with everything under it.

set(HDGR_SHOWN_HEADERS ${CMAKE_BINARY_DIR}/shown_headers)

# hdgr_show_headers(target scope folder): the headers directly in `folder` (relative to the
# source root; not those of its subfolders, which are layers of their own) on the include
# path of `target`.
function(hdgr_show_headers target scope folder)
  set(shown ${HDGR_SHOWN_HEADERS}/${target}/${folder})
  file(MAKE_DIRECTORY ${shown})
  # Links to headers that are gone would still compile.
  file(GLOB stale LIST_DIRECTORIES false ${shown}/*)
  if(stale)
    file(REMOVE ${stale})
  endif()
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.h)
  foreach(header IN LISTS headers)
    get_filename_component(name ${header} NAME)
    file(CREATE_LINK ${header} ${shown}/${name} SYMBOLIC)
  endforeach()
  target_include_directories(${target} ${scope} ${HDGR_SHOWN_HEADERS}/${target})
endfunction()

# hdgr_show_tree(target scope folder): `folder` with everything under it.
function(hdgr_show_tree target scope folder)
  set(shown ${HDGR_SHOWN_HEADERS}/${target}/${folder})
  get_filename_component(parent ${shown} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  if(NOT IS_SYMLINK ${shown})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${shown} SYMBOLIC)
  endif()
  target_include_directories(${target} ${scope} ${HDGR_SHOWN_HEADERS}/${target})
endfunction()
