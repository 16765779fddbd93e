# The next releases, built as a publisher builds one (scripts/build-package.sh): the whole
# build once more, from a folder of four files of other lengths and another version, so
# that the lengths, the carrier's size and the version are compiled in anew. "small" packs
# less than the design's carrier holds; "tall" needs a carrier taller than its 2000 rows,
# and has a two-digit minor version. The installer and the product are the stand-ins padded
# to the lengths (the installer still starts), the cabinet and the list random bytes.
option(HDGR_E2E_NEXT_RELEASES "Build the next releases' packages that the end-to-end tests run" ON)
if(NOT HDGR_E2E_NEXT_RELEASES)
  return()
endif()
include(ExternalProject)
set(HDGR_NESTED_JOBS 2 CACHE STRING "Jobs of each next release's own build")

# hdgr_next_release(NAME VERSION SETUP_LENGTH CABINET_LENGTH LIST_LENGTH PROGRAM_LENGTH)
# Sets HDGR_NEXT_<NAME>_EXE and HDGR_NEXT_<NAME>_PAYLOAD (the files, "|" between them).
function(hdgr_next_release name version setup_length cabinet_length list_length program_length)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/next_${name})
  set(payload ${dir}/payload)
  set(hdgr_pack ${HDGR_HOST_TOOLS_DIR}/hdgr-pack)
  set(files ${payload}/Setup.exe ${payload}/HaldenGrid.CAB ${payload}/Setup.LST ${payload}/HaldenGrid.exe)
  add_custom_command(OUTPUT ${files}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${payload}
                     COMMAND ${hdgr_pack} pad --length ${setup_length} $<TARGET_FILE:hdgr_demo_installer>
                             ${payload}/Setup.exe
                     COMMAND sh -c "head -c ${cabinet_length} /dev/urandom > ${payload}/HaldenGrid.CAB"
                     COMMAND sh -c "head -c ${list_length} /dev/urandom > ${payload}/Setup.LST"
                     COMMAND ${hdgr_pack} pad --length ${program_length} $<TARGET_FILE:hdgr_demo_product>
                             ${payload}/HaldenGrid.exe
                     DEPENDS hdgr_demo_installer hdgr_demo_product ${hdgr_pack} VERBATIM)
  add_custom_target(hdgr_next_${name}_payload DEPENDS ${files})

  string(REPLACE "." ";" parts ${version})
  list(GET parts 0 major)
  list(GET parts 1 minor)
  set(exe ${dir}/build/app/hdGR_${major}_${minor}_Setup.exe)
  # Its own build runs every time (it is quick when nothing changed): it follows the sources.
  ExternalProject_Add(hdgr_next_${name}
                      SOURCE_DIR ${CMAKE_SOURCE_DIR}
                      BINARY_DIR ${dir}/build
                      STAMP_DIR ${dir}/stamp
                      CMAKE_GENERATOR ${CMAKE_GENERATOR}
                      CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
                                 -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
                                 -DHDGR_HOST_TOOLS_DIR=${HDGR_HOST_TOOLS_DIR}
                                 -DHDGR_PAYLOAD_DIR=${payload}
                                 -DHDGR_PACKAGE_VERSION=${version}
                                 -DHDGR_WERROR=${HDGR_WERROR}
                                 -DHDGR_E2E_NEXT_RELEASES=OFF
                      BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target hdgr_setup
                                    --parallel ${HDGR_NESTED_JOBS}
                      INSTALL_COMMAND ""
                      BUILD_ALWAYS ON
                      BUILD_BYPRODUCTS ${exe}
                      # One at a time, beside at most the jobs of this build.
                      USES_TERMINAL_CONFIGURE ON
                      USES_TERMINAL_BUILD ON
                      DEPENDS hdgr_next_${name}_payload)

  # hdgr-pack check reads the carrier as the files' table gives it: rows, headers, and each
  # file's digest, which must be the file's own.
  add_test(NAME hdgr_next_${name}_carrier
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/next_release_carrier.sh ${hdgr_pack}
                   ${dir}/build/demo_payload/carrier.bmp ${files})
  set_tests_properties(hdgr_next_${name}_carrier PROPERTIES LABELS release)

  string(TOUPPER ${name} upper)
  string(REPLACE ";" "|" file_list "${files}")
  set(HDGR_NEXT_${upper}_EXE ${exe} PARENT_SCOPE)
  set(HDGR_NEXT_${upper}_PAYLOAD ${file_list} PARENT_SCOPE)
endfunction()

hdgr_next_release(small 3.5.0 61447 1234567 4321 700001)
# 7,193,461 bytes: 2398 rows.
hdgr_next_release(tall 3.10.0 70001 7000000 3 123457)

target_compile_definitions(hdgr_e2e_tests PRIVATE
                           HDGR_NEXT_SMALL_EXE="${HDGR_NEXT_SMALL_EXE}" HDGR_NEXT_SMALL_PAYLOAD="${HDGR_NEXT_SMALL_PAYLOAD}"
                           HDGR_NEXT_TALL_EXE="${HDGR_NEXT_TALL_EXE}" HDGR_NEXT_TALL_PAYLOAD="${HDGR_NEXT_TALL_PAYLOAD}")
add_dependencies(hdgr_e2e_tests hdgr_next_small hdgr_next_tall)
