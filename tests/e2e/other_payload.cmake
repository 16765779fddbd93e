# A second setup program packed from four other files of the payload's lengths: the same
# program (compiled with the same table) and packer, another carrier and other digests. Its
# Setup.exe is the installer stand-in with other padding bytes, so it still starts; the
# others are random.
set(other ${CMAKE_CURRENT_BINARY_DIR}/other_payload)
set(segment_names ${HDGR_PACKED_NAMES})
set(segment_lengths ${HDGR_PACKED_LENGTHS})
set(other_files "")
set(make_other_files "")
foreach(name length IN ZIP_LISTS segment_names segment_lengths)
  list(APPEND other_files ${other}/${name})
  if(name STREQUAL "Setup.exe")
    # Only the padding changes: the last 4 KiB lie far beyond the stand-in's own bytes.
    math(EXPR padding_at "${length} - 4096")
    list(APPEND make_other_files
         COMMAND ${CMAKE_COMMAND} -E copy ${HDGR_DEMO_INSTALLER_EXE} ${other}/${name}
         COMMAND sh -c "head -c 4096 /dev/urandom | dd of=${other}/${name} bs=1 seek=${padding_at} conv=notrunc status=none")
  else()
    list(APPEND make_other_files COMMAND sh -c "head -c ${length} /dev/urandom > ${other}/${name}")
  endif()
endforeach()
add_custom_command(OUTPUT ${other_files}
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${other}
                   ${make_other_files}
                   DEPENDS ${HDGR_DEMO_INSTALLER_EXE} VERBATIM)
set(other_carrier ${other}/carrier.bmp)
set(other_digests ${other}/payload_digests.cpp)
add_custom_command(OUTPUT ${other_carrier} ${other_digests}
                   COMMAND ${HDGR_HOST_TOOLS_DIR}/hdgr-pack build --out ${other_carrier} ${other_files}
                           --digests-source ${other_digests}
                   DEPENDS ${other_files} ${HDGR_HOST_TOOLS_DIR}/hdgr-pack VERBATIM)
add_library(hdgr_other_payload_digests STATIC ${other_digests})
target_link_libraries(hdgr_other_payload_digests PUBLIC hdgr_package)
add_dependencies(hdgr_other_payload_digests hdgr_demo_payload)

hdgr_setup_program(hdgr_setup_other_payload CARRIER ${other_carrier} DIGESTS hdgr_other_payload_digests)

string(REPLACE ";" "|" other_file_list "${other_files}")
target_compile_definitions(hdgr_e2e_tests PRIVATE HDGR_OTHER_SETUP_EXE="$<TARGET_FILE:hdgr_setup_other_payload>"
                                                  HDGR_OTHER_PAYLOAD_FILES="${other_file_list}")
add_dependencies(hdgr_e2e_tests hdgr_setup_other_payload)
