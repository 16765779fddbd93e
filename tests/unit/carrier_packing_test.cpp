#include "tools/hdgr-pack/carrier_packing.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "tools/hdgr-pack/pack_error.h"

namespace hdgr {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint8_t kUntouched = 0xA5;

const PayloadFiles& RandomPayload() {
  static const PayloadFiles files = [] {
    std::mt19937 generator(20240);
    PayloadFiles result;
    for (std::size_t i = 0; i < result.size(); ++i) {
      result[i].resize(static_cast<std::size_t>(kSegments[i].length));
      for (auto& byte : result[i]) byte = static_cast<std::uint8_t>(generator());
    }
    return result;
  }();
  return files;
}

Bytes PackedCarrier(std::size_t length) {
  Bytes carrier(length, kUntouched);
  PackSegments(carrier, RandomPayload());
  return carrier;
}

// Where single bytes of the files lie, as distances below the carrier's end L.
struct Placement {
  int segment;
  std::int64_t byte;          // 1-based within the file
  std::int64_t below_end;     // carrier position = L - below_end
};

TEST(CarrierPackingTest, BytesLieReversedAtTheirPositionsCountedFromTheEnd) {
  const Placement placements[] = {
      {0, 1, 10},                     // Setup.exe's first byte at L - 10
      {0, 148'336, 148'345},          // its last
      {1, 1, 148'346},                // HaldenGrid.CAB's first, right below it
      {2, 9'266, 2'827'782},          // Setup.LST's last
      {3, 1, 2'827'783},              // HaldenGrid.exe's first, right below that
      {3, 1'810'432, 4'638'214},      // its last, the lowest payload byte
  };
  // One byte more moves every segment up by one: the layout hangs from the end.
  for (const std::int64_t length : {std::int64_t{kCarrierLength}, std::int64_t{kCarrierLength} + 1}) {
    const Bytes carrier = PackedCarrier(static_cast<std::size_t>(length));
    for (const Placement& p : placements) {
      const std::int64_t position = length - p.below_end;
      EXPECT_EQ(carrier[position - 1], RandomPayload()[p.segment][p.byte - 1])
          << kSegments[p.segment].file_name << " byte " << p.byte << ", carrier of " << length;
    }
  }
  EXPECT_EQ(SegmentEnd(3, kCarrierLength), 1'361'840);
}

TEST(CarrierPackingTest, OnlyTheSegmentsAreWritten) {
  const Bytes carrier = PackedCarrier(kCarrierLength);
  const auto lowest = static_cast<std::size_t>(SegmentEnd(3, kCarrierLength) - 1);
  for (std::size_t i = 0; i < lowest; ++i) ASSERT_EQ(carrier[i], kUntouched) << "index " << i;
  for (std::size_t i = carrier.size() - kUnusedTailBytes; i < carrier.size(); ++i)
    ASSERT_EQ(carrier[i], kUntouched) << "index " << i;
}

TEST(CarrierPackingTest, UnpackGivesBackEveryFileWhateverTheLastTenBytesHold) {
  for (const std::size_t length : {std::size_t{kCarrierLength}, std::size_t{kCarrierLength} + 1,
                                   std::size_t{PayloadLength() + kUnusedTailBytes}}) {
    Bytes carrier = PackedCarrier(length);
    std::fill(carrier.end() - kUnusedTailBytes, carrier.end(), std::uint8_t{0x3C});
    for (int i = 0; i < static_cast<int>(kSegments.size()); ++i)
      EXPECT_EQ(UnpackSegment(carrier, i), RandomPayload()[i]) << kSegments[i].file_name << ", carrier of " << length;
  }
}

TEST(CarrierPackingTest, ACarrierTooShortForThePayloadIsRefused) {
  Bytes carrier(PayloadLength() + kUnusedTailBytes - 1);
  EXPECT_THROW(PackSegments(carrier, RandomPayload()), PackError);
  EXPECT_THROW(UnpackSegment(carrier, 3), PackError);
}

TEST(CarrierPackingTest, AFileOfTheWrongLengthIsRefusedByNameWithBothLengths) {
  PayloadFiles files = RandomPayload();
  files[1].pop_back();
  Bytes carrier(kCarrierLength, kUntouched);
  try {
    PackSegments(carrier, files);
    FAIL() << "a short HaldenGrid.CAB was packed";
  } catch (const PackError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find("HaldenGrid.CAB"), std::string::npos) << message;
    EXPECT_NE(message.find("2670170"), std::string::npos) << message;
    EXPECT_NE(message.find("2670171"), std::string::npos) << message;
  }
}

}  // namespace
}  // namespace hdgr
