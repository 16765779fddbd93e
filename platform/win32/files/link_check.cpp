#include "platform/win32/files/link_check.h"

#include <winternl.h>

#include <cstdint>
#include <vector>

#include "platform/path_text.h"
#include "platform/run_time_error.h"
#include "platform/win32/base/wide_text.h"
#include "platform/win32/base/win32_error.h"

namespace hdgr::win32 {

namespace {

std::wstring FullPath(const std::wstring& path) {
  std::vector<wchar_t> full(GetFullPathNameW(path.c_str(), 0, nullptr, nullptr) + 1);
  if (GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr) == 0) return {};
  return full.data();
}

std::wstring LongPath(const std::wstring& full) {
  // Past MAX_PATH the function takes the long-path form, and answers in it.
  const bool prefixed = full.size() >= MAX_PATH;
  const std::wstring asked = prefixed ? L"\\\\?\\" + full : full;
  std::vector<wchar_t> long_path(GetLongPathNameW(asked.c_str(), nullptr, 0) + 1);
  // A long name cannot be had (rights on a folder above): short names then tell as links.
  if (GetLongPathNameW(asked.c_str(), long_path.data(), static_cast<DWORD>(long_path.size())) == 0) return full;
  const std::wstring answer = long_path.data();
  return prefixed && answer.rfind(L"\\\\?\\", 0) == 0 ? answer.substr(4) : answer;
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

// "C:\..." or "\\server\share\..." for the system's "\\?\C:\..." or "\\?\UNC\server\share\...".
std::wstring WithoutLongPathPrefix(const std::wstring& text) {
  if (text.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + text.substr(8);
  if (text.rfind(L"\\\\?\\", 0) == 0) return text.substr(4);
  return text;
}

// The object's own name where it is "\??\C:\..." or "\??\UNC\...", as Wine gives it: Wine
// reads the final path into a buffer of MAX_PATH characters and fails past it. Windows
// names a file by its volume's device ("\Device\HarddiskVolume3\..."), which this reads
// as nothing: there its own final path, of any length, is the answer.
std::wstring DosNameOfObject(HANDLE handle) {
  using QueryObject = decltype(&NtQueryObject);
  const auto query = reinterpret_cast<QueryObject>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryObject")));
  // A counted name holds at most 32,767 characters: this holds any.
  std::vector<std::uint8_t> buffer(sizeof(UNICODE_STRING) + 0x10000);
  const auto length = static_cast<ULONG>(buffer.size());
  ULONG size = 0;
  if (query == nullptr || query(handle, ObjectNameInformation, buffer.data(), length, &size) < 0) return {};
  const auto* name = reinterpret_cast<const UNICODE_STRING*>(buffer.data());
  const std::wstring text(name->Buffer, name->Length / sizeof(wchar_t));
  if (text.rfind(L"\\??\\", 0) != 0) return {};
  const std::wstring dos = L"\\\\?\\" + text.substr(4);
  return IsFullPath(Utf8(dos)) ? WithoutLongPathPrefix(dos) : std::wstring();
}

// Empty, with the system's code in `code`, when the system cannot say.
std::wstring FinalPath(HANDLE handle, DWORD* code) {
  std::vector<wchar_t> final_path(GetFinalPathNameByHandleW(handle, nullptr, 0, VOLUME_NAME_DOS) + 1);
  if (GetFinalPathNameByHandleW(handle, final_path.data(), static_cast<DWORD>(final_path.size()), VOLUME_NAME_DOS) ==
      0) {
    *code = GetLastError();
    return DosNameOfObject(handle);
  }
  return WithoutLongPathPrefix(final_path.data());
}

}  // namespace

std::wstring FinalPathOf(HANDLE handle) {
  DWORD code = ERROR_SUCCESS;
  return FinalPath(handle, &code);
}

bool ReachedWithoutLink(HANDLE handle, const std::wstring& path) {
  const std::wstring asked = PlainFullPath(path);
  if (asked.empty()) return false;
  if (OnNetwork(asked)) return true;
  DWORD code = ERROR_SUCCESS;
  const std::wstring reached = FinalPath(handle, &code);
  if (reached.empty())
    throw RunTimeError(ErrorNumber::kPathFileAccessError,
                       Utf8(path) + ": the system cannot say where this lies (its final path cannot be read), so the "
                                    "setup cannot tell whether a link leads there" +
                           Win32Error(code, "").Detail());
  return SameText(Comparable(asked), Comparable(reached));
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
