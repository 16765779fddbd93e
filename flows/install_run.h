#pragma once
// The install run: the installer's three files into the work folder, the version
// recorded and the installer started.

#include <cstdint>

#include "package/extract_segment.h"
#include "package/payload_digests.h"
#include "package/sha256_worker.h"
#include "platform/controls.h"

namespace hdgr {

// The files written and checked, the version recorded in this run's settings when
// `record_version` (an administrator's copy working for a user's run leaves that to the
// user's run), the installer started: its task number. 0 when the installer asks for the
// administrators' rights and this run has not got them: nothing was started.
std::uint32_t PerformInstallRun(Platform& platform, int carrier_file, const PayloadDigests& digests,
                                SegmentExtractor& extractor, Sha256Worker& digest, bool record_version);

}  // namespace hdgr
