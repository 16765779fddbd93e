#pragma once
// Packing the payload files into a carrier and copying them out again: each file lies
// reversed in its segment, the segments anchored to the carrier's end (package/segment_layout.h).

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "package/segment_layout.h"

namespace hdgr {

using PayloadFiles = std::array<std::vector<std::uint8_t>, kPackedFileNames.size()>;

// The table of files of `lengths`, and the rows of the smallest carrier that holds them.
// Throws PackError naming `sources[i]` for an empty file, and when no carrier of 32-bit
// positions holds them all.
struct PackageLayout {
  SegmentTable table;
  std::int32_t rows;
};
PackageLayout LayoutFor(const std::array<std::int64_t, kPackedFileNames.size()>& lengths,
                        const std::array<std::string, kPackedFileNames.size()>& sources);
// LayoutFor the files' own lengths.
PackageLayout LayoutOf(const PayloadFiles& files, const std::array<std::string, kPackedFileNames.size()>& sources);

// Throws PackError naming the segment's file and both lengths when `length` is not exactly
// segment `index`'s length in `table`.
void RequireSegmentLength(const SegmentTable& table, int index, std::size_t length, std::string_view source);

// Writes each file reversed into its segment of `carrier`; any byte outside the segments
// (headers, pixels below the payload, the unused tail) is left as it was.
void PackSegments(std::span<std::uint8_t> carrier, const SegmentTable& table, const PayloadFiles& files);

// Segment `index`'s file, un-reversed. Throws PackError when the carrier is too short to
// hold the table's files.
std::vector<std::uint8_t> UnpackSegment(std::span<const std::uint8_t> carrier, const SegmentTable& table, int index);

// Lowest 1-based position of segment `index`.
constexpr std::int64_t SegmentEnd(const SegmentTable& table, int index, std::int64_t carrier_length) {
  return SegmentStartIn(table, index, static_cast<std::int32_t>(carrier_length)) - table[index].length + 1;
}

}  // namespace hdgr
