#pragma once
// The upgrade run: the product's main program replaced in its installed folder.

#include "installed/installed_copy.h"
#include "package/extract_segment.h"
#include "package/payload_digests.h"
#include "package/sha256_worker.h"
#include "platform/controls.h"

namespace hdgr {

// Reports completion and ends the program.
void PerformUpgradeRun(Platform& platform, int carrier_file, const InstalledCopy& installed,
                       const PayloadDigests& digests, SegmentExtractor& extractor, Sha256Worker& digest);

}  // namespace hdgr
