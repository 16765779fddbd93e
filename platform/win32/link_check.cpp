#include "platform/win32/link_check.h"

#include <vector>

namespace hdgr::win32 {

namespace {

std::wstring FullLongPath(const std::wstring& path) {
  std::vector<wchar_t> full(GetFullPathNameW(path.c_str(), 0, nullptr, nullptr) + 1);
  if (GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr) == 0) return {};
  std::vector<wchar_t> long_path(GetLongPathNameW(full.data(), nullptr, 0) + 1);
  // A long name cannot be had (rights on a folder above): short names then tell as links.
  if (GetLongPathNameW(full.data(), long_path.data(), static_cast<DWORD>(long_path.size())) == 0)
    return full.data();
  return long_path.data();
}

std::wstring WithoutClosingSeparator(std::wstring path) {
  // A drive's root keeps its separator: "c:\" is no "c:".
  while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return path;
}

// Each name without the blanks and dots at its end: Wine's final path drops them from a
// folder's name ("C:\prod \x" reads back as "C:\prod\x"), and a link is no matter of them.
std::wstring WithoutTrailingBlanks(const std::wstring& path) {
  std::wstring out;
  for (const wchar_t c : path) {
    if (c == L'\\')
      while (!out.empty() && (out.back() == L' ' || out.back() == L'.') && out.size() > 2) out.pop_back();
    out += c;
  }
  while (!out.empty() && (out.back() == L' ' || out.back() == L'.')) out.pop_back();
  return out;
}

bool OnNetworkDrive(const std::wstring& full) {
  if (full.size() < 3 || full[1] != L':') return full.rfind(L"\\\\", 0) == 0;
  return GetDriveTypeW(full.substr(0, 3).c_str()) == DRIVE_REMOTE;
}

}  // namespace

std::wstring FinalPathOf(HANDLE handle) {
  std::vector<wchar_t> final_path(GetFinalPathNameByHandleW(handle, nullptr, 0, VOLUME_NAME_DOS) + 1);
  if (GetFinalPathNameByHandleW(handle, final_path.data(), static_cast<DWORD>(final_path.size()),
                                VOLUME_NAME_DOS) == 0)
    return {};
  std::wstring text = final_path.data();
  if (text.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + text.substr(8);
  if (text.rfind(L"\\\\?\\", 0) == 0) return text.substr(4);
  return text;
}

bool ReachedWithoutLink(HANDLE handle, const std::wstring& path) {
  const std::wstring full = FullLongPath(path);
  if (full.empty()) return false;
  if (OnNetworkDrive(full)) return true;
  const std::wstring asked = WithoutClosingSeparator(WithoutTrailingBlanks(full));
  const std::wstring reached = WithoutClosingSeparator(WithoutTrailingBlanks(FinalPathOf(handle)));
  return !reached.empty() &&
         CompareStringOrdinal(asked.c_str(), static_cast<int>(asked.size()), reached.c_str(),
                              static_cast<int>(reached.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace hdgr::win32
