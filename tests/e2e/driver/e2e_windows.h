#pragma once
// Finding another program's windows and reading their controls.

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

namespace hdgr::e2e {

struct ControlInfo {
  HWND window;
  int id;
  std::wstring class_name;
  std::wstring caption;  // WM_GETTEXT, as another program reads it
  RECT rect;             // in the top-level window's client area
  bool enabled;
  bool visible;
};

// A visible top-level window titled exactly `title` (of `class_name` when given, of
// process `process_id` when not 0); nullptr when none appears within `timeout`.
HWND WaitForWindow(const std::wstring& title, std::chrono::milliseconds timeout, DWORD process_id = 0,
                   const wchar_t* class_name = nullptr);

// Every descendant of `top`, in the order the system lists them.
std::vector<ControlInfo> ListControls(HWND top);
// The descendant with `id` under the container chain; throws when there is none.
ControlInfo ControlWithId(HWND top, int id);

std::wstring WindowText(HWND window);
std::wstring ClassOf(HWND window);
SIZE ClientSize(HWND window);
POINT ClientOrigin(HWND window);  // on the screen
// The control that has the keyboard focus in `top`'s thread; nullptr when none.
HWND FocusedControl(HWND top);

}  // namespace hdgr::e2e
