#pragma once

#include "platform/user32.h"

namespace hdgr::win32 {

// The four window-system calls, passed straight through; window titles are UTF-8.
class Win32User32 : public User32 {
 public:
  WindowHandle FindWindowByTitle(std::string_view title) override;
  WindowRect GetWindowRect(WindowHandle window) override;
  void SetWindowPos(WindowHandle window, WindowHandle insert_after, std::int32_t x, std::int32_t y,
                    std::int32_t width, std::int32_t height, std::uint32_t flags) override;
  void FlashWindow(WindowHandle window, bool invert) override;
};

}  // namespace hdgr::win32
