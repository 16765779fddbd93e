#include "platform/win32/system/start_program.h"

#include <windows.h>

#include <string>

#include "platform/win32/base/unique_handle.h"
#include "platform/win32/base/wide_text.h"
#include "platform/win32/base/win32_error.h"
#include "platform/win32/files/file_error.h"

namespace hdgr::win32 {

namespace {

// ERROR_ELEVATION_REQUIRED, which MinGW-w64's headers lack.
constexpr DWORD kElevationRequired = 740;

}  // namespace

std::uint32_t StartProgram(std::string_view path, int show_state, const std::function<void()>& before_first_instruction) {
  const std::wstring file = Wide(path);
  std::wstring command = L"\"" + file + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show_state);
  PROCESS_INFORMATION started{};
  const DWORD flags = before_first_instruction ? CREATE_SUSPENDED : 0;
  if (!CreateProcessW(file.c_str(), command.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr, &startup,
                      &started)) {
    const DWORD code = GetLastError();
    if (code == kElevationRequired) return 0;
    throw FileError(code, file);
  }
  const ProcessHandle process(started.hProcess);
  const ProcessHandle thread(started.hThread);
  if (before_first_instruction) {
    try {
      before_first_instruction();
    } catch (...) {
      TerminateProcess(process.Get(), 1);
      throw;
    }
    if (ResumeThread(thread.Get()) == static_cast<DWORD>(-1)) {
      const DWORD code = GetLastError();
      TerminateProcess(process.Get(), 1);
      throw Win32Error(code, "Starting " + std::string(path));
    }
  }
  return started.dwProcessId;
}

}  // namespace hdgr::win32
