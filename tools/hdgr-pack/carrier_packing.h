#pragma once
// Packing the payload files into a carrier and copying them out again: each file lies
// reversed in its segment, the segments anchored to the carrier's end.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "package/segment_table.h"

namespace hdgr {

using PayloadFiles = std::array<std::vector<std::uint8_t>, kSegments.size()>;

// Throws PackError naming the segment's file and both lengths when `bytes` is not exactly
// segment `index`'s length.
void RequireSegmentLength(int index, std::size_t length, std::string_view source);

// Writes each file reversed into its segment of `carrier`; any byte outside the segments
// (headers, pixels below the payload, the unused tail) is left as it was.
void PackSegments(std::span<std::uint8_t> carrier, const PayloadFiles& files);

// Segment `index`'s file, un-reversed. Throws PackError when the carrier is too short to
// hold it.
std::vector<std::uint8_t> UnpackSegment(std::span<const std::uint8_t> carrier, int index);

// Lowest 1-based position of segment `index`.
constexpr std::int64_t SegmentEnd(int index, std::int64_t carrier_length) {
  return SegmentStart(index, static_cast<std::int32_t>(carrier_length)) - kSegments[index].length + 1;
}

}  // namespace hdgr
