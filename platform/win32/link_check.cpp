#include "platform/win32/link_check.h"

#include <vector>

#include "platform/path_text.h"
#include "platform/win32/wide_text.h"

namespace hdgr::win32 {

namespace {

std::wstring FullPath(const std::wstring& path) {
  std::vector<wchar_t> full(GetFullPathNameW(path.c_str(), 0, nullptr, nullptr) + 1);
  if (GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr) == 0) return {};
  return full.data();
}

std::wstring LongPath(const std::wstring& full) {
  std::vector<wchar_t> long_path(GetLongPathNameW(full.c_str(), nullptr, 0) + 1);
  // A long name cannot be had (rights on a folder above): short names then tell as links.
  if (GetLongPathNameW(full.c_str(), long_path.data(), static_cast<DWORD>(long_path.size())) == 0) return full;
  return long_path.data();
}

bool IsShare(const std::wstring& plain) { return plain.rfind(L"\\\\", 0) == 0; }

// "C:\..." or "\\server\share\..." as the final path would read it, or empty for a path
// that names no file plainly. A relative path is made full first; the long-path prefix
// goes, and the rest is made full again, since the system does not resolve "." and ".."
// behind it but the final path never holds them.
std::wstring PlainFullPath(const std::wstring& path) {
  const std::wstring full = FullPath(path);
  if (full.empty()) return {};
  const std::wstring plain = Wide(PlainFormOf(Utf8(full)));
  if (plain.empty() || IsShare(plain)) return plain;
  const std::wstring again = FullPath(plain);
  return again.empty() ? std::wstring() : LongPath(again);
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

std::wstring Comparable(const std::wstring& path) { return WithoutClosingSeparator(WithoutTrailingBlanks(path)); }

bool SameText(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

bool OnNetwork(const std::wstring& plain) {
  return IsShare(plain) || GetDriveTypeW(plain.substr(0, 3).c_str()) == DRIVE_REMOTE;
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
  const std::wstring asked = PlainFullPath(path);
  if (asked.empty()) return false;
  if (OnNetwork(asked)) return true;
  const std::wstring reached = FinalPathOf(handle);
  return !reached.empty() && SameText(Comparable(asked), Comparable(reached));
}

bool IsSameOrInside(HANDLE inner, HANDLE outer) {
  // Each with one closing separator: "C:\work" holds "C:\work\x", not "C:\work2".
  const auto as_folder = [](HANDLE handle) {
    std::wstring path = Comparable(FinalPathOf(handle));
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path;
  };
  const std::wstring inside = as_folder(inner);
  const std::wstring around = as_folder(outer);
  return !inside.empty() && !around.empty() && inside.size() >= around.size() &&
         SameText(inside.substr(0, around.size()), around);
}

}  // namespace hdgr::win32
