#pragma once
// The SHA-256 digest of each packed file, in segment-table order. The package build
// generates the definition from the payload it packed; tests supply their own.

#include <array>

#include "package/segment_table.h"
#include "package/sha256.h"

namespace hdgr {

using PayloadDigests = std::array<Sha256Digest, kSegments.size()>;

extern const PayloadDigests kPayloadDigests;

}  // namespace hdgr
