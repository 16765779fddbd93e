#include "platform/win32/base/wide_text.h"

#include <windows.h>

#include <limits>

#include "platform/run_time_error.h"

namespace hdgr::win32 {

namespace {
int LengthOf(std::size_t size) {
  if (size > static_cast<std::size_t>(std::numeric_limits<int>::max()))
    throw RunTimeError(ErrorNumber::kOverflow, "Text too long");
  return static_cast<int>(size);
}
}  // namespace

// Invalid sequences become U+FFFD rather than failing: a name is still shown and, being
// unmatchable, is reported as missing rather than mistaken for another.
std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int in = LengthOf(utf8.size());
  const int out = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), in, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(out), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), in, wide.data(), out);
  return wide;
}

std::string Utf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int in = LengthOf(wide.size());
  const int out = WideCharToMultiByte(CP_UTF8, 0, wide.data(), in, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(out), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), in, utf8.data(), out, nullptr, nullptr);
  return utf8;
}

}  // namespace hdgr::win32
