#pragma once
// Message boxes of another program: their text, their icon, their OK button.

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>

namespace hdgr::e2e {

enum class BoxIcon { kNone, kError, kWarning, kQuestion, kInformation };

struct MessageBoxInfo {
  HWND window;
  std::wstring text;
  BoxIcon icon;
};

// A message box titled exactly `title` that shows within `timeout`.
std::optional<MessageBoxInfo> WaitForMessageBox(const std::wstring& title, std::chrono::milliseconds timeout,
                                                 DWORD process_id = 0);
// Closes the box as its OK button does.
void PressOk(HWND box);

const char* IconName(BoxIcon icon);

}  // namespace hdgr::e2e
