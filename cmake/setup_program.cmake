# A setup program for a carrier and the digests of the files it packs:
#   hdgr_setup_program(TARGET CARRIER carrier.bmp DIGESTS digests_library [OUTPUT_NAME name])
# app/ builds the package with it, the end-to-end tests a second program from other files.

# The package's file name; its version text reads major.minor with two minor digits: 3.4 is "3.04".
set(HDGR_SETUP_NAME hdGR_${HDGR_PACKAGE_MAJOR}_${HDGR_PACKAGE_MINOR}_Setup)
if(HDGR_PACKAGE_MINOR LESS 10)
  set(HDGR_VERSION_TEXT ${HDGR_PACKAGE_MAJOR}.0${HDGR_PACKAGE_MINOR})
else()
  set(HDGR_VERSION_TEXT ${HDGR_PACKAGE_MAJOR}.${HDGR_PACKAGE_MINOR})
endif()

# Signing on Linux with a publisher's certificate (scripts/sign-package.sh), after the
# strip, at every link. An option left empty falls back to the environment variable of the
# same name when the link runs; the password comes from HDGR_SIGN_PASSWORD or a file, so
# CMake never keeps it. Without a certificate the package stays unsigned.
set(HDGR_SIGN_PKCS12 "" CACHE FILEPATH "PKCS#12 file to sign the package with")
set(HDGR_SIGN_CERT "" CACHE FILEPATH "PEM certificate (chain) to sign the package with, beside HDGR_SIGN_KEY")
set(HDGR_SIGN_KEY "" CACHE FILEPATH "PEM private key of HDGR_SIGN_CERT")
set(HDGR_SIGN_PASSWORD_FILE "" CACHE FILEPATH "File holding the password of the PKCS#12 file or the key")
set(HDGR_SIGN_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamping server to countersign with")
set(HDGR_SIGN_CAFILE "" CACHE FILEPATH "Roots the signature is verified against; empty: the system's")
set(HDGR_SIGNING_SETTINGS "")
foreach(setting PKCS12 CERT KEY PASSWORD_FILE TIMESTAMP_URL CAFILE)
  if(HDGR_SIGN_${setting})
    list(APPEND HDGR_SIGNING_SETTINGS HDGR_SIGN_${setting}=${HDGR_SIGN_${setting}})
  endif()
endforeach()
# Other settings sign the programs anew.
set(HDGR_SIGNING_SETTINGS_FILE ${CMAKE_BINARY_DIR}/signing_settings.txt)
file(CONFIGURE OUTPUT ${HDGR_SIGNING_SETTINGS_FILE} CONTENT "${HDGR_SIGNING_SETTINGS}\n")

function(hdgr_setup_program target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "CARRIER;DIGESTS;OUTPUT_NAME" "")
  if(NOT arg_CARRIER OR NOT arg_DIGESTS OR arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "hdgr_setup_program(${target} CARRIER carrier.bmp DIGESTS library [OUTPUT_NAME name])")
  endif()
  if(NOT HDGR_HOST_TOOLS_DIR)
    message(FATAL_ERROR "HDGR_HOST_TOOLS_DIR must name the native build's bin folder (hdgr-icon, hdgr-pe)")
  endif()
  set(app ${CMAKE_SOURCE_DIR}/app)

  # The resources; setup.rc.in reads these names.
  set(generated ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources)
  set(HDGR_ICON_FILE ${generated}/setup.ico)
  set(HDGR_LOGO_FILE ${generated}/logo.bmp)
  set(HDGR_MANIFEST_FILE ${generated}/setup.manifest)
  set(HDGR_CARRIER_BMP ${arg_CARRIER})
  add_custom_command(OUTPUT ${HDGR_ICON_FILE} ${HDGR_LOGO_FILE}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}
                     COMMAND ${HDGR_HOST_TOOLS_DIR}/hdgr-icon icon ${HDGR_ICON_FILE}
                     COMMAND ${HDGR_HOST_TOOLS_DIR}/hdgr-icon logo ${HDGR_LOGO_FILE}
                     DEPENDS ${HDGR_HOST_TOOLS_DIR}/hdgr-icon
                     COMMENT "Drawing the icon and the logo of ${target}")
  configure_file(${app}/setup.manifest.in ${HDGR_MANIFEST_FILE} @ONLY)
  configure_file(${app}/setup.rc.in ${generated}/setup.rc @ONLY)
  set_source_files_properties(${generated}/setup.rc PROPERTIES
    OBJECT_DEPENDS "${HDGR_ICON_FILE};${HDGR_LOGO_FILE};${HDGR_MANIFEST_FILE};${HDGR_CARRIER_BMP}")
  # Tests that make the window in their own process take the same resources.
  set(hdgr_resources_file ${generated}/setup.rc)

  add_executable(${target} WIN32 ${app}/main.cpp ${app}/setup_program.cpp ${app}/load_config.cpp ${app}/stack_guard.cpp
                           ${generated}/setup.rc)
  set(output_name ${target})
  if(arg_OUTPUT_NAME)
    set(output_name ${arg_OUTPUT_NAME})
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${output_name})
  endif()
  hdgr_show_headers(${target} PRIVATE app)
  target_link_libraries(${target} PRIVATE hdgr_flows hdgr_setup_window hdgr_window_win32 hdgr_platform_win32 ${arg_DIGESTS})
  # Sections aligned to pages in the file too: Wine then maps the image, the 6 MB carrier
  # among it, from the file as Windows does, instead of copying it into private memory.
  target_link_options(${target} PRIVATE -municode -Wl,--file-alignment,4096)
  # The oldest Windows it declares is the oldest it loads on: its imports need Windows 8
  # (GetSystemTimePreciseAsFileTime, SetDefaultDllDirectories). Aware of terminal servers,
  # so the system does not redirect its folders and settings per session.
  target_link_options(${target} PRIVATE -Wl,--tsaware -Wl,--major-subsystem-version,6 -Wl,--minor-subsystem-version,2
                      -Wl,--major-os-version,6 -Wl,--minor-os-version,2)
  hdgr_warnings(${target})
  # Like the libraries on the extractor's path (top-level CMakeLists.txt).
  if(CMAKE_BUILD_TYPE STREQUAL "Release")
    set_property(TARGET ${target} PROPERTY INTERPROCEDURAL_OPTIMIZATION ON)
  endif()

  # After the link, in this order; the signature last, since any later change breaks it.
  # This linker does not fill in the load configuration directory itself.
  add_custom_command(TARGET ${target} POST_BUILD
                     COMMAND ${HDGR_HOST_TOOLS_DIR}/hdgr-pe attach-load-config $<TARGET_FILE:${target}>
                     VERBATIM)
  # Shipped stripped; its symbols stay beside it for crash reports, named by the program's
  # debug link. Stripping copies the resources, the carrier among them, as they are; objcopy
  # stamps the image anew, so it takes the link's time too.
  set(symbols ${CMAKE_CURRENT_BINARY_DIR}/${output_name}.debug)
  set(objcopy ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${HDGR_SOURCE_DATE_EPOCH} ${CMAKE_OBJCOPY})
  add_custom_command(TARGET ${target} POST_BUILD
                     COMMAND ${objcopy} --only-keep-debug $<TARGET_FILE:${target}> ${symbols}
                     COMMAND ${objcopy} --strip-all --add-gnu-debuglink=${symbols} $<TARGET_FILE:${target}>
                     BYPRODUCTS ${symbols}
                     VERBATIM)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${HDGR_SIGNING_SETTINGS_FILE})
  add_custom_command(TARGET ${target} POST_BUILD
                     COMMAND ${CMAKE_COMMAND} -E env ${HDGR_SIGNING_SETTINGS}
                             ${CMAKE_SOURCE_DIR}/scripts/sign-package.sh $<TARGET_FILE:${target}>
                     VERBATIM)
  set_target_properties(${target} PROPERTIES HDGR_RESOURCES ${hdgr_resources_file})
endfunction()
