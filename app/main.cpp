// hdGR_3_4_Setup.exe: the self-extracting setup of Halden Grid.
#include <windows.h>

#include "app/setup_program.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // A setup usually runs from a downloads folder, where a planted DLL would otherwise be
  // loaded with the setup's rights: system DLLs come from System32 only.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  return hdgr::RunSetupProgram();
}
