# The native build once more under the sanitizers, and the fuzz targets (tests/fuzz).
option(HDGR_SANITIZE "Build with AddressSanitizer, UndefinedBehaviorSanitizer and libstdc++'s assertions" OFF)
option(HDGR_FUZZ "Build the fuzz targets with libFuzzer (needs Clang)" OFF)

if(HDGR_SANITIZE)
  # Any finding ends the program, so a test or fuzz run cannot pass over it.
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
                      -D_GLIBCXX_ASSERTIONS)
  add_link_options(-fsanitize=address,undefined)
endif()

if(HDGR_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "HDGR_FUZZ needs Clang's libFuzzer (CMAKE_CXX_COMPILER=clang++, or the sanitize preset)")
  endif()
  # Every library the targets reach reports its coverage to the fuzzer.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
