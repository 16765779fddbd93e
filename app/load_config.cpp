// The program's load configuration. DependentLoadFlags asks the loader to resolve the
// dependencies of the static imports from System32 only, before the program's first line
// can restrict the DLL search. The build points the header at this section (hdgr-pe).
#include <windows.h>

extern "C" {
extern const IMAGE_LOAD_CONFIG_DIRECTORY64 hdgr_load_config;
[[gnu::section(".lcfg"), gnu::used, gnu::aligned(8)]] const IMAGE_LOAD_CONFIG_DIRECTORY64 hdgr_load_config{
    sizeof(IMAGE_LOAD_CONFIG_DIRECTORY64), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    LOAD_LIBRARY_SEARCH_SYSTEM32,  // Reserved1: DependentLoadFlags in newer headers
    0, 0, 0, 0};
}
