// The default build packs the demo payload: its table is the designed one, and the
// carrier's size and positions are the design's figures.
#include "package/segment_table.h"

#include <gtest/gtest.h>

namespace hdgr {
namespace {

TEST(SegmentTableTest, TheDefaultBuildsTableIsTheDesignedOne) {
  for (std::size_t i = 0; i < kSegments.size(); ++i) {
    EXPECT_EQ(kSegments[i].file_name, kDesignedSegments[i].file_name);
    EXPECT_EQ(kSegments[i].length, kDesignedSegments[i].length);
  }
  EXPECT_EQ(kSegments[0].length, 148'336);
  EXPECT_EQ(kSegments[1].length, 2'670'171);
  EXPECT_EQ(kSegments[2].length, 9'266);
  EXPECT_EQ(kSegments[3].length, 1'810'432);
  EXPECT_EQ(InstallLength(), 2'827'773);
  EXPECT_EQ(PayloadLength(), 4'638'205);
  EXPECT_EQ(kCarrierHeight, 2000);
  EXPECT_EQ(kCarrierLength, 6'000'054);
  EXPECT_EQ(SegmentStart(0, kCarrierLength), 6'000'044);
  EXPECT_EQ(SegmentStart(1, kCarrierLength), 5'851'708);
  EXPECT_EQ(SegmentStart(2, kCarrierLength), 3'181'537);
  EXPECT_EQ(SegmentStart(3, kCarrierLength), 3'172'271);
}

// The carrier has as many rows as the payload needs, never fewer than the design's 2000.
TEST(SegmentTableTest, CarrierRowsFollowThePayload) {
  struct Case {
    std::int64_t payload;
    std::int64_t rows;
  };
  for (const Case c : {Case{4, 2000}, Case{4'638'205, 2000}, Case{5'999'990, 2000}, Case{5'999'991, 2001},
                       Case{8'999'990, 3000}, Case{8'999'991, 3001}}) {
    EXPECT_EQ(CarrierRowsFor(c.payload), c.rows) << c.payload;
    EXPECT_GE(CarrierLengthFor(c.rows) - kBitmapHeaderBytes, c.payload + kUnusedTailBytes);
  }
}

}  // namespace
}  // namespace hdgr
