#pragma once
// The setup window's four event handlers: the whole of the program's logic. A failure
// leaves a handler as RunTimeError; the caller shows it and ends the program.

#include "installed/installed_copy.h"
#include "package/extract_segment.h"
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
  // Made with the window, so that a click waits neither for a thread nor for fresh memory.
  SegmentExtractor extractor_;
  Sha256Worker digest_;
};

}  // namespace hdgr
