#pragma once
// Settings under HKEY_CURRENT_USER\Software\<application>\<section>, one REG_SZ value per key.
// A registry link at any of those levels is refused (path/file access error, naming the
// key), never followed: nothing is read or written through it.

#include <string>
#include <string_view>

namespace hdgr::win32 {

// The stored text, also when empty; `default_value` when the key, the section or the
// application is missing. A value stored as something other than text: type mismatch.
std::string ReadRegistrySetting(std::string_view application, std::string_view section,
                                std::string_view key, std::string_view default_value);
// Creates the application's and the section's keys as needed.
void SaveRegistrySetting(std::string_view application, std::string_view section,
                         std::string_view key, std::string_view value);

}  // namespace hdgr::win32
