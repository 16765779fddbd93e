#pragma once
// The upgrade run: the product's main program replaced in its installed folder.

#include "installed/installed_copy.h"
#include "package/extract_segment.h"
#include "package/payload_digests.h"
#include "package/sha256_worker.h"
#include "platform/controls.h"

namespace hdgr {

// Refuses, before anything is changed, a product folder the upgrade must never write to:
// one that is empty or no full path, a drive's root, or the setup's own work folder or a
// folder inside it (staging would move it aside or make it anew, and the copy found there
// would never be the one upgraded). A path/file access error saying why.
void CheckUpgradeTarget(const InstalledCopy& installed);
// The new program in place of the old one, checked; the caller reports it.
void PerformUpgradeRun(Platform& platform, int carrier_file, const InstalledCopy& installed,
                       const PayloadDigests& digests, SegmentExtractor& extractor, Sha256Worker& digest);

}  // namespace hdgr
