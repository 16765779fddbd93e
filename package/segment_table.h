#pragma once
// Where the packed files lie in the carrier bitmap. The layout is anchored to the
// carrier's end: the last bytes hold no payload, segment 1 starts just below them and
// each later segment starts just below the previous one. Each segment holds its file
// reversed (the file's first byte at the segment's highest position).

#include <array>
#include <cstdint>
#include <string_view>

namespace hdgr {

struct Segment {
  std::string_view file_name;
  std::int32_t length;
};

inline constexpr std::array<Segment, 4> kSegments{{
    {"Setup.exe", 148'336},
    {"HaldenGrid.CAB", 2'670'171},
    {"Setup.LST", 9'266},
    {"HaldenGrid.exe", 1'810'432},
}};
inline constexpr int kInstallSegmentCount = 3;  // segments 1 to 3; segment 4 is the upgrade
inline constexpr int kUpgradeSegment = 3;       // index of HaldenGrid.exe

inline constexpr std::int32_t kUnusedTailBytes = 10;

// The shipped carrier: a 1000 x 2000 24-bit bitmap, rows bottom-up, no fill bytes.
inline constexpr std::int32_t kCarrierWidth = 1000;
inline constexpr std::int32_t kCarrierHeight = 2000;
inline constexpr std::int32_t kBitmapHeaderBytes = 54;
inline constexpr std::int32_t kCarrierLength =
    kBitmapHeaderBytes + kCarrierWidth * kCarrierHeight * 3;  // 6,000,054

constexpr std::int32_t InstallLength() {
  std::int32_t sum = 0;
  for (int i = 0; i < kInstallSegmentCount; ++i) sum += kSegments[i].length;
  return sum;
}

constexpr std::int32_t PayloadLength() { return InstallLength() + kSegments[kUpgradeSegment].length; }

// 1-based position of segment `index`'s first byte (its highest position).
constexpr std::int32_t SegmentStart(int index, std::int32_t carrier_length) {
  std::int32_t start = carrier_length - kUnusedTailBytes;
  for (int i = 0; i < index; ++i) start -= kSegments[i].length;
  return start;
}

static_assert(InstallLength() == 2'827'773);
static_assert(PayloadLength() == 4'638'205);
static_assert(kCarrierLength == 6'000'054);
static_assert(SegmentStart(3, kCarrierLength) == 3'172'271);

}  // namespace hdgr
