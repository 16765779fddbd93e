#pragma once
// The C++ source that compiles the packed files' digests into the setup program.

#include <string>

#include "package/payload_digests.h"

namespace hdgr {

// Defines hdgr::kPayloadDigests, in segment-table order.
std::string DigestsSource(const PayloadDigests& digests);

}  // namespace hdgr
