# What this build's package is: the four files it packs and its version, which the program
# holds as constants. The Windows build takes them from HDGR_PAYLOAD_DIR and
# HDGR_PACKAGE_VERSION; without them, and always in the native build (whose unit tests pin
# the design's figures), the demo payload of the designed lengths and the project's version.
#
# Sets HDGR_PACKAGE_MAJOR, HDGR_PACKAGE_MINOR, HDGR_PACKAGE_REVISION, HDGR_PACKAGE_VERSION_TEXT
# (major.minor.revision), HDGR_SEGMENT_TABLE (the table's C++ expression for
# package/package_definition.h.in) and, in the Windows build, HDGR_PACKED_NAMES and
# HDGR_PACKED_LENGTHS in table order (the demo payload's files are built later, at the
# designed lengths).

set(HDGR_PACKAGE_VERSION "" CACHE STRING
    "The package's version, major.minor.revision (Windows build); empty: the project's version")

set(version ${PROJECT_VERSION})
if(WIN32 AND HDGR_PACKAGE_VERSION)
  set(version ${HDGR_PACKAGE_VERSION})
endif()
# Each part is what the installed copy's 16-bit settings compare with; no leading zeros, so
# that the window, the file name and the settings written all read the same number.
set(part "(0|[1-9][0-9]?[0-9]?[0-9]?[0-9]?)")
if(NOT version MATCHES "^${part}\\.${part}\\.${part}$")
  message(FATAL_ERROR "HDGR_PACKAGE_VERSION: '${version}' is no version: give major.minor.revision, "
                      "each a whole number from 0 to 32767 without leading zeros (e.g. 3.5.0)")
endif()
foreach(number ${CMAKE_MATCH_1} ${CMAKE_MATCH_2} ${CMAKE_MATCH_3})
  if(number GREATER 32767)
    message(FATAL_ERROR "HDGR_PACKAGE_VERSION: ${number} in '${version}' is above 32767, "
                        "the highest version number the product's settings hold")
  endif()
endforeach()
set(HDGR_PACKAGE_MAJOR ${CMAKE_MATCH_1})
set(HDGR_PACKAGE_MINOR ${CMAKE_MATCH_2})
set(HDGR_PACKAGE_REVISION ${CMAKE_MATCH_3})
set(HDGR_PACKAGE_VERSION_TEXT ${version})

set(HDGR_PACKED_NAMES "")
set(HDGR_PACKED_LENGTHS "")
set(HDGR_SEGMENT_TABLE kDesignedSegments)
if(WIN32)
  hdgr_segment_table(HDGR_PACKED_NAMES HDGR_PACKED_LENGTHS)
  if(HDGR_PAYLOAD_DIR)
    set(HDGR_PACKED_LENGTHS "")
    foreach(name IN LISTS HDGR_PACKED_NAMES)
      set(file ${HDGR_PAYLOAD_DIR}/${name})
      if(NOT EXISTS ${file} OR IS_DIRECTORY ${file})
        message(FATAL_ERROR "HDGR_PAYLOAD_DIR: ${file} does not exist")
      endif()
      file(SIZE ${file} length)
      if(length EQUAL 0)
        message(FATAL_ERROR "HDGR_PAYLOAD_DIR: ${file} is empty: a release's file has at least one byte")
      endif()
      list(APPEND HDGR_PACKED_LENGTHS ${length})
      # Another build of a file has another length: the table is made anew.
      set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
    endforeach()
    list(JOIN HDGR_PACKED_LENGTHS ", " listed)
    set(HDGR_SEGMENT_TABLE "TableOf({${listed}})")
  endif()
endif()
if(HDGR_PAYLOAD_DIR AND WIN32)
  list(JOIN HDGR_PACKED_LENGTHS ", " listed)
  message(STATUS "The package: version ${HDGR_PACKAGE_VERSION_TEXT}, the files of ${HDGR_PAYLOAD_DIR} "
                 "(${listed} bytes)")
else()
  message(STATUS "The package: version ${HDGR_PACKAGE_VERSION_TEXT}, the demo payload")
endif()
