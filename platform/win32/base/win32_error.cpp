#include "platform/win32/base/win32_error.h"

#include <windows.h>

#include "platform/win32/base/unique_handle.h"
#include "platform/win32/base/wide_text.h"

namespace hdgr::win32 {

ErrorNumber ErrorNumberOf(Win32Code code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_MOD_NOT_FOUND:
      return ErrorNumber::kFileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return ErrorNumber::kPathNotFound;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_INVALID_HANDLE:
      return ErrorNumber::kBadFileNameOrNumber;
    case ERROR_TOO_MANY_OPEN_FILES:
      return ErrorNumber::kTooManyFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_PRIVILEGE_NOT_HELD:
      return ErrorNumber::kPermissionDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ErrorNumber::kDiskFull;
    default:
      return ErrorNumber::kPathFileAccessError;
  }
}

namespace {
std::string SystemText(Win32Code code) {
  LocalMemory<wchar_t*> buffer;
  // With ALLOCATE_BUFFER the buffer argument is where the system stores its allocation.
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(buffer.Receive()), 0, nullptr);
  std::wstring text(buffer ? buffer.Get() : L"", length);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
    text.pop_back();
  return Utf8(text);
}
}  // namespace

RunTimeError Win32Error(Win32Code code, const std::string& what, std::source_location where) {
  std::string detail = what + " (Windows error " + std::to_string(code);
  const std::string text = SystemText(code);
  if (!text.empty()) detail += ": " + text;
  RunTimeError error(ErrorNumberOf(code), detail + ")");
  error.SetWhere(SourcePlace(where));
  return error;
}

// The build names each source by its path from the checkout (-fmacro-prefix-map), so the
// program holds no build machine's path and the same commit gives the same bytes anywhere.
std::string SourcePlace(const std::source_location& where) {
  return std::string(where.file_name()) + ":" + std::to_string(where.line());
}

Win32Code LastError() { return GetLastError(); }

void ThrowLastErrorIf(bool failed, const char* what, std::source_location where) {
  if (!failed) return;
  const Win32Code code = GetLastError();
  throw Win32Error(code, what, where);
}

void ThrowLastErrorIf(bool failed, std::string_view what, std::source_location where) {
  if (!failed) return;
  const Win32Code code = GetLastError();
  throw Win32Error(code, std::string(what), where);
}

}  // namespace hdgr::win32
