#include "platform/win32/log/run_log.h"

#include <windows.h>

#include <cstdio>

#include "platform/log_text.h"
#include "platform/run_time_error.h"
#include "platform/win32/base/wide_text.h"
#include "platform/win32/files/file_error.h"
#include "platform/win32/files/file_handles.h"
#include "platform/win32/files/link_check.h"

namespace hdgr::win32 {

namespace {

// Append only: every line lands at the end, whoever else writes the file too. A link at
// the name is opened itself, never followed.
FileHandle OpenLogFile(const std::wstring& path, DWORD disposition) {
  return FileHandle(CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

[[noreturn]] void Refuse(const std::wstring& path, const char* why) {
  throw RunTimeError(ErrorNumber::kPathFileAccessError,
                     Utf8(path) + " " + why + ": give the log a file of its own, in a folder only administrators can change");
}

// The elevated run writes only the file that was asked for: never through a link (which
// may point into the system's folders) and never into a file that has another name too.
void CheckIsPlainFile(HANDLE file, const std::wstring& path) {
  if (GetFileType(file) != FILE_TYPE_DISK) return;  // NUL, a console, a port: no file to hurt
  BY_HANDLE_FILE_INFORMATION info{};
  ThrowLastErrorIf(!GetFileInformationByHandle(file, &info), path);
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) Refuse(path, "is a link to another file");
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) Refuse(path, "is a folder");
  if (info.nNumberOfLinks > 1) Refuse(path, "is a second name of another file");
  if (!ReachedWithoutLink(file, path)) Refuse(path, "is reached through a link");
}

}  // namespace

void RunLog::Open(std::string_view path) {
  const std::wstring wide = Wide(path);
  FileHandle file = OpenLogFile(wide, OPEN_EXISTING);
  DWORD code = file ? ERROR_SUCCESS : GetLastError();
  if (code == ERROR_FILE_NOT_FOUND) {
    // Made only where nothing is: a link to a missing file is not made into that file.
    file = OpenLogFile(wide, CREATE_NEW);
    code = file ? ERROR_SUCCESS : GetLastError();
    if (code == ERROR_FILE_EXISTS) Refuse(wide, "is a link to a missing file");
  }
  if (!file) throw FileError(code, wide);
  CheckIsPlainFile(file.Get(), wide);
  file_ = std::move(file);
  path_ = wide;
}

void RunLog::Write(std::string_view text) {
  if (!file_ || failed_) return;
  // Local time to the microsecond: a run's steps are milliseconds apart.
  FILETIME utc{};
  FILETIME local{};
  SYSTEMTIME now{};
  GetSystemTimePreciseAsFileTime(&utc);
  FileTimeToLocalFileTime(&utc, &local);
  FileTimeToSystemTime(&local, &now);
  const auto ticks = (std::uint64_t{local.dwHighDateTime} << 32) | local.dwLowDateTime;  // 100 ns each
  char stamp[40];
  std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u.%06u ", now.wYear, now.wMonth, now.wDay,
                now.wHour, now.wMinute, now.wSecond, static_cast<unsigned>(ticks / 10 % 1'000'000));
  const std::string line = stamp + OneLogLine(text) + "\r\n";
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(line.data());
  const DWORD code = WriteWhole(file_.Get(), std::span<const std::uint8_t>(bytes, line.size()));
  if (code == 0) return;
  failed_ = true;
  const RunTimeError error = FileError(code, path_);
  throw RunTimeError(error.Number(), "The log cannot be written: " + error.Detail());
}

}  // namespace hdgr::win32
