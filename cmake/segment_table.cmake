# The packed files' names and lengths, in table order, as the native hdgr-pack lists them
# from package/segment_table.h, so the table is written down once, in the code:
#   hdgr_segment_table(NAMES_VAR LENGTHS_VAR)
function(hdgr_segment_table names_out lengths_out)
  if(NOT HDGR_HOST_TOOLS_DIR)
    message(FATAL_ERROR "HDGR_HOST_TOOLS_DIR is empty: set it to the native build's bin folder, "
                        "which holds hdgr-pack (e.g. -DHDGR_HOST_TOOLS_DIR=build/native/bin)")
  endif()
  set(hdgr_pack ${HDGR_HOST_TOOLS_DIR}/hdgr-pack)
  if(NOT EXISTS ${hdgr_pack})
    message(FATAL_ERROR "${hdgr_pack} does not exist: build the native tree first")
  endif()
  execute_process(COMMAND ${hdgr_pack} segments OUTPUT_VARIABLE listing ERROR_VARIABLE problem
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${hdgr_pack} segments failed (${failed}): ${problem}")
  endif()
  # A rebuilt packer may hold another table.
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${hdgr_pack})

  set(names "")
  set(lengths "")
  string(REGEX MATCHALL "[^\n]+" lines "${listing}")
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "^([^ ]+) ([0-9]+)$")
      message(FATAL_ERROR "${hdgr_pack} segments: unexpected line '${line}'")
    endif()
    list(APPEND names ${CMAKE_MATCH_1})
    list(APPEND lengths ${CMAKE_MATCH_2})
  endforeach()
  set(${names_out} ${names} PARENT_SCOPE)
  set(${lengths_out} ${lengths} PARENT_SCOPE)
endfunction()
