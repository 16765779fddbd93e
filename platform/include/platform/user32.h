#pragma once
// The four window-system calls the guard and the placement use. Results are not
// tested by callers, only the found window's handle.

#include <cstdint>
#include <string_view>

namespace hdgr {

using WindowHandle = std::intptr_t;  // 0: no window

struct WindowRect {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
};

inline constexpr WindowHandle kHwndTop = 0;
inline constexpr WindowHandle kHwndTopmost = -1;

class User32 {
 public:
  virtual ~User32() = default;
  // A top-level window whose title is exactly `title`; 0 when there is none.
  virtual WindowHandle FindWindowByTitle(std::string_view title) = 0;
  // The window's outer bounds in screen pixels.
  virtual WindowRect GetWindowRect(WindowHandle window) = 0;
  virtual void SetWindowPos(WindowHandle window, WindowHandle insert_after, std::int32_t x,
                            std::int32_t y, std::int32_t width, std::int32_t height,
                            std::uint32_t flags) = 0;
  virtual void FlashWindow(WindowHandle window, bool invert) = 0;
};

}  // namespace hdgr
