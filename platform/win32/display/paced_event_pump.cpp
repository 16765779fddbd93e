#include "platform/win32/display/paced_event_pump.h"

#include <windows.h>

#include <algorithm>

namespace hdgr::win32 {

void PumpAllMessages(const std::function<void(int code)>& foreign_quit) {
  const DWORD began = GetTickCount();
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      if (foreign_quit) foreign_quit(static_cast<int>(message.wParam));
    } else {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    // What came after the pump began waits for the next one: a program that keeps posting
    // would otherwise hold the copy here for ever.
    if (static_cast<LONG>(message.time - began) > 0) return;
  }
}

void PacedEventPump::PumpIfDue() {
  const std::uint64_t now = GetTickCount64();
  // The pace counts from the last pump or the display's last show (a bar shows its Max
  // at once): a run shorter than the interval shows its bar at the end alone.
  const std::uint64_t last = display_ != nullptr ? std::max(last_ms_, display_->LastShownMs()) : last_ms_;
  if (last != 0 && now - last < kIntervalMs) {
    due_ms_ = last + kIntervalMs;
    return;
  }
  if (display_ != nullptr) display_->ShowPending();
  PumpAllMessages(foreign_quit_);
  // Taken after the work, so a slow repaint cannot make every call due.
  last_ms_ = GetTickCount64();
  due_ms_ = last_ms_ + kIntervalMs;
}

void PacedEventPump::ShowExactlySoon() {
  if (display_ != nullptr) display_->ShowExactlySoon();
}

}  // namespace hdgr::win32
