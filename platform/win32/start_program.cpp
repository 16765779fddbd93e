#include "platform/win32/start_program.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/unique_handle.h"
#include "platform/win32/wide_text.h"

namespace hdgr::win32 {

std::uint32_t StartProgram(std::string_view path, int show_state) {
  const std::wstring file = Wide(path);
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

}  // namespace hdgr::win32
