#include "tests/e2e/driver/e2e_demo_installer.h"

#include <windows.h>

#include <array>

#include "tests/e2e/driver/e2e_process.h"

namespace hdgr::e2e {

void CloseDemoInstallers() {
  while (HWND installer = FindWindowW(nullptr, kDemoInstallerTitle)) {
    DWORD id = 0;
    GetWindowThreadProcessId(installer, &id);
    Process process = Attach(id);
    PostMessageW(installer, WM_CLOSE, 0, 0);
    if (!process.WaitForExit(10s)) process.Kill();
  }
}

std::wstring DemoInstallerMarkerPath() {
  std::array<wchar_t, MAX_PATH + 1> temp{};
  const DWORD length = GetTempPathW(static_cast<DWORD>(temp.size()), temp.data());
  return std::wstring(temp.data(), length) + HDGR_DEMO_INSTALLER_MARKER;
}

}  // namespace hdgr::e2e
