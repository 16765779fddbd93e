#include "flows/handlers.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

#include "installed/product_settings.h"
#include "package/stage_carrier.h"
#include "flows/install_run.h"
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
  const int carrier_file = StageCarrier(platform_.app, form.CarrierPicture());
  if (upgrade) {
    PerformUpgradeRun(platform_, carrier_file, installed_, digests_, extractor_, digest_);
  } else {
    PerformInstallRun(platform_, carrier_file, digests_, extractor_, digest_);
    phase_ = Phase::kInstallerStarted;
    form.LetSessionEnd();
  }
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
