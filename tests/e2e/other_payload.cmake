# A second setup program packed from four other files of the payload's lengths, as a
# publisher's HDGR_PAYLOAD_DIR gives them: the same program sources and packer, another
# carrier and other digests. Its Setup.exe is the installer stand-in with other padding
# bytes, so it still starts; the others are random.
set(other ${CMAKE_CURRENT_BINARY_DIR}/other_payload)
# Names and lengths from the segment table itself.
file(STRINGS ${CMAKE_SOURCE_DIR}/package/segment_table.h segment_lines REGEX "^ *{\"[^\"]+\", [0-9']+},$")
set(other_files "")
set(make_other_files "")
foreach(line IN LISTS segment_lines)
  string(REGEX REPLACE "^ *{\"([^\"]+)\", ([0-9']+)},$" "\\1;\\2" entry "${line}")
  list(GET entry 0 name)
  list(GET entry 1 length)
  string(REPLACE "'" "" length "${length}")
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
                   DEPENDS ${other_files} VERBATIM)
add_library(hdgr_other_payload_digests STATIC ${other_digests})
target_link_libraries(hdgr_other_payload_digests PUBLIC hdgr_package)
add_dependencies(hdgr_other_payload_digests hdgr_demo_payload)

# The program's resources as app/ builds them, with the other carrier.
set(HDGR_SETUP_NAME hdGR_${PROJECT_VERSION_MAJOR}_${PROJECT_VERSION_MINOR}_Setup)
set(HDGR_VERSION_TEXT ${PROJECT_VERSION_MAJOR}.0${PROJECT_VERSION_MINOR})
set(HDGR_ICON_FILE ${CMAKE_BINARY_DIR}/app/generated/setup.ico)
set(HDGR_LOGO_FILE ${CMAKE_BINARY_DIR}/app/generated/logo.bmp)
set(HDGR_MANIFEST_FILE ${CMAKE_BINARY_DIR}/app/generated/setup.manifest)
set(HDGR_CARRIER_BMP ${other_carrier})
configure_file(${CMAKE_SOURCE_DIR}/app/setup.rc.in ${other}/setup.rc @ONLY)
set_source_files_properties(${other}/setup.rc PROPERTIES OBJECT_DEPENDS "${other_carrier}")
add_executable(hdgr_setup_other_payload WIN32 ${CMAKE_SOURCE_DIR}/app/main.cpp ${CMAKE_SOURCE_DIR}/app/setup_program.cpp
                                              ${CMAKE_SOURCE_DIR}/app/load_config.cpp ${other}/setup.rc)
target_include_directories(hdgr_setup_other_payload PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(hdgr_setup_other_payload PRIVATE hdgr_setup_window hdgr_window_win32 hdgr_platform_win32
                      hdgr_other_payload_digests)
target_link_options(hdgr_setup_other_payload PRIVATE -municode -Wl,--file-alignment,4096)
add_dependencies(hdgr_setup_other_payload hdgr_setup)  # its icon, logo and manifest
add_custom_command(TARGET hdgr_setup_other_payload POST_BUILD
                   COMMAND ${HDGR_HOST_TOOLS_DIR}/hdgr-pe attach-load-config $<TARGET_FILE:hdgr_setup_other_payload>
                   VERBATIM)

string(REPLACE ";" "|" other_file_list "${other_files}")
target_compile_definitions(hdgr_e2e_tests PRIVATE HDGR_OTHER_SETUP_EXE="$<TARGET_FILE:hdgr_setup_other_payload>"
                                                  HDGR_OTHER_PAYLOAD_FILES="${other_file_list}")
add_dependencies(hdgr_e2e_tests hdgr_setup_other_payload)
