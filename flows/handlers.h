#pragma once
// The setup's handlers (the window's events, the session's end, an unattended run, the
// administrator's copy): the whole of the program's logic. A failure leaves a handler as
// RunTimeError; the caller shows it and ends the program.
//
// The handlers decide from their own state: the mode the version check returned, the
// phase of the run and the installed copy read at start-up. The window shows that state
// but is never its source, since any program on the same desktop can post it a click on a
// disabled button, a new caption, a timer tick or a quit. An event the phase does not
// allow is noted and ignored.

#include <cstdint>
#include <optional>
#include <string_view>

#include "flows/switches.h"
#include "installed/installed_copy.h"
#include "installed/version_check.h"
#include "package/installer_rights.h"
#include "package/extract_segment.h"
#include "package/payload_digests.h"
#include "package/sha256_worker.h"
#include "platform/controls.h"

namespace hdgr {

class SetupHandlers {
 public:
  // `installer_rights`: what the packed installer asks of the account that starts it.
  SetupHandlers(Platform& platform, InstalledCopy& installed, const PayloadDigests& digests,
                InstallerRights installer_rights = InstallerRights::kAsInvoker)
      : platform_(platform), installed_(installed), digests_(digests), installer_rights_(installer_rights) {}

  void Load();
  void AcceptClicked();
  void CancelClicked();
  void TimerTicked();
  // Unattended, the setup answers for the user: it accepts what the version check
  // offered, and where it offered nothing (a current copy) it leaves as cancel would.
  void AnswerForTheUser();
  // Notes what the system said of the session's end, and what the run leaves when it ends.
  void SessionEnds(SessionEnd what);
  // The job of an administrator's copy that a standard user's run started: the install or
  // the upgrade, without a window, without reading or writing any settings (the copy runs
  // as another account, whose settings are not the user's). Ends the program: 0 when done.
  void RunElevatedPart(const ElevatedPart& part);

 private:
  enum class Phase {
    kStarting,           // Load has not returned
    kWaiting,            // the window waits for accept or cancel
    kRunning,            // accepted: the run goes on to its end
    kInstallerStarted,   // the exit timer is on
  };
  enum class Event : std::uint8_t { kAccept = 1, kCancel = 2, kTimer = 4 };
  // Notes the first of each kind of event ignored, so a flood of forged ones cannot flood
  // the log.
  void Ignore(Event event, std::string_view what, std::string_view why);
  std::string_view PhaseText() const;
  // Whether this run must hand the run to an administrator's copy of itself: it has not
  // the rights the installer asks for, or may not replace the product's program.
  bool NeedsAdministratorsCopy(bool upgrade);
  // Starts that copy and waits for it; on its success records the version (install) and
  // arms the timed exit, or reports the upgrade.
  void HandToAdministratorsCopy(bool upgrade);
  void ReportUpgrade();
  void ArmTimedExit();

  Platform& platform_;
  InstalledCopy& installed_;
  const PayloadDigests& digests_;
  InstallerRights installer_rights_;
  SetupMode mode_ = SetupMode::kInstall;
  Phase phase_ = Phase::kStarting;
  std::uint8_t ignored_ = 0;
  // Made with the window, so that a click waits for no fresh memory.
  SegmentExtractor extractor_;
  // Started as a run begins, before the carrier is saved, which gives it time to come up
  // before the first block: a thread idle from the start would cost the waiting window
  // its stack (under Wine 3 MiB of private bytes, committed in full).
  std::optional<Sha256Worker> digest_;
};

}  // namespace hdgr
