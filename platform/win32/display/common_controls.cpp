#include "platform/win32/display/common_controls.h"

#include <windows.h>
#include <commctrl.h>

#include "platform/win32/base/win32_error.h"

namespace hdgr::win32 {

void LoadCommonControls() {
  // Never freed: windows of its classes live until the process ends.
  const HMODULE library = LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  ThrowLastErrorIf(library == nullptr, "Loading comctl32.dll");
  using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  const auto init = reinterpret_cast<InitFunction>(
      reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControlsEx")));
  ThrowLastErrorIf(init == nullptr, "comctl32.dll without InitCommonControlsEx");
  const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  ThrowLastErrorIf(!init(&classes), "Registering the common controls");
}

}  // namespace hdgr::win32
