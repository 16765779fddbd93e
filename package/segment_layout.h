#pragma once
// How packed files lie in a carrier bitmap, for any files: the layout is anchored to the
// carrier's end, the last bytes hold no payload, segment 1 starts just below them and each
// later segment starts just below the previous one. Each segment holds its file reversed
// (the file's first byte at the segment's highest position). The carrier is a 24-bit
// bitmap of the design's width, as many rows as the payload needs and never fewer than
// the design's. The program's own table is package/segment_table.h; hdgr-pack packs any.

#include <array>
#include <cstdint>
#include <limits>
#include <string_view>

namespace hdgr {

struct Segment {
  std::string_view file_name;
  std::int32_t length;
};

using SegmentTable = std::array<Segment, 4>;
using SegmentLengths = std::array<std::int32_t, 4>;

// The packed files' names, in table order.
inline constexpr std::array<std::string_view, 4> kPackedFileNames{"Setup.exe", "HaldenGrid.CAB", "Setup.LST",
                                                                  "HaldenGrid.exe"};

// The table the window's design was made for, the demo payload's.
inline constexpr SegmentTable kDesignedSegments{{
    {kPackedFileNames[0], 148'336},
    {kPackedFileNames[1], 2'670'171},
    {kPackedFileNames[2], 9'266},
    {kPackedFileNames[3], 1'810'432},
}};

inline constexpr std::int32_t kUnusedTailBytes = 10;

// The carrier: 24 bits a pixel, rows bottom-up, no fill bytes.
inline constexpr std::int32_t kCarrierWidth = 1000;
inline constexpr std::int32_t kDesignedCarrierHeight = 2000;  // the fewest rows a carrier has
inline constexpr std::int32_t kBitmapHeaderBytes = 54;
inline constexpr std::int32_t kCarrierRowBytes = kCarrierWidth * 3;
static_assert(kCarrierRowBytes % 4 == 0, "carrier rows need no fill bytes");
// Positions are 32-bit: the most rows a carrier may have.
inline constexpr std::int64_t kMostCarrierRows =
    (std::int64_t{std::numeric_limits<std::int32_t>::max()} - kBitmapHeaderBytes) / kCarrierRowBytes;

constexpr SegmentTable TableOf(const SegmentLengths& lengths) {
  SegmentTable table{};
  for (std::size_t i = 0; i < table.size(); ++i) table[i] = {kPackedFileNames[i], lengths[i]};
  return table;
}

// The rows a carrier needs to hold `payload_bytes` and its unused tail: the fewest whole
// rows, and never fewer than the design's. 64-bit, so that a payload no carrier can hold
// reads as more rows than kMostCarrierRows instead of overflowing.
constexpr std::int64_t CarrierRowsFor(std::int64_t payload_bytes) {
  const std::int64_t rows = (payload_bytes + kUnusedTailBytes + kCarrierRowBytes - 1) / kCarrierRowBytes;
  return rows < kDesignedCarrierHeight ? kDesignedCarrierHeight : rows;
}

constexpr std::int64_t CarrierLengthFor(std::int64_t rows) { return kBitmapHeaderBytes + rows * kCarrierRowBytes; }

// The files of segments 0 .. count - 1 together, 64-bit for any lengths.
constexpr std::int64_t SumOfLengths(const SegmentTable& table, int count) {
  std::int64_t sum = 0;
  for (int i = 0; i < count; ++i) sum += table[i].length;
  return sum;
}

// 1-based position of segment `index`'s first byte (its highest position).
constexpr std::int32_t SegmentStartIn(const SegmentTable& table, int index, std::int32_t carrier_length) {
  std::int32_t start = carrier_length - kUnusedTailBytes;
  for (int i = 0; i < index; ++i) start -= table[i].length;
  return start;
}

}  // namespace hdgr
