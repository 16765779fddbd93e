#pragma once
// The portable code speaks UTF-8, Windows speaks UTF-16: the two meet here only.

#include <string>
#include <string_view>

namespace hdgr::win32 {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

}  // namespace hdgr::win32
