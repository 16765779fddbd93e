#pragma once
// The C++ source that compiles the packed files' digests, and what the installer asks of
// the account that starts it, into the setup program.

#include <string>

#include "package/installer_rights.h"
#include "package/payload_digests.h"

namespace hdgr {

// Defines hdgr::kPayloadDigests, in segment-table order, and hdgr::kInstallerRights.
std::string DigestsSource(const PayloadDigests& digests, InstallerRights installer_rights);

}  // namespace hdgr
