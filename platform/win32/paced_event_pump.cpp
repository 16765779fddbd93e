#include "platform/win32/paced_event_pump.h"

#include <windows.h>

namespace hdgr::win32 {

void PumpAllMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void PacedEventPump::Pump() {
  if (pumped_ && GetTickCount64() - last_ms_ < kIntervalMs) return;
  if (display_ != nullptr) display_->ShowPending();
  PumpAllMessages();
  // Taken after the work, so a slow repaint cannot make every call due.
  last_ms_ = GetTickCount64();
  pumped_ = true;
}

void PacedEventPump::ShowExactly() {
  if (display_ != nullptr) display_->ShowExactly();
}

}  // namespace hdgr::win32
