#include "platform/win32/start_program.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "platform/win32/unique_handle.h"
#include "platform/win32/wide_text.h"

namespace hdgr::win32 {

namespace {

// ERROR_ELEVATION_REQUIRED, which MinGW-w64's headers lack.
constexpr DWORD kElevationRequired = 740;

// The program's id, or 0 with the reason in GetLastError.
std::uint32_t StartDirectly(const std::wstring& file, int show_state) {
  std::wstring command = L"\"" + file + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show_state);
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(file.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
    return 0;
  const ProcessHandle process(started.hProcess);
  const ProcessHandle thread(started.hThread);
  return started.dwProcessId;
}

std::uint32_t StartThroughShell(const std::wstring& file, int show_state) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // NOCLOSEPROCESS: we want the process for its id. FLAG_NO_UI: the caller reports a
  // failure itself; no shell error box on top of ours.
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.lpVerb = L"open";
  info.lpFile = file.c_str();
  info.nShow = show_state;
  if (!ShellExecuteExW(&info)) return 0;
  const ProcessHandle process(info.hProcess);
  return process ? GetProcessId(process.Get()) : 0;
}

}  // namespace

std::uint32_t StartProgram(std::string_view path, int show_state) {
  const std::wstring file = Wide(path);
  // Started directly first: the shell costs tens of milliseconds more (under Wine, as much
  // as the rest of an unattended install). Only the shell can ask for elevation.
  if (const std::uint32_t id = StartDirectly(file, show_state)) return id;
  if (GetLastError() != kElevationRequired) return 0;
  return StartThroughShell(file, show_state);
}

}  // namespace hdgr::win32
