#include "tools/hdgr-pack/carrier_packing.h"

#include <algorithm>
#include <limits>
#include <string>

#include "tools/hdgr-pack/pack_error.h"

namespace hdgr {
namespace {

constexpr std::int64_t kMinimumCarrierLength = PayloadLength() + kUnusedTailBytes;

void RequireRoomForPayload(std::size_t carrier_length) {
  if (carrier_length < static_cast<std::size_t>(kMinimumCarrierLength) ||
      carrier_length > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    throw PackError("a carrier of " + std::to_string(carrier_length) + " bytes cannot hold the payload (" +
                    std::to_string(kMinimumCarrierLength) + " bytes at least)");
}

// 0-based index of segment `index`'s highest byte.
std::size_t HighestIndex(int index, std::size_t carrier_length) {
  return static_cast<std::size_t>(SegmentStart(index, static_cast<std::int32_t>(carrier_length)) - 1);
}

}  // namespace

void RequireSegmentLength(int index, std::size_t length, std::string_view source) {
  const Segment& segment = kSegments[index];
  if (length != static_cast<std::size_t>(segment.length))
    throw PackError(std::string(source) + ": wrong length for " + std::string(segment.file_name) + ": " +
                    std::to_string(length) + " bytes, expected " + std::to_string(segment.length));
}

void PackSegments(std::span<std::uint8_t> carrier, const PayloadFiles& files) {
  RequireRoomForPayload(carrier.size());
  for (int index = 0; index < static_cast<int>(files.size()); ++index)
    RequireSegmentLength(index, files[index].size(), kSegments[index].file_name);
  for (int index = 0; index < static_cast<int>(files.size()); ++index) {
    const std::size_t highest = HighestIndex(index, carrier.size());
    const auto segment = carrier.subspan(highest + 1 - files[index].size(), files[index].size());
    std::reverse_copy(files[index].begin(), files[index].end(), segment.begin());
  }
}

std::vector<std::uint8_t> UnpackSegment(std::span<const std::uint8_t> carrier, int index) {
  RequireRoomForPayload(carrier.size());
  const std::size_t length = static_cast<std::size_t>(kSegments[index].length);
  const auto segment = carrier.subspan(HighestIndex(index, carrier.size()) + 1 - length, length);
  return {segment.rbegin(), segment.rend()};
}

}  // namespace hdgr
