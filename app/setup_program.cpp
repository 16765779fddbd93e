#include "app/setup_program.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "flows/layout_run.h"
#include "installed/installed_copy.h"
#include "package/installer_rights.h"
#include "package/payload_check.h"
#include "package/payload_digests.h"
#include "package/sha256_worker.h"
#include "platform/log_text.h"
#include "platform/run_time_error.h"
#include "platform/win32/display/common_controls.h"
#include "platform/win32/system/own_program.h"
#include "platform/win32/system/package_signature.h"
#include "platform/win32/system/single_instance.h"
#include "platform/win32/log/start_up_timeline.h"
#include "platform/win32/base/unique_handle.h"
#include "platform/win32/base/wide_text.h"
#include "platform/win32/base/win32_error.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/display/win32_user32.h"
#include "platform/win32/window/bitmap_picture.h"
#include "platform/win32/window/form_window.h"
#include "platform/win32/window/headless_form.h"
#include "setup_window/design.h"
#include "flows/handlers.h"
#include "setup_window/setup_form.h"
#include "flows/switches.h"
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
  SetupProgram(win32::Win32Services& services, const Switches& switches, win32::StartUpTimeline& timeline)
      : services_(services),
        switches_(switches),
        timeline_(timeline),
        form_(MakeForm()),
        platform_{services_, user32_, form_},
        handlers_(platform_, installed_, kPayloadDigests, kInstallerRights) {
    Form& form = TheForm();
    form.OnClick("Command1", Guarded([this] { handlers_.AcceptClicked(); }));
    form.OnClick("Command2", Guarded([this] { handlers_.CancelClicked(); }));
    form.OnTimer("Timer1", Guarded([this] { handlers_.TimerTicked(); }));
    // Closing the window before accept is cancel; the close box is off once accepted.
    form.OnCloseRequest(Guarded([this] { handlers_.CancelClicked(); }));
    form.OnSessionEnd([this](SessionEnd what) { Guarded([this, what] { handlers_.SessionEnds(what); })(); });
    // Each kind once: a flood of them must not flood the log.
    form.OnForgedMessage([this](std::string_view what) {
      if (!forged_noted_.insert(std::string(what)).second) return;
      Guarded([this, what] { services_.Note("ignored " + std::string(what) + ", which another program posted"); })();
    });
  }

  [[noreturn]] void Run() {
    if (switches_.elevated_part) {
      Guarded([this] { handlers_.RunElevatedPart(*switches_.elevated_part); })();
      HandleEvents();
    }
    Guarded([this] { handlers_.Load(); })();
    timeline_.Reached("Form_Load returned");
    if (window_) {
      window_->Show();
      timeline_.Reached("shown");
      services_.SetOwnerWindow(reinterpret_cast<HWND>(window_->hWnd()));
    }
    if (switches_.Unattended()) Guarded([this] { handlers_.AnswerForTheUser(); })();
    HandleEvents();
  }

 private:
  // A run without a screen keeps the window's controls in memory: the handlers see the
  // same captions and states, and nothing is drawn that nobody would see.
  Form& MakeForm() {
    // The administrator's copy works for a user's run whose window is on screen.
    if (switches_.quiet || switches_.elevated_part) {
      services_.SetNoScreen();
      headless_.emplace(SetupWindowDesign());
      timeline_.Reached("controls made in memory");
      return *headless_;
    }
    win32::LoadCommonControls();
    timeline_.Reached("common controls loaded");
    window_.emplace(SetupWindowDesign(), [this](std::string_view phase) { timeline_.Reached(phase); });
    services_.SetPendingDisplay(&window_->ProgressBarDisplay("ProgressBar1"));
    return *window_;
  }

  Form& TheForm() { return window_ ? static_cast<Form&>(*window_) : *headless_; }

  // Every end of the program is an EndProgram with its own exit code: the loop itself
  // never ends the run.
  [[noreturn]] void HandleEvents() {
    bool painted = !window_;
    MSG message;
    for (;;) {
      // Painted once no part of the shown window waits for its paint.
      if (!painted && (HIWORD(GetQueueStatus(QS_PAINT)) & QS_PAINT) == 0) {
        painted = true;
        Guarded([this] { timeline_.Reached("painted"); })();
      }
      // Ticks first: the system makes one only while no posted message waits, so a program
      // that keeps posting would hold the timed exit off for ever.
      if (PeekMessageW(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) {
        DispatchMessageW(&message);
        continue;
      }
      const BOOL got = GetMessageW(&message, nullptr, 0, 0);
      if (got == -1) services_.EndWithRunTimeError(win32::Win32Error(GetLastError(), "The window's messages"));
      if (got == 0) {
        Guarded([this, &message] { services_.IgnoreForeignQuit(static_cast<int>(message.wParam)); })();
        continue;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }

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
  win32::StartUpTimeline& timeline_;
  win32::Win32User32 user32_;
  std::optional<win32::FormWindow> window_;
  std::optional<win32::HeadlessForm> headless_;
  SetupFormControls form_;
  Platform platform_;
  InstalledCopy installed_;
  SetupHandlers handlers_;
  std::set<std::string> forged_noted_;
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

// The pictures the window reads at every start, the carrier among them.
std::vector<std::string_view> PicturesTheWindowReads() {
  std::vector<std::string_view> names;
  for (const ControlDesign& control : SetupWindowDesign().controls)
    if (!control.picture.empty() && std::find(names.begin(), names.end(), control.picture) == names.end())
      names.push_back(control.picture);
  return names;
}

// The package's signature, noted in the log: the exit code of an intact payload.
int VerifySignature(win32::Win32Services& services) {
  const win32::PackageSignature signature = win32::CheckPackageSignature(win32::OwnProgramPath());
  const std::string by = signature.signer.empty() ? std::string() : ", by " + QuotedForLog(signature.signer);
  switch (signature.state) {
    case win32::SignatureState::kTrusted:
      services.Note("package signature: signed and trusted" + by);
      return kExitDone;
    case win32::SignatureState::kNotTrusted:
      services.Note("package signature: signed but NOT TRUSTED on this machine" + by + ", " + signature.detail);
      return kExitSignerNotTrusted;
    case win32::SignatureState::kNotSigned:
      services.Note("package signature: NOT SIGNED, " + signature.detail);
      return kExitNotSigned;
    case win32::SignatureState::kBroken:
      break;
  }
  services.Note("package signature: BROKEN, the file is not what was signed" + by + ", " + signature.detail);
  return kExitSignatureBroken;
}

// The package as every run reads it, noted in the log: each picture the window reads, the
// carrier's length against the segment table, each packed file against its digest; then
// its signature. A package that every run would stop at is no intact one, whatever its
// signature says. Nothing is written but the log.
int VerifyPackage(win32::Win32Services& services) {
  bool intact = true;
  const auto note_fault = [&](std::string_view what, const std::optional<std::string>& fault) {
    if (!fault) return;
    services.Note("package " + std::string(what) + ": BROKEN, " + *fault);
    intact = false;
  };
  try {
    for (const std::string_view name : PicturesTheWindowReads())
      if (name != kCarrierPictureResource)
        note_fault("picture " + std::string(name), PictureFault(win32::ProgramResource(win32::Wide(name).c_str())));
    const std::span<const std::uint8_t> carrier = win32::ProgramResource(win32::Wide(kCarrierPictureResource).c_str());
    note_fault("carrier", CarrierFault(carrier));
    for (const PackedFileCheck& check : CheckPackedFiles(carrier, kPayloadDigests)) {
      services.Note("package " + std::string(check.name) + ": SHA-256 " + ToHex(check.digest) +
                    (check.intact ? ", intact" : ", CHANGED"));
      intact = intact && check.intact;
    }
  } catch (const RunTimeError& error) {
    note_fault("resources", std::string(error.what()) + ", " + error.Detail());
  }
  services.Note(intact ? "package intact" : "package NOT INTACT");
  int code = kExitFailed;
  try {
    code = VerifySignature(services);
  } catch (const RunTimeError& error) {
    services.Note("package signature: cannot be checked, " + std::string(error.what()) + ", " + error.Detail());
  }
  return intact ? code : kExitFailed;
}

// The installer's files into the folder an administrator named, straight from the image:
// no work folder, no settings, nothing started, no other setup waited for.
int LayOut(win32::Win32Services& services, const std::string& folder) {
  Sha256Worker digest;
  const std::span<const std::uint8_t> carrier = win32::ProgramResource(win32::Wide(kCarrierPictureResource).c_str());
  PerformLayout(services, carrier, kPayloadDigests, folder, digest);
  return kExitDone;
}

int RunWithServices(win32::Win32Services& services, const Switches& switches, win32::StartUpTimeline& timeline) {
  services.Note("switches: " + DescribeSwitches(switches));
  timeline.Begin(services.Log());
  if (switches.verify || switches.layout_folder) {
    const int code = switches.verify ? VerifyPackage(services) : LayOut(services, *switches.layout_folder);
    services.Note("exit code " + std::to_string(code));
    return code;
  }
  // The administrator's copy works for the user's run, which holds the name.
  const win32::SingleInstance one_setup(kOneSetupAtATime, kSetupNamespace, kOneSetupInNamespace);
  if (!switches.elevated_part && !one_setup.First()) {
    services.Note(one_setup.Private() ? std::string("another setup is running")
                                      : "another setup is running, or another program holds the name " +
                                            win32::Utf8(kOneSetupAtATime));
    services.ShowMessage(kAnotherSetupRunningMessage, MessageIcon::kError, kSetupWindowCaption);
    services.EndProgram(kExitAnotherSetupRunning);
  }
  SetupProgram(services, switches, timeline).Run();
}

}  // namespace

int RunSetupProgram() {
  win32::StartUpTimeline timeline;
  const Switches switches = ParseSwitches(CommandLineArguments());
  if (switches.offending) {
    ShowBox(switches, HelpText(switches), MB_ICONERROR);
    return kExitBadCommandLine;
  }
  if (switches.help) {
    ShowBox(switches, HelpText(switches), MB_ICONINFORMATION);
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
  // A failure outside any event's boundary (making the window, a log line that cannot be
  // written) ends as one inside it does.
  try {
    return RunWithServices(services, switches, timeline);
  } catch (...) {
    services.EndWithRunTimeError(CurrentFailure());
  }
}

}  // namespace hdgr
