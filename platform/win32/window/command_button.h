#pragma once
// A push button over the system's button window. Its caption and enabled state are the
// program's own, kept here: the button window shows them, but any program on the desktop
// can change what it shows (WM_SETTEXT, EnableWindow), so they are never read back.

#include <windows.h>

#include <string>

#include "platform/controls.h"

namespace hdgr::win32 {

class Win32Button : public CommandButton {
 public:
  // `caption` as the design gives it to the window.
  Win32Button(HWND button, std::string_view caption) : button_(button), caption_(caption) {}
  std::string Caption() const override { return caption_; }
  void SetCaption(std::string_view caption) override;
  bool Enabled() const override { return enabled_; }
  void SetEnabled(bool enabled) override;
  HWND Window() const { return button_; }

 private:
  HWND button_;
  std::string caption_;
  bool enabled_ = true;  // every button is made enabled
};

}  // namespace hdgr::win32
