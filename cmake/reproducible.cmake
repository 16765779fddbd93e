# Every PE this build links carries the commit's time rather than the link's, so the same
# commit and payload give the same bytes from any folder and any number of rebuilds.
# SOURCE_DATE_EPOCH from the environment wins; without git, a fixed time.
set(HDGR_FIXED_EPOCH 315532800)  # 1980-01-01, the earliest time a zip or cabinet can hold

function(hdgr_source_date_epoch out)
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(${out} $ENV{SOURCE_DATE_EPOCH} PARENT_SCOPE)
    return()
  endif()
  execute_process(COMMAND git -C ${CMAKE_SOURCE_DIR} log -1 --format=%ct
                  OUTPUT_VARIABLE epoch RESULT_VARIABLE failed OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(failed OR NOT epoch MATCHES "^[0-9]+$")
    set(epoch ${HDGR_FIXED_EPOCH})
  else()
    # A new commit reconfigures, so the next link takes its time.
    execute_process(COMMAND git -C ${CMAKE_SOURCE_DIR} rev-parse --git-path HEAD --symbolic-full-name HEAD
                    OUTPUT_VARIABLE lines OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    string(REPLACE "\n" ";" lines "${lines}")
    list(GET lines 0 head)
    set(watched ${head})
    list(LENGTH lines count)
    if(count GREATER 1)
      list(GET lines 1 ref)
      execute_process(COMMAND git -C ${CMAKE_SOURCE_DIR} rev-parse --git-path ${ref} --git-path packed-refs
                      OUTPUT_VARIABLE ref_files OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      string(REPLACE "\n" ";" ref_files "${ref_files}")
      list(APPEND watched ${ref_files})
    endif()
    foreach(file IN LISTS watched)
      get_filename_component(file ${file} ABSOLUTE BASE_DIR ${CMAKE_SOURCE_DIR})
      if(EXISTS ${file})
        set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
      endif()
    endforeach()
  endif()
  set(${out} ${epoch} PARENT_SCOPE)
endfunction()

if(WIN32)
  hdgr_source_date_epoch(HDGR_SOURCE_DATE_EPOCH)
  message(STATUS "PE timestamps: ${HDGR_SOURCE_DATE_EPOCH}")
  # binutils' PE linker takes the image's time stamp (and so its checksum) from it.
  foreach(lang C CXX)
    set(CMAKE_${lang}_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${HDGR_SOURCE_DATE_EPOCH})
  endforeach()
endif()

# Sources are named by their path from the checkout wherever the program names one (a
# run-time error notes where it was met, for the log): no build machine's path in a
# program, and the same bytes from any folder.
add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-fmacro-prefix-map=${CMAKE_SOURCE_DIR}/=>)
