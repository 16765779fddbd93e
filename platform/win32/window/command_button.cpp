#include "platform/win32/window/command_button.h"

#include "platform/win32/base/wide_text.h"

namespace hdgr::win32 {

void Win32Button::SetCaption(std::string_view caption) {
  caption_ = caption;
  SetWindowTextW(button_, Wide(caption).c_str());
}

void Win32Button::SetEnabled(bool enabled) {
  enabled_ = enabled;
  EnableWindow(button_, enabled ? TRUE : FALSE);
}

}  // namespace hdgr::win32
