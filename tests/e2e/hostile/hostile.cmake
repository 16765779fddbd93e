# Programs that play another user of the machine against the setup: a swapper that wants
# its program started in place of the installer, a forger that posts the setup's window
# what it never asked for, DLLs planted beside the package, and the yardstick program
# that imports only the DLLs Windows always takes from System32.
add_executable(hdgr_swapper WIN32 ${CMAKE_CURRENT_LIST_DIR}/swapper.c)
target_link_libraries(hdgr_swapper PRIVATE shell32)
target_link_options(hdgr_swapper PRIVATE -municode)
add_executable(hdgr_forger WIN32 ${CMAKE_CURRENT_LIST_DIR}/forger.c)
target_link_libraries(hdgr_forger PRIVATE shell32 user32)
target_link_options(hdgr_forger PRIVATE -municode)

# Each marker DLL leaves a file named after itself when a process loads it.
set(hdgr_planted_dir ${CMAKE_CURRENT_BINARY_DIR}/planted)
set(hdgr_planted_names version uxtheme dwmapi cryptbase bcrypt comctl32 userenv propsys msvcrt)
foreach(name IN LISTS hdgr_planted_names)
  add_library(hdgr_planted_${name} SHARED ${CMAKE_CURRENT_LIST_DIR}/marker_dll.c)
  set_target_properties(hdgr_planted_${name} PROPERTIES OUTPUT_NAME ${name} PREFIX ""
                        RUNTIME_OUTPUT_DIRECTORY ${hdgr_planted_dir} ARCHIVE_OUTPUT_DIRECTORY ${hdgr_planted_dir}/lib)
  target_compile_definitions(hdgr_planted_${name} PRIVATE MARKER_NAME=L"${name}")
  target_link_options(hdgr_planted_${name} PRIVATE -nostdlib -Wl,--entry,DllMain)
  target_link_libraries(hdgr_planted_${name} PRIVATE kernel32)
  add_dependencies(hdgr_e2e_tests hdgr_planted_${name})
endforeach()

add_executable(hdgr_planted_calibration WIN32 ${CMAKE_CURRENT_LIST_DIR}/calibration.c
                                              ${CMAKE_SOURCE_DIR}/app/load_config.cpp)
target_link_libraries(hdgr_planted_calibration PRIVATE shell32)
target_link_options(hdgr_planted_calibration PRIVATE -municode)
add_custom_command(TARGET hdgr_planted_calibration POST_BUILD
                   COMMAND ${HDGR_HOST_TOOLS_DIR}/hdgr-pe attach-load-config $<TARGET_FILE:hdgr_planted_calibration>
                   VERBATIM)

string(REPLACE ";" "|" hdgr_planted_list "${hdgr_planted_names}")
target_compile_definitions(hdgr_e2e_tests PRIVATE HDGR_SWAPPER_EXE="$<TARGET_FILE:hdgr_swapper>"
                                                  HDGR_FORGER_EXE="$<TARGET_FILE:hdgr_forger>"
                                                  HDGR_PLANTED_DIR="${hdgr_planted_dir}"
                                                  HDGR_PLANTED_NAMES="${hdgr_planted_list}"
                                                  HDGR_PLANTED_CALIBRATION="$<TARGET_FILE:hdgr_planted_calibration>")
add_dependencies(hdgr_e2e_tests hdgr_swapper hdgr_forger hdgr_planted_calibration)

# The package imports only DLLs that Windows always takes from System32, and its load
# configuration asks for its imports' own imports from System32 too; no imported function is one
# a Known DLL forwards to a DLL that is not known.
add_test(NAME PackageImportsOnlySystemDlls
         COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/imports.sh ${HDGR_HOST_TOOLS_DIR}/hdgr-pe $<TARGET_FILE:hdgr_setup>
                 ${CMAKE_CURRENT_LIST_DIR}/forwarded_imports.txt)
set_tests_properties(PackageImportsOnlySystemDlls PROPERTIES LABELS wine ENVIRONMENT "OBJDUMP=${CMAKE_OBJDUMP}")
