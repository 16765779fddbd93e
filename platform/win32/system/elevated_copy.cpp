#include "platform/win32/system/elevated_copy.h"

#include <shellapi.h>

#include "platform/win32/base/unique_handle.h"
#include "platform/win32/base/wide_text.h"
#include "platform/win32/base/win32_error.h"

namespace hdgr::win32 {

std::wstring CommandLineOf(const std::vector<std::wstring>& arguments) {
  std::wstring line;
  for (const std::wstring& argument : arguments) {
    if (!line.empty()) line += L' ';
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
      line += argument;
      continue;
    }
    line += L'"';
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
      if (c == L'\\') {
        ++backslashes;
        continue;
      }
      // Backslashes count only before a quote: there each stands for two.
      line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
      backslashes = 0;
      line += c;
    }
    line.append(backslashes * 2, L'\\');  // before the closing quote
    line += L'"';
  }
  return line;
}

std::optional<int> RunElevated(const std::wstring& program, const std::vector<std::wstring>& arguments, HWND owner,
                               const std::function<void()>& pump) {
  const std::wstring parameters = CommandLineOf(arguments);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // NOCLOSEPROCESS: the process, to wait for. FLAG_NO_UI: no shell error box; the caller
  // says what went wrong.
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.hwnd = owner;
  info.lpVerb = L"runas";
  info.lpFile = program.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExW(&info)) {
    const DWORD code = GetLastError();
    if (code == ERROR_CANCELLED) return std::nullopt;
    throw Win32Error(code, "The administrator's copy of the setup (" + Utf8(program) + ")");
  }
  const ProcessHandle process(info.hProcess);
  if (!process) throw RunTimeError(ErrorNumber::kInternalError, "The administrator's copy of the setup gave no process");
  for (;;) {
    const HANDLE waited = process.Get();
    const DWORD woke = MsgWaitForMultipleObjectsEx(1, &waited, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_OBJECT_0) break;
    ThrowLastErrorIf(woke != WAIT_OBJECT_0 + 1, "Waiting for the administrator's copy of the setup");
    if (pump) pump();
  }
  DWORD exit_code = 0;
  ThrowLastErrorIf(!GetExitCodeProcess(process.Get(), &exit_code), "The administrator's copy's exit code");
  return static_cast<int>(exit_code);
}

}  // namespace hdgr::win32
