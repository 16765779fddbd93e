#include "platform/win32/registry_settings.h"

#include <windows.h>

#include "platform/run_time_error.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_error.h"

namespace hdgr::win32 {

namespace {

std::wstring SectionKey(std::string_view application, std::string_view section) {
  return L"Software\\" + Wide(application) + L"\\" + Wide(section);
}

// Empty names would address the parent keys' default values instead.
void CheckNames(std::string_view application, std::string_view section, std::string_view key) {
  if (application.empty() || section.empty() || key.empty())
    throw RunTimeError(ErrorNumber::kInvalidProcedureCall,
                       "Setting needs an application, a section and a key");
}

std::string SettingName(std::string_view application, std::string_view section, std::string_view key) {
  return "Setting " + std::string(application) + "\\" + std::string(section) + "\\" + std::string(key);
}

}  // namespace

std::string ReadRegistrySetting(std::string_view application, std::string_view section,
                                std::string_view key, std::string_view default_value) {
  CheckNames(application, section, key);
  RegistryKey opened;
  LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, SectionKey(application, section).c_str(), 0,
                                 KEY_QUERY_VALUE, opened.Receive());
  if (status == ERROR_FILE_NOT_FOUND) return std::string(default_value);
  if (status != ERROR_SUCCESS) throw Win32Error(static_cast<DWORD>(status), SettingName(application, section, key));

  const std::wstring name = Wide(key);
  // RRF_NOEXPAND: stored text is returned as stored. RegGetValueW terminates the text.
  constexpr DWORD kText = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
  std::wstring text;
  for (;;) {
    DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    status = RegGetValueW(opened.Get(), nullptr, name.c_str(), kText, nullptr,
                          text.empty() ? nullptr : text.data(), &bytes);
    if (status == ERROR_FILE_NOT_FOUND) return std::string(default_value);
    if (status == ERROR_UNSUPPORTED_TYPE)
      throw RunTimeError(ErrorNumber::kTypeMismatch,
                         SettingName(application, section, key) + " is not stored as text");
    const bool sized = !text.empty() && status == ERROR_SUCCESS;
    if (sized) {
      text.resize(wcsnlen(text.c_str(), text.size()));
      return Utf8(text);
    }
    if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA)
      throw Win32Error(static_cast<DWORD>(status), SettingName(application, section, key));
    // First pass, or the value grew between the calls: size the buffer and ask again.
    text.assign(bytes / sizeof(wchar_t) + 1, L'\0');
  }
}

void SaveRegistrySetting(std::string_view application, std::string_view section,
                         std::string_view key, std::string_view value) {
  CheckNames(application, section, key);
  RegistryKey created;
  LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, SectionKey(application, section).c_str(), 0,
                                   nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                                   created.Receive(), nullptr);
  if (status != ERROR_SUCCESS) throw Win32Error(static_cast<DWORD>(status), SettingName(application, section, key));
  const std::wstring text = Wide(value);
  const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));  // with the terminator
  status = RegSetValueExW(created.Get(), Wide(key).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()), bytes);
  if (status != ERROR_SUCCESS) throw Win32Error(static_cast<DWORD>(status), SettingName(application, section, key));
}

}  // namespace hdgr::win32
