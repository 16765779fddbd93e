#include "platform/win32/window/command_button.h"

#include <string>

#include "platform/win32/wide_text.h"

namespace hdgr::win32 {

std::string Win32Button::Caption() const {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(button_)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(button_, text.data(), static_cast<int>(text.size()))));
  return Utf8(text);
}

void Win32Button::SetCaption(std::string_view caption) { SetWindowTextW(button_, Wide(caption).c_str()); }

bool Win32Button::Enabled() const { return IsWindowEnabled(button_) != FALSE; }

void Win32Button::SetEnabled(bool enabled) { EnableWindow(button_, enabled ? TRUE : FALSE); }

}  // namespace hdgr::win32
