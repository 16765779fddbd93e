#include "tools/hdgr-pack/carrier_packing.h"

#include <algorithm>
#include <limits>

#include "tools/hdgr-pack/pack_error.h"

namespace hdgr {
namespace {

void RequireRoomForPayload(const SegmentTable& table, std::size_t carrier_length) {
  const std::int64_t least = SumOfLengths(table, static_cast<int>(table.size())) + kUnusedTailBytes;
  if (carrier_length < static_cast<std::size_t>(least) ||
      carrier_length > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    throw PackError("a carrier of " + std::to_string(carrier_length) + " bytes cannot hold the payload (" +
                    std::to_string(least) + " bytes at least)");
}

// 0-based index of segment `index`'s highest byte.
std::size_t HighestIndex(const SegmentTable& table, int index, std::size_t carrier_length) {
  return static_cast<std::size_t>(SegmentStartIn(table, index, static_cast<std::int32_t>(carrier_length)) - 1);
}

}  // namespace

PackageLayout LayoutFor(const std::array<std::int64_t, kPackedFileNames.size()>& lengths,
                        const std::array<std::string, kPackedFileNames.size()>& sources) {
  std::int64_t payload = 0;
  for (std::size_t i = 0; i < lengths.size(); ++i) {
    if (lengths[i] < 1)
      throw PackError(sources[i] + ": " + std::string(kPackedFileNames[i]) + " is empty: a release's file has at least one byte");
    payload += lengths[i];
  }
  const std::int64_t rows = CarrierRowsFor(payload);
  if (rows > kMostCarrierRows)
    throw PackError("the four files are " + std::to_string(payload) + " bytes: a carrier of 32-bit positions holds " +
                    std::to_string(kMostCarrierRows * kCarrierRowBytes - kUnusedTailBytes) + " at most");
  PackageLayout layout{};
  for (std::size_t i = 0; i < lengths.size(); ++i)
    layout.table[i] = {kPackedFileNames[i], static_cast<std::int32_t>(lengths[i])};
  layout.rows = static_cast<std::int32_t>(rows);
  return layout;
}

PackageLayout LayoutOf(const PayloadFiles& files, const std::array<std::string, kPackedFileNames.size()>& sources) {
  std::array<std::int64_t, kPackedFileNames.size()> lengths{};
  for (std::size_t i = 0; i < files.size(); ++i) lengths[i] = static_cast<std::int64_t>(files[i].size());
  return LayoutFor(lengths, sources);
}

void RequireSegmentLength(const SegmentTable& table, int index, std::size_t length, std::string_view source) {
  const Segment& segment = table[index];
  if (length != static_cast<std::size_t>(segment.length))
    throw PackError(std::string(source) + ": wrong length for " + std::string(segment.file_name) + ": " +
                    std::to_string(length) + " bytes, expected " + std::to_string(segment.length));
}

void PackSegments(std::span<std::uint8_t> carrier, const SegmentTable& table, const PayloadFiles& files) {
  RequireRoomForPayload(table, carrier.size());
  for (int index = 0; index < static_cast<int>(files.size()); ++index)
    RequireSegmentLength(table, index, files[index].size(), table[index].file_name);
  for (int index = 0; index < static_cast<int>(files.size()); ++index) {
    const std::size_t highest = HighestIndex(table, index, carrier.size());
    const auto segment = carrier.subspan(highest + 1 - files[index].size(), files[index].size());
    std::reverse_copy(files[index].begin(), files[index].end(), segment.begin());
  }
}

std::vector<std::uint8_t> UnpackSegment(std::span<const std::uint8_t> carrier, const SegmentTable& table, int index) {
  RequireRoomForPayload(table, carrier.size());
  const std::size_t length = static_cast<std::size_t>(table[index].length);
  const auto segment = carrier.subspan(HighestIndex(table, index, carrier.size()) + 1 - length, length);
  return {segment.rbegin(), segment.rend()};
}

}  // namespace hdgr
