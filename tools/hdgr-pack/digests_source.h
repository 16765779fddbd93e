#pragma once
// The C++ source that compiles the packed files' digests, and what the installer asks of
// the account that starts it, into the setup program; it stops the program's build when
// the table the program was configured with is not that of the files packed.

#include <string>

#include "package/installer_rights.h"
#include "package/payload_digests.h"
#include "package/segment_layout.h"

namespace hdgr {

// Defines hdgr::kPayloadDigests, in segment-table order, and hdgr::kInstallerRights, and
// asserts that the program's kSegments holds `table`'s lengths.
std::string DigestsSource(const SegmentTable& table, const PayloadDigests& digests, InstallerRights installer_rights);

}  // namespace hdgr
