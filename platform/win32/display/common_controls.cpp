#include "platform/win32/display/common_controls.h"

#include <windows.h>
#include <commctrl.h>

#include "platform/win32/base/win32_error.h"

namespace hdgr::win32 {

void LoadCommonControls() {
  // Never freed: windows of its classes live until the process ends.
  const HMODULE library = LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (library == nullptr) throw Win32Error(GetLastError(), "Loading comctl32.dll");
  using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  const auto init = reinterpret_cast<InitFunction>(
      reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControlsEx")));
  if (init == nullptr) throw Win32Error(GetLastError(), "comctl32.dll without InitCommonControlsEx");
  const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  if (!init(&classes)) throw Win32Error(GetLastError(), "Registering the common controls");
}

}  // namespace hdgr::win32
