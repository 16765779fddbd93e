// hdGR_3_4_Setup.exe: the self-extracting setup of Halden Grid.
#include <windows.h>

#include <exception>

#include "app/setup_program.h"
#include "platform/application_services.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // A setup usually runs from a downloads folder, where a planted DLL would otherwise be
  // loaded with the setup's rights: system DLLs come from System32 only.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  // A stored folder or a log on an empty removable drive would otherwise raise the system's
  // "No disk" box, which nobody can close in a quiet run: the call fails instead. For this
  // thread only, so that the installer the setup starts keeps the mode it is given.
  SetThreadErrorMode(SEM_FAILCRITICALERRORS, nullptr);
  // What no event's boundary catches (a failure on the digest's thread, in a destructor on
  // the way out) ends with 1, as a failure: the C runtime's abort would end with 3, which
  // says "the installed copy is current".
  std::set_terminate([] { ExitProcess(hdgr::kExitFailed); });
  try {
    return hdgr::RunSetupProgram();
  } catch (...) {
    return hdgr::kExitFailed;
  }
}
