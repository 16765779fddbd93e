#include "flows/handlers.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "installed/product_settings.h"
#include "package/stage_carrier.h"
#include "platform/number_text.h"
#include "platform/run_time_error.h"
#include "flows/install_run.h"
#include "setup_window/design.h"
#include "setup_window/placement.h"
#include "setup_window/texts.h"
#include "flows/upgrade_run.h"

namespace hdgr {

namespace {

bool ContainsIgnoringCase(std::string_view text, std::string_view word) {
  const auto same = [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  };
  return std::search(text.begin(), text.end(), word.begin(), word.end(), same) != text.end();
}

}  // namespace

void SetupHandlers::Load() {
  // The system's accounts have no user's settings: a run there would install for nobody
  // and record the version where the user's product never looks.
  if (platform_.app.RunsAsServiceAccount()) {
    platform_.app.Note("refused: started as a system account, which has no user's settings");
    platform_.app.ShowMessage(kServiceAccountMessage, MessageIcon::kError, kSetupWindowCaption);
    platform_.app.EndProgram(kExitServiceAccount);
  }
  StopIfProductRunning(platform_);
  PlaceSetupWindow(platform_);
  ReadInstalledCopy(platform_.app, installed_);
  mode_ = CheckInstalledVersion(platform_.app, platform_.form, installed_);
  phase_ = Phase::kWaiting;
}

void SetupHandlers::AcceptClicked() {
  if (phase_ != Phase::kWaiting) return Ignore(Event::kAccept, "a click on the accept button", PhaseText());
  if (mode_ == SetupMode::kCurrent)
    return Ignore(Event::kAccept, "a click on the accept button", "the installed copy is current, nothing is offered");
  phase_ = Phase::kRunning;
  digest_.emplace();
  SetupForm& form = platform_.form;
  form.StatusLine().SetCaption(kExtractingStatus);
  StopIfProductRunning(platform_);
  form.ProgressCaption().SetVisible(true);
  form.AcceptButton().SetEnabled(false);
  form.CancelButton().SetEnabled(false);
  // The caption the version check set, as the program keeps it, not as the window shows it.
  const bool upgrade = ContainsIgnoringCase(form.AcceptButton().Caption(), kUpgradeWord);
  if (upgrade) CheckUpgradeTarget(installed_);
  form.KeepSessionOpen(kSessionKeptOpenReason);
  if (NeedsAdministratorsCopy(upgrade)) return HandToAdministratorsCopy(upgrade);
  const int carrier_file = StageCarrier(platform_.app, form.CarrierPicture());
  if (upgrade) {
    PerformUpgradeRun(platform_, carrier_file, installed_, digests_, extractor_, *digest_);
    return ReportUpgrade();
  }
  const std::uint32_t task = PerformInstallRun(platform_, carrier_file, digests_, extractor_, *digest_, true);
  // The installer asks for rights this run has not got: the administrator's copy makes
  // its own folder, files and start (what this run wrote stays where only this user can
  // change it, and is never started).
  if (task == 0 && !platform_.app.Elevated()) {
    platform_.app.ReleaseFiles();  // or the copy could not move this run's folder aside
    return HandToAdministratorsCopy(false);
  }
  if (task == 0) {
    platform_.app.ShowMessage(kLaunchFailedMessage, MessageIcon::kError, kLaunchFailedTitle);
    platform_.app.EndProgram(kExitFailed);  // a setup that did not start is no success
  }
  ArmTimedExit();
}

bool SetupHandlers::NeedsAdministratorsCopy(bool upgrade) {
  ApplicationServices& app = platform_.app;
  if (app.Elevated()) return false;
  if (upgrade) return !app.MayReplace(installed_.folder + std::string(kProgramFileSuffix));
  // A standard user's highest rights are the user's own: only an installer that requires
  // the administrators' is refused to this run.
  return installer_rights_ == InstallerRights::kRequireAdministrator;
}

void SetupHandlers::HandToAdministratorsCopy(bool upgrade) {
  ApplicationServices& app = platform_.app;
  app.Note(upgrade ? "this run may not replace " + installed_.folder + std::string(kProgramFileSuffix) +
                         ": an administrator's copy of the setup upgrades it"
                   : "the installer asks for the administrators' rights: an administrator's copy of the setup "
                     "makes the files and starts it");
  std::vector<std::string> arguments{upgrade ? "/elevated-upgrade" : "/elevated-install"};
  if (upgrade) arguments.push_back(installed_.folder);
  const std::optional<int> code = app.RunElevatedCopy(arguments);
  if (!code) {
    app.Note("the administrator's consent was refused: nothing was started");
    app.ShowMessage(kLaunchFailedMessage, MessageIcon::kError, kLaunchFailedTitle);
    app.EndProgram(kExitFailed);
  }
  // The copy told the user, or its log, what stopped it.
  if (*code != kExitDone) {
    app.Note("the administrator's copy ended with exit code " + std::to_string(*code));
    app.EndProgram(*code);
  }
  if (upgrade) return ReportUpgrade();
  RecordInstalledVersion(app);
  ArmTimedExit();
}

void SetupHandlers::ReportUpgrade() {
  platform_.form.LetSessionEnd();
  platform_.app.ShowMessage(kUpgradeCompleteMessage, MessageIcon::kInformation, kProductMessageTitle);
  platform_.app.EndProgram();
}

void SetupHandlers::ArmTimedExit() {
  platform_.form.ExitTimer().SetEnabled(true);
  phase_ = Phase::kInstallerStarted;
  platform_.form.LetSessionEnd();
}

void SetupHandlers::RunElevatedPart(const ElevatedPart& part) {
  ApplicationServices& app = platform_.app;
  // Started through the shell's prompt: without the rights it was started for (the user's
  // own account, where the system elevates nobody), it would only repeat the user's run.
  if (!app.Elevated())
    throw RunTimeError(ErrorNumber::kPermissionDenied,
                       "The administrator's part of the setup was started without the administrators' rights");
  phase_ = Phase::kRunning;
  digest_.emplace();
  StopIfProductRunning(platform_);
  if (part.upgrade) {
    installed_.folder = part.product_folder;
    CheckUpgradeTarget(installed_);
    // Found by the user's run; looked for again here, with these rights, before anything
    // is written.
    const std::string program = installed_.folder + std::string(kProgramFileSuffix);
    if (TrimBlanks(app.FindEntry(program, kFindFiles)).empty())
      throw RunTimeError(ErrorNumber::kFileNotFound, program + " is not there any more: nothing was written");
  }
  platform_.form.KeepSessionOpen(kSessionKeptOpenReason);
  const int carrier_file = StageCarrier(app, platform_.form.CarrierPicture());
  if (part.upgrade) {
    PerformUpgradeRun(platform_, carrier_file, installed_, digests_, extractor_, *digest_);
  } else if (PerformInstallRun(platform_, carrier_file, digests_, extractor_, *digest_, false) == 0) {
    app.ShowMessage(kLaunchFailedMessage, MessageIcon::kError, kLaunchFailedTitle);
    app.EndProgram(kExitFailed);
  }
  app.Note("done for the user's run");
  app.EndProgram(kExitDone);
}

// In current mode cancel is all there is to do.
void SetupHandlers::CancelClicked() {
  if (phase_ != Phase::kWaiting) return Ignore(Event::kCancel, "a click on the cancel button", PhaseText());
  const bool offered = mode_ != SetupMode::kCurrent;
  platform_.app.Note(offered ? "cancelled" : "nothing to do");
  platform_.app.EndProgram(offered ? kExitCancelled : kExitNothingToDo);
}

void SetupHandlers::TimerTicked() {
  if (phase_ != Phase::kInstallerStarted) return Ignore(Event::kTimer, "a timer tick", "the installer has not started");
  platform_.app.EndProgram();
}

void SetupHandlers::AnswerForTheUser() {
  if (mode_ == SetupMode::kCurrent) CancelClicked();
  else AcceptClicked();
}

void SetupHandlers::SessionEnds(SessionEnd what) {
  ApplicationServices& app = platform_.app;
  switch (what) {
    case SessionEnd::kRefused:
      app.Note("asked to end the session during the run: refused until the run is done");
      return;
    case SessionEnd::kGoingOn:
      app.Note("the session goes on");
      return;
    case SessionEnd::kEnding:
      break;
  }
  switch (phase_) {
    case Phase::kStarting:
    case Phase::kWaiting:
      app.Note("the session ends: the setup changed nothing");
      break;
    case Phase::kRunning:
      app.Note("the session ends during the run: the files noted in place above stay, a file not yet in place "
               "is removed; run the setup again");
      break;
    case Phase::kInstallerStarted:
      app.Note("the session ends: the installer was started");
      break;
  }
}

std::string_view SetupHandlers::PhaseText() const {
  switch (phase_) {
    case Phase::kStarting:
      return "start-up has not finished";
    case Phase::kWaiting:
      return "the window waits for the user";
    case Phase::kRunning:
      return "the run has begun";
    case Phase::kInstallerStarted:
      return "the installer has started";
  }
  return {};
}

void SetupHandlers::Ignore(Event event, std::string_view what, std::string_view why) {
  const auto bit = static_cast<std::uint8_t>(event);
  if (ignored_ & bit) return;
  ignored_ |= bit;
  platform_.app.Note("ignored " + std::string(what) + ": " + std::string(why) + " (any more like it are not noted)");
}

}  // namespace hdgr
