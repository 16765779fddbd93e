#include "platform/win32/run_log.h"

#include <windows.h>

#include <cstdio>

#include "platform/win32/file_error.h"
#include "platform/win32/file_handles.h"
#include "platform/win32/wide_text.h"

namespace hdgr::win32 {

void RunLog::Open(std::string_view path) {
  const std::wstring wide = Wide(path);
  // Append only: every line lands at the end, whoever else writes the file too.
  FileHandle file(CreateFileW(wide.c_str(), FILE_APPEND_DATA | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw FileError(GetLastError(), wide);
  file_ = std::move(file);
}

void RunLog::Write(std::string_view text) {
  if (!file_) return;
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
  std::string line(stamp);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      line += " | ";
    } else {
      line += text[i];
    }
  }
  line += "\r\n";
  WriteWhole(file_.Get(), std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(line.data()), line.size()));
}

}  // namespace hdgr::win32
