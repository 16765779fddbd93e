#include "tools/hdgr-pack/carrier_packing.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "tools/hdgr-pack/pack_error.h"

namespace hdgr {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint8_t kUntouched = 0xA5;
constexpr std::int64_t kShippedLength = 6'000'054;
const std::array<std::string, 4> kSources{"a/Setup.exe", "a/HaldenGrid.CAB", "a/Setup.LST", "a/HaldenGrid.exe"};

PayloadFiles RandomFiles(const SegmentTable& table, unsigned seed) {
  std::mt19937 generator(seed);
  PayloadFiles result;
  for (std::size_t i = 0; i < result.size(); ++i) {
    result[i].resize(static_cast<std::size_t>(table[i].length));
    for (auto& byte : result[i]) byte = static_cast<std::uint8_t>(generator());
  }
  return result;
}

const PayloadFiles& RandomPayload() {
  static const PayloadFiles files = RandomFiles(kDesignedSegments, 20240);
  return files;
}

Bytes PackedCarrier(std::size_t length) {
  Bytes carrier(length, kUntouched);
  PackSegments(carrier, kDesignedSegments, RandomPayload());
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
  for (const std::int64_t length : {kShippedLength, kShippedLength + 1}) {
    const Bytes carrier = PackedCarrier(static_cast<std::size_t>(length));
    for (const Placement& p : placements) {
      const std::int64_t position = length - p.below_end;
      EXPECT_EQ(carrier[position - 1], RandomPayload()[p.segment][p.byte - 1])
          << kDesignedSegments[p.segment].file_name << " byte " << p.byte << ", carrier of " << length;
    }
  }
  EXPECT_EQ(SegmentEnd(kDesignedSegments, 3, kShippedLength), 1'361'840);
}

TEST(CarrierPackingTest, OnlyTheSegmentsAreWritten) {
  const Bytes carrier = PackedCarrier(kShippedLength);
  const auto lowest = static_cast<std::size_t>(SegmentEnd(kDesignedSegments, 3, kShippedLength) - 1);
  for (std::size_t i = 0; i < lowest; ++i) ASSERT_EQ(carrier[i], kUntouched) << "index " << i;
  for (std::size_t i = carrier.size() - kUnusedTailBytes; i < carrier.size(); ++i)
    ASSERT_EQ(carrier[i], kUntouched) << "index " << i;
}

TEST(CarrierPackingTest, UnpackGivesBackEveryFileWhateverTheLastTenBytesHold) {
  for (const std::size_t length : {std::size_t{kShippedLength}, std::size_t{kShippedLength} + 1,
                                   std::size_t{4'638'205 + kUnusedTailBytes}}) {
    Bytes carrier = PackedCarrier(length);
    std::fill(carrier.end() - kUnusedTailBytes, carrier.end(), std::uint8_t{0x3C});
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(UnpackSegment(carrier, kDesignedSegments, i), RandomPayload()[i])
          << kDesignedSegments[i].file_name << ", carrier of " << length;
  }
}

TEST(CarrierPackingTest, ACarrierTooShortForThePayloadIsRefused) {
  Bytes carrier(4'638'205 + kUnusedTailBytes - 1);
  EXPECT_THROW(PackSegments(carrier, kDesignedSegments, RandomPayload()), PackError);
  EXPECT_THROW(UnpackSegment(carrier, kDesignedSegments, 3), PackError);
}

TEST(CarrierPackingTest, AFileOfAnotherLengthThanTheTablesIsRefusedByNameWithBothLengths) {
  PayloadFiles files = RandomPayload();
  files[1].pop_back();
  Bytes carrier(kShippedLength, kUntouched);
  try {
    PackSegments(carrier, kDesignedSegments, files);
    FAIL() << "a short HaldenGrid.CAB was packed";
  } catch (const PackError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find("HaldenGrid.CAB"), std::string::npos) << message;
    EXPECT_NE(message.find("2670170"), std::string::npos) << message;
    EXPECT_NE(message.find("2670171"), std::string::npos) << message;
  }
}

// The rows follow the payload: the design's 2000 while its 6,000,000 pixel bytes hold the
// files and the unused tail, one row more for a byte more.
TEST(CarrierPackingTest, TheCarrierHasTheFewestRowsThatHoldThePayloadAndNeverFewerThanTheDesigns) {
  struct Case {
    std::array<std::int64_t, 4> lengths;
    std::int32_t rows;
  };
  const Case cases[] = {
      {{148'336, 2'670'171, 9'266, 1'810'432}, 2000},
      {{1, 1, 1, 1}, 2000},
      {{1'000'000, 3'999'989, 1, 1'000'000}, 2000},     // 5,999,990 + 10 = 6,000,000 exactly
      {{1'000'000, 3'999'990, 1, 1'000'000}, 2001},     // one byte more
      {{3000, 3000, 3000, 7'000'000 - 9000 - 10}, 2334},  // 7,000,000 bytes: 2333.33 rows
  };
  for (const Case& c : cases) {
    const PackageLayout layout = LayoutFor(c.lengths, kSources);
    EXPECT_EQ(layout.rows, c.rows) << c.lengths[3];
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(layout.table[i].length, c.lengths[i]);
      EXPECT_EQ(layout.table[i].file_name, kPackedFileNames[i]);
    }
  }
}

TEST(CarrierPackingTest, AnEmptyFileOrAPayloadNoCarrierHoldsIsRefusedSayingWhy) {
  const auto refusal = [](const std::array<std::int64_t, 4>& lengths) -> std::string {
    try {
      LayoutFor(lengths, kSources);
    } catch (const PackError& error) {
      return error.what();
    }
    return "";
  };
  EXPECT_NE(refusal({5, 5, 0, 5}).find("a/Setup.LST: Setup.LST is empty"), std::string::npos) << refusal({5, 5, 0, 5});
  const std::int64_t most = kMostCarrierRows * kCarrierRowBytes - kUnusedTailBytes;
  EXPECT_EQ(refusal({most - 3, 1, 1, 1}), "");
  EXPECT_NE(refusal({most - 2, 1, 1, 1}).find("at most"), std::string::npos);
  EXPECT_NE(refusal({INT32_MAX, INT32_MAX, 1, 1}).find("at most"), std::string::npos);
}

// Files of other lengths in a taller carrier: each reversed at the positions its table gives.
TEST(CarrierPackingTest, FilesOfOtherLengthsRoundTripThroughATallerCarrier) {
  const PackageLayout layout = LayoutFor({70'001, 6'000'000, 3, 123'457}, kSources);
  ASSERT_EQ(layout.rows, 2065);
  const PayloadFiles files = RandomFiles(layout.table, 7);
  Bytes carrier(static_cast<std::size_t>(CarrierLengthFor(layout.rows)), kUntouched);
  PackSegments(carrier, layout.table, files);
  const auto length = static_cast<std::int64_t>(carrier.size());
  EXPECT_EQ(carrier[length - 10 - 1], files[0][0]) << "Setup.exe's first byte at L - 10";
  EXPECT_EQ(carrier[length - 10 - 70'001 - 1], files[1][0]) << "HaldenGrid.CAB's first right below Setup.exe";
  EXPECT_EQ(SegmentEnd(layout.table, 3, length), length - 10 - 6'193'461 + 1);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(UnpackSegment(carrier, layout.table, i), files[i]) << i;
}

}  // namespace
}  // namespace hdgr
