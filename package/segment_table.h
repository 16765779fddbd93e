#pragma once
// Where this package's files lie in its carrier (package/segment_layout.h): the table the
// build generated from the files it packed, and the carrier's size that follows from it.
// The program holds them as numbers and never reads them from the carrier.

#include <cstdint>

#include "package/package_definition.h"
#include "package/segment_layout.h"

namespace hdgr {

inline constexpr int kInstallSegmentCount = 3;  // segments 1 to 3; segment 4 is the upgrade
inline constexpr int kUpgradeSegment = 3;       // index of HaldenGrid.exe

// The smallest carrier of the design's width that holds the payload and its unused tail,
// never fewer rows than the design's.
inline constexpr std::int32_t kCarrierHeight =
    static_cast<std::int32_t>(CarrierRowsFor(SumOfLengths(kSegments, static_cast<int>(kSegments.size()))));
inline constexpr std::int32_t kCarrierLength = static_cast<std::int32_t>(CarrierLengthFor(kCarrierHeight));

constexpr std::int32_t InstallLength() {
  std::int32_t sum = 0;
  for (int i = 0; i < kInstallSegmentCount; ++i) sum += kSegments[i].length;
  return sum;
}

constexpr std::int32_t PayloadLength() { return InstallLength() + kSegments[kUpgradeSegment].length; }

// 1-based position of segment `index`'s first byte (its highest position).
constexpr std::int32_t SegmentStart(int index, std::int32_t carrier_length) {
  return SegmentStartIn(kSegments, index, carrier_length);
}

constexpr bool EveryFileHasAByte() {
  for (const Segment& segment : kSegments)
    if (segment.length < 1) return false;
  return true;
}
static_assert(EveryFileHasAByte(), "a packed file has at least one byte");
static_assert(CarrierRowsFor(SumOfLengths(kSegments, static_cast<int>(kSegments.size()))) <= kMostCarrierRows,
              "the payload is too large for a carrier of 32-bit positions");

}  // namespace hdgr
