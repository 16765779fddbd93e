#pragma once
// The setup window's four event handlers: the whole of the program's logic. A failure
// leaves a handler as RunTimeError; the caller shows it and ends the program.

#include "installed/installed_copy.h"
#include "package/payload_digests.h"
#include "package/sha256_worker.h"
#include "platform/controls.h"

namespace hdgr {

class SetupHandlers {
 public:
  SetupHandlers(Platform& platform, InstalledCopy& installed, const PayloadDigests& digests)
      : platform_(platform), installed_(installed), digests_(digests) {}

  void Load();
  void AcceptClicked();
  void CancelClicked();
  void TimerTicked();

 private:
  Platform& platform_;
  InstalledCopy& installed_;
  const PayloadDigests& digests_;
  Sha256Worker digest_;  // started with the window, so a click does not wait for a thread
};

}  // namespace hdgr
