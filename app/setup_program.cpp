#include "app/setup_program.h"

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "installed/installed_copy.h"
#include "package/payload_check.h"
#include "package/payload_digests.h"
#include "platform/run_time_error.h"
#include "platform/win32/common_controls.h"
#include "platform/win32/single_instance.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_user32.h"
#include "platform/win32/window/bitmap_picture.h"
#include "platform/win32/window/form_window.h"
#include "setup_window/design.h"
#include "setup_window/handlers.h"
#include "setup_window/setup_form.h"
#include "setup_window/switches.h"
#include "setup_window/texts.h"

namespace hdgr {

namespace {

// Every copy of this setup, of any version and in every session, works in the one work
// folder: only one may run.
constexpr wchar_t kOneSetupAtATime[] = L"Global\\HaldenGrid.Setup";
constexpr wchar_t kSetupNamespace[] = L"HaldenGrid";
constexpr wchar_t kOneSetupInNamespace[] = L"Setup";

class SetupProgram {
 public:
  SetupProgram(win32::Win32Services& services, const Switches& switches)
      : services_(services),
        switches_(switches),
        window_(SetupWindowDesign()),
        form_(window_),
        platform_{services_, user32_, form_},
        handlers_(platform_, installed_, kPayloadDigests) {
    services_.SetPendingDisplay(&window_.ProgressBarDisplay("ProgressBar1"));
    window_.OnClick("Command1", Guarded([this] { handlers_.AcceptClicked(); }));
    window_.OnClick("Command2", Guarded([this] { handlers_.CancelClicked(); }));
    window_.OnTimer("Timer1", Guarded([this] { handlers_.TimerTicked(); }));
    // Closing the window before accept is cancel; the close box is off once accepted.
    window_.OnCloseRequest(Guarded([this] { handlers_.CancelClicked(); }));
  }

  int Run() {
    Guarded([this] { handlers_.Load(); })();
    if (!switches_.quiet) window_.Show();
    services_.SetOwnerWindow(reinterpret_cast<HWND>(window_.hWnd()));
    // Unattended, the setup answers for the user: it accepts what the version check
    // offers, and where it offers nothing (a current copy) it leaves as cancel would.
    if (switches_.Unattended()) {
      const bool offered = form_.AcceptButton().Enabled();
      Guarded([this, offered] { offered ? handlers_.AcceptClicked() : handlers_.CancelClicked(); })();
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
  }

 private:
  // The one boundary of every event: a failure ends the program with its run-time error
  // message and exit code 1.
  std::function<void()> Guarded(std::function<void()> handler) {
    return [this, handler = std::move(handler)] {
      try {
        handler();
      } catch (...) {
        services_.EndWithRunTimeError(CurrentFailure());
      }
    };
  }

  win32::Win32Services& services_;
  const Switches& switches_;
  win32::Win32User32 user32_;
  win32::FormWindow window_;
  SetupFormControls form_;
  Platform platform_;
  InstalledCopy installed_;
  SetupHandlers handlers_;
};

std::vector<std::string> CommandLineArguments() {
  int count = 0;
  const win32::LocalMemory<LPWSTR*> arguments(CommandLineToArgvW(GetCommandLineW(), &count));
  std::vector<std::string> utf8;
  for (int i = 1; arguments && i < count; ++i) utf8.push_back(win32::Utf8(arguments.Get()[i]));
  return utf8;
}

void ShowBox(const Switches& switches, std::string_view text, UINT icon) {
  if (!switches.quiet) win32::ShowMessageBox(nullptr, text, kSetupWindowCaption, icon);
}

// Each packed file against its digest, noted in the log; nothing is written but the log.
int VerifyPackage(win32::Win32Services& services) {
  bool intact = true;
  for (const PackedFileCheck& check : CheckPackedFiles(win32::ProgramResource(L"CARRIER"), kPayloadDigests)) {
    services.Note("package " + std::string(check.name) + ": SHA-256 " + ToHex(check.digest) +
                  (check.intact ? ", intact" : ", CHANGED"));
    intact = intact && check.intact;
  }
  return intact ? kExitDone : kExitFailed;
}

int RunWithServices(win32::Win32Services& services, const Switches& switches) {
  services.Note("switches: " + DescribeSwitches(switches));
  if (switches.verify) {
    const int code = VerifyPackage(services);
    services.Note("exit code " + std::to_string(code));
    return code;
  }
  const win32::SingleInstance one_setup(kOneSetupAtATime, kSetupNamespace, kOneSetupInNamespace);
  if (!one_setup.First()) {
    services.Note(one_setup.Private() ? std::string("another setup is running")
                                      : "another setup is running, or another program holds the name " +
                                            win32::Utf8(kOneSetupAtATime));
    services.ShowMessage(kAnotherSetupRunningMessage, MessageIcon::kError, kSetupWindowCaption);
    services.EndProgram(kExitAnotherSetupRunning);
  }
  std::optional<SetupProgram> program;
  try {
    win32::LoadCommonControls();
    program.emplace(services, switches);
  } catch (...) {
    services.EndWithRunTimeError(CurrentFailure());
  }
  return program->Run();
}

}  // namespace

int RunSetupProgram() {
  const Switches switches = ParseSwitches(CommandLineArguments());
  if (switches.offending) {
    ShowBox(switches, HelpText(switches.offending), MB_ICONERROR);
    return kExitBadCommandLine;
  }
  if (switches.help) {
    ShowBox(switches, HelpText(std::nullopt), MB_ICONINFORMATION);
    return kExitDone;
  }
  win32::Win32Services services;
  services.SetUnattended(switches.Unattended());
  services.SetErrorTitle(kSetupWindowCaption);
  if (switches.log_file) {
    // Before anything else: a run that cannot keep the log it was asked for does nothing.
    try {
      services.Log().Open(*switches.log_file);
    } catch (const RunTimeError& error) {
      ShowBox(switches, "The log cannot be written.\r\n" + error.MessageText(), MB_ICONERROR);
      return kExitFailed;
    }
  }
  return RunWithServices(services, switches);
}

}  // namespace hdgr
