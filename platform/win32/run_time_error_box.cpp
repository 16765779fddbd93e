#include "platform/win32/run_time_error_box.h"

#include "platform/win32/win32_services.h"

namespace hdgr::win32 {

void EndWithRunTimeError(const RunTimeError& error, HWND owner) {
  ShowMessageBox(owner, error.MessageText(), kRunTimeErrorTitle, MB_ICONERROR);
  ExitProcess(1);
}

}  // namespace hdgr::win32
