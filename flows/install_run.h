#pragma once
// The install run: the installer's three files into the work folder, the version
// recorded, the installer started and the timed exit armed.

#include "package/extract_segment.h"
#include "package/payload_digests.h"
#include "package/sha256_worker.h"
#include "platform/controls.h"

namespace hdgr {

// Returns with the exit timer on; ends the program when the installer does not start.
void PerformInstallRun(Platform& platform, int carrier_file, const PayloadDigests& digests, SegmentExtractor& extractor,
                       Sha256Worker& digest);

}  // namespace hdgr
