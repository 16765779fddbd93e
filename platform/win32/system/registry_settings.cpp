#include "platform/win32/system/registry_settings.h"

#include <windows.h>

#include <vector>

#include "platform/run_time_error.h"
#include "platform/win32/base/unique_handle.h"
#include "platform/win32/base/wide_text.h"
#include "platform/win32/base/win32_error.h"

namespace hdgr::win32 {

namespace {

constexpr std::wstring_view kUserRoot = L"HKEY_CURRENT_USER";

// Software, the application's key, the section's key: each opened by its name in the one
// above, never through the whole path, so that every level is checked on its own.
std::vector<std::wstring> SectionLevels(std::string_view application, std::string_view section) {
  return {L"Software", Wide(application), Wide(section)};
}

// A registry link there would take the elevated run's reads and writes to whatever key it
// names: the machine's settings, or a copy another program fills with the versions it likes.
[[noreturn]] void RefuseLink(const std::wstring& key) {
  throw RunTimeError(
      ErrorNumber::kPathFileAccessError,
      "Settings key " + Utf8(key) + " is a registry link to another key, which the setup does not follow");
}

// Opened as itself (REG_OPTION_OPEN_LINK), a link shows its target as SymbolicLinkValue,
// which no key of ours holds. The handle stays on the key that was checked, whatever
// another program changes under that name afterwards.
void RefuseIfLink(HKEY key, const std::wstring& name) {
  const LSTATUS status = RegQueryValueExW(key, L"SymbolicLinkValue", nullptr, nullptr, nullptr, nullptr);
  if (status == ERROR_FILE_NOT_FOUND) return;
  if (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) RefuseLink(name);
  throw Win32Error(static_cast<DWORD>(status), "Settings key " + Utf8(name));
}

// One level, opened as itself: REG_OPTION_OPEN_LINK is documented for RegOpenKeyExW, so an
// existing key is always opened that way. A missing one is made (the option passed along,
// which RegCreateKeyExW hands to the kernel alike); one that another program made between
// the two calls is opened again the documented way.
LSTATUS OpenLevel(HKEY above, const std::wstring& name, REGSAM access, bool create, RegistryKey& level) {
  LSTATUS status = RegOpenKeyExW(above, name.c_str(), REG_OPTION_OPEN_LINK, access, level.Receive());
  if (!create || status != ERROR_FILE_NOT_FOUND) return status;
  DWORD disposition = 0;
  status = RegCreateKeyExW(above, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE | REG_OPTION_OPEN_LINK, access,
                           nullptr, level.Receive(), &disposition);
  if (status != ERROR_SUCCESS || disposition == REG_CREATED_NEW_KEY) return status;
  return RegOpenKeyExW(above, name.c_str(), REG_OPTION_OPEN_LINK, access, level.Receive());
}

// The section's key, opened level by level without following a link; an empty key when a
// level is missing and `create` is false. The last level gets `access`, the ones above
// what it takes to look at them and make keys in them.
RegistryKey OpenSectionKey(std::string_view application, std::string_view section, REGSAM access, bool create,
                           const std::string& setting) {
  const std::vector<std::wstring> levels = SectionLevels(application, section);
  RegistryKey parent;
  std::wstring name(kUserRoot);
  for (std::size_t i = 0; i < levels.size(); ++i) {
    const bool last = i + 1 == levels.size();
    const REGSAM wanted = KEY_QUERY_VALUE | (last ? access : (create ? KEY_CREATE_SUB_KEY : 0));
    const HKEY above = parent ? parent.Get() : HKEY_CURRENT_USER;
    name += L"\\" + levels[i];
    RegistryKey level;
    const LSTATUS status = OpenLevel(above, levels[i], wanted, create, level);
    if (!create && status == ERROR_FILE_NOT_FOUND) return RegistryKey();
    if (status != ERROR_SUCCESS) throw Win32Error(static_cast<DWORD>(status), setting);
    RefuseIfLink(level.Get(), name);
    parent = std::move(level);
  }
  return parent;
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
  const RegistryKey opened =
      OpenSectionKey(application, section, KEY_QUERY_VALUE, false, SettingName(application, section, key));
  if (!opened) return std::string(default_value);

  const std::wstring name = Wide(key);
  // RRF_NOEXPAND: stored text is returned as stored. RegGetValueW terminates the text.
  constexpr DWORD kText = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
  std::wstring text;
  for (;;) {
    DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    const LSTATUS status = RegGetValueW(opened.Get(), nullptr, name.c_str(), kText, nullptr,
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
  const RegistryKey created =
      OpenSectionKey(application, section, KEY_SET_VALUE, true, SettingName(application, section, key));
  const std::wstring text = Wide(value);
  const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));  // with the terminator
  const LSTATUS status = RegSetValueExW(created.Get(), Wide(key).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()), bytes);
  if (status != ERROR_SUCCESS) throw Win32Error(static_cast<DWORD>(status), SettingName(application, section, key));
}

}  // namespace hdgr::win32
