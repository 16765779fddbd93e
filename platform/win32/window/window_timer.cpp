#include "platform/win32/window/window_timer.h"

#include "platform/win32/base/win32_error.h"

namespace hdgr::win32 {

void Win32Timer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  if (enabled) {
    ThrowLastErrorIf(SetTimer(window_, id_, interval_ms_, nullptr) == 0, "timer");
  } else {
    KillTimer(window_, id_);
  }
  enabled_ = enabled;
}

}  // namespace hdgr::win32
