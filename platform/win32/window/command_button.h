#pragma once
// A push button over the system's button window.

#include <windows.h>

#include "platform/controls.h"

namespace hdgr::win32 {

class Win32Button : public CommandButton {
 public:
  explicit Win32Button(HWND button) : button_(button) {}
  std::string Caption() const override;
  void SetCaption(std::string_view caption) override;
  bool Enabled() const override;
  void SetEnabled(bool enabled) override;
  HWND Window() const { return button_; }

 private:
  HWND button_;
};

}  // namespace hdgr::win32
