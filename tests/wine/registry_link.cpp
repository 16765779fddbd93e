#include "tests/wine/registry_link.h"

#include <windows.h>
#include <sddl.h>

#include <utility>

#include "platform/win32/base/unique_handle.h"

namespace hdgr::wine_host {

namespace {

std::wstring CurrentUserSid() {
  win32::ProcessHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive())) return L"";
  alignas(TOKEN_USER) BYTE buffer[SECURITY_MAX_SID_SIZE + sizeof(TOKEN_USER)];
  DWORD bytes = 0;
  if (!GetTokenInformation(token.Get(), TokenUser, buffer, sizeof buffer, &bytes)) return L"";
  win32::LocalMemory<wchar_t*> text;
  if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, text.Receive())) return L"";
  return text.Get();
}

// RegDeleteKeyW would open the name, link followed, and remove what the link names.
void DeleteLinkItself(const std::wstring& key) {
  win32::RegistryKey link;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), REG_OPTION_OPEN_LINK, DELETE, link.Receive()) != ERROR_SUCCESS)
    return;
  using NtDeleteKeyFunction = LONG(WINAPI*)(HANDLE);
  const auto nt_delete_key = reinterpret_cast<NtDeleteKeyFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey")));
  if (nt_delete_key != nullptr) nt_delete_key(link.Get());
}

}  // namespace

std::wstring UserKeyName(const std::wstring& under_current_user) {
  return L"\\Registry\\User\\" + CurrentUserSid() + L"\\" + under_current_user;
}

std::wstring MachineKeyName(const std::wstring& under_local_machine) {
  return L"\\Registry\\Machine\\" + under_local_machine;
}

RegistryLink::RegistryLink(std::wstring key, const std::wstring& target) : key_(std::move(key)) {
  DeleteLinkItself(key_);
  win32::RegistryKey link;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK,
                      KEY_SET_VALUE | KEY_CREATE_LINK, nullptr, link.Receive(), nullptr) != ERROR_SUCCESS)
    return;
  // The target's name without a terminator: the system takes the value's bytes as the name.
  made_ = RegSetValueExW(link.Get(), L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(target.data()),
                         static_cast<DWORD>(target.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}

RegistryLink::~RegistryLink() { DeleteLinkItself(key_); }

}  // namespace hdgr::wine_host
