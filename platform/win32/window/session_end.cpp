#include "platform/win32/window/session_end.h"

#include "platform/win32/base/wide_text.h"

namespace hdgr::win32 {

void SessionEndAnswer::KeepOpen(HWND window, std::string_view reason) {
  kept_open_ = true;
  // The system shows the reason; a program without a visible window that refuses without
  // one is ended all the same.
  ShutdownBlockReasonCreate(window, Wide(reason).c_str());
}

void SessionEndAnswer::LetEnd(HWND window) {
  if (!kept_open_) return;
  kept_open_ = false;
  ShutdownBlockReasonDestroy(window);
}

bool SessionEndAnswer::Handle(UINT message, WPARAM wparam, LRESULT* result) {
  if (message == WM_QUERYENDSESSION) {
    if (kept_open_ && handler_) handler_(SessionEnd::kRefused);
    *result = kept_open_ ? FALSE : TRUE;
    return true;
  }
  if (message == WM_ENDSESSION) {
    if (handler_) handler_(wparam != FALSE ? SessionEnd::kEnding : SessionEnd::kGoingOn);
    *result = 0;
    return true;
  }
  return false;
}

}  // namespace hdgr::win32
