#include "platform/win32/files/file_error.h"

#include <windows.h>

#include "platform/win32/base/wide_text.h"

namespace hdgr::win32 {

Win32Code AttributesOf(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

namespace {

RunTimeError WordedFileError(Win32Code code, const std::wstring& path, const std::source_location& where) {
  if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION)
    return RunTimeError(ErrorNumber::kPermissionDenied,
                        Utf8(path) + " is in use by another program: close that program, then start the setup again");
  if (code == ERROR_ACCESS_DENIED) {
    const Win32Code attributes = AttributesOf(path);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return RunTimeError(ErrorNumber::kPathFileAccessError, Utf8(path) + " is a folder");
      if (attributes & FILE_ATTRIBUTE_READONLY)
        return RunTimeError(ErrorNumber::kPathFileAccessError, Utf8(path) + " is read-only");
    }
  }
  return Win32Error(code, Utf8(path), where);
}

}  // namespace

RunTimeError FileError(Win32Code code, const std::wstring& path, std::source_location where) {
  RunTimeError error = WordedFileError(code, path, where);
  error.SetWhere(SourcePlace(where));
  return error;
}

void ThrowLastErrorIf(bool failed, const std::wstring& path, std::source_location where) {
  if (!failed) return;
  const Win32Code code = GetLastError();
  throw FileError(code, path, where);
}

void RefuseReadOnly(const std::wstring& path) {
  const Win32Code attributes = AttributesOf(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
      !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    throw RunTimeError(ErrorNumber::kPathFileAccessError, Utf8(path) + " is read-only");
}

}  // namespace hdgr::win32
