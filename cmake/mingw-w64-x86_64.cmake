# Cross build for Windows x86-64 with MinGW-w64 (posix threads), static runtime.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Stack canaries in functions with arrays or addresses taken: a buffer overrun in code that
# reads outside input ends the process instead of running on. C++ only: the tests' C DLLs
# are built without the C library the canary needs.
set(CMAKE_CXX_FLAGS_INIT "-fstack-protector-strong")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -fstack-protector-strong")
# Windows 8: the oldest the programs load on. A newer function is then not even declared,
# so it cannot slip into an import table.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0602)
# Tests of Windows programs run under Wine; scripts/with-wine.sh sets up the prefix and display.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
