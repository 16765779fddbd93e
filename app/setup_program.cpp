#include "app/setup_program.h"

#include <windows.h>

#include <functional>
#include <optional>

#include "installed/module1.h"
#include "package/payload_digests.h"
#include "platform/run_time_error.h"
#include "platform/win32/common_controls.h"
#include "platform/win32/run_time_error_box.h"
#include "platform/win32/single_instance.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_user32.h"
#include "platform/win32/window/form_window.h"
#include "setup_window/design.h"
#include "setup_window/handlers.h"
#include "setup_window/setup_form.h"
#include "setup_window/texts.h"

namespace hdgr {

namespace {

class SetupProgram {
 public:
  SetupProgram()
      : window_(SetupWindowDesign()),
        form_(window_),
        platform_{services_, user32_, form_},
        handlers_(platform_, module1_, kPayloadDigests) {
    services_.SetPendingDisplay(&window_.ProgressBarDisplay("ProgressBar1"));
    window_.OnClick("Command1", Guarded([this] { handlers_.Command1_Click(); }));
    window_.OnClick("Command2", Guarded([this] { handlers_.Command2_Click(); }));
    window_.OnTimer("Timer1", Guarded([this] { handlers_.Timer1_Timer(); }));
    // Closing the window before accept is cancel; the close box is off once accepted.
    window_.OnCloseRequest(Guarded([this] { handlers_.Command2_Click(); }));
  }

  int Run() {
    Guarded([this] { handlers_.Form_Load(); })();
    window_.Show();
    services_.SetOwnerWindow(reinterpret_cast<HWND>(window_.hWnd()));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
  }

 private:
  // The one boundary of every event: a failure shows the run-time error message and
  // ends the program with exit code 1.
  std::function<void()> Guarded(std::function<void()> handler) {
    return [this, handler = std::move(handler)] {
      try {
        handler();
      } catch (const RunTimeError& error) {
        win32::EndWithRunTimeError(error, services_.OwnerWindow());
      }
    };
  }

  win32::Win32Services services_;
  win32::Win32User32 user32_;
  win32::FormWindow window_;
  SetupFormControls form_;
  Platform platform_;
  Module1 module1_;
  SetupHandlers handlers_;
};

}  // namespace

// Every copy of this setup, of any version and in every session, works in the one work
// folder: only one may run.
constexpr wchar_t kOneSetupAtATime[] = L"Global\\HaldenGrid.Setup";

int RunSetupProgram() {
  const win32::SingleInstance one_setup(kOneSetupAtATime);
  if (!one_setup.First()) {
    win32::ShowMessageBox(nullptr, kAnotherSetupRunningMessage, kSetupWindowCaption, MB_ICONERROR);
    return kExitFailed;
  }
  std::optional<SetupProgram> program;
  try {
    win32::LoadCommonControls();
    program.emplace();
  } catch (const RunTimeError& error) {
    win32::EndWithRunTimeError(error, nullptr);
  }
  return program->Run();
}

}  // namespace hdgr
