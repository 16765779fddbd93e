#pragma once
// The window's part in the session's end (log off, shut down): while the run changes files
// the system's query is answered no, with a reason it shows; the program hears of the
// query and of the session's end.

#include <windows.h>

#include <functional>
#include <string_view>

#include "platform/controls.h"

namespace hdgr::win32 {

class SessionEndAnswer {
 public:
  // `window` is a top-level window of the program (a hidden one too: the system asks every
  // top-level window, and honours a refusal of a program without a visible one only when it
  // gave a reason).
  void KeepOpen(HWND window, std::string_view reason);
  void LetEnd(HWND window);
  void OnSessionEnd(std::function<void(SessionEnd)> handler) { handler_ = std::move(handler); }
  // WM_QUERYENDSESSION and WM_ENDSESSION: true, with the window procedure's `result`, when
  // `message` was one of them.
  bool Handle(UINT message, WPARAM wparam, LRESULT* result);

 private:
  bool kept_open_ = false;
  std::function<void(SessionEnd)> handler_;
};

}  // namespace hdgr::win32
