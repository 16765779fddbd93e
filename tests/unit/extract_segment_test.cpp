#include "package/extract_segment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "package/reverse_bytes.h"
#include "package/segment_table.h"
#include "package/work_folder.h"
#include "flows/new_file.h"

namespace hdgr::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 generator(seed);
  Bytes bytes(size);
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(generator());
  return bytes;
}

// What a copy from `start` must give: the bytes at positions start down to start - length + 1.
Bytes Reversed(const Bytes& carrier, std::int32_t start, std::int32_t length) {
  const auto high = carrier.begin() + start;  // one past position `start`
  Bytes out(high - length, high);
  std::reverse(out.begin(), out.end());
  return out;
}

std::string OutputPath(int segment) {
  return std::string(kWorkFolder) + "\\" + std::string(kSegments[segment].file_name);
}

// The bar of the window, watched: at each progress point it notes how many bytes the
// output files hold, so a test sees in which block the point came.
class WatchingBar : public ProgressBar {
 public:
  WatchingBar(FakePlatform& fake, std::vector<std::string> outputs)
      : fake_(fake), outputs_(std::move(outputs)) {}
  void SetMax(float max) override { fake_.progress_bar.SetMax(max); }
  void SetValue(float value) override {
    std::int64_t written = 0;
    for (const auto& path : outputs_) {
      const FakeFile* file = fake_.WrittenFile(path);
      written += file == nullptr ? 0 : static_cast<std::int64_t>(file->bytes.size());
    }
    written_at_point.push_back(written);
    fake_.progress_bar.SetValue(value);
  }
  const std::vector<float>& values() const { return fake_.progress_bar.values; }
  std::vector<std::int64_t> written_at_point;  // bytes in all outputs together

 private:
  FakePlatform& fake_;
  std::vector<std::string> outputs_;
};

class ExtractSegmentTest : public ::testing::Test {
 protected:
  ExtractSegmentTest() { fake.folders.insert(Lower(kWorkFolder)); }

  int OpenCarrier(Bytes bytes) {
    fake.PutFile(std::string(kSavedCarrierPath), std::move(bytes));
    const int number = fake.FreeFileNumber();
    fake.OpenRandomFile(kSavedCarrierPath, number);
    return number;
  }
  void Reset() {
    fake.CloseAllFiles();
    fake.ReleaseFiles();
    fake.files.clear();
    fake.ClearCalls();
    fake.progress_bar.values.clear();
  }
  const FakeFile& Carrier() const { return *fake.File(std::string(kSavedCarrierPath)); }
  const Bytes& Output(int segment) const { return fake.WrittenFile(OutputPath(segment))->bytes; }

  // Every Value is followed by one pump, and there are no other pumps.
  void ExpectPumpAfterEachValue() const {
    std::size_t values = 0;
    std::size_t pumps = 0;
    for (std::size_t i = 0; i < fake.calls.size(); ++i) {
      if (fake.calls[i] == "PumpEvents") ++pumps;
      if (fake.calls[i].rfind("ProgressBar1.Value=", 0) != 0) continue;
      ++values;
      ASSERT_LT(i + 1, fake.calls.size());
      ASSERT_EQ(fake.calls[i + 1], "PumpEvents") << "after call " << i;
    }
    EXPECT_EQ(pumps, values);
  }
  // Point i (from 0) is the counter `step * (i + 1)`: its Value is the counter / 100, and it
  // comes once the block holding that byte is written, before the next block is.
  static void ExpectPointsInTheirBlocks(const WatchingBar& bar, std::int64_t step, std::int64_t written_before) {
    for (std::size_t i = 0; i < bar.values().size(); ++i) {
      const std::int64_t counter = step * static_cast<std::int64_t>(i + 1);
      ASSERT_EQ(bar.values()[i], static_cast<float>(static_cast<double>(counter) / 100.0)) << "point " << i;
      const std::int64_t written = bar.written_at_point[i] + written_before;
      ASSERT_GE(written, counter) << "point " << i;
      ASSERT_LT(written - counter, kExtractBlockBytes) << "point " << i;
    }
  }

  FakePlatform fake;
  SegmentExtractor extractor;  // one block for all of a test's copies, as a run keeps it
};

TEST_F(ExtractSegmentTest, CopiesTheSegmentReversedAndReturnsTheNextStart) {
  const Bytes carrier = RandomBytes(60, 1);
  for (const ProgressRule rule : {ProgressRule::kRunningTotal, ProgressRule::kPerFile}) {
    Reset();
    const int carrier_file = OpenCarrier(carrier);
    std::int32_t total = 0;
    Sha256Worker digest;
    const std::int32_t next =
        extractor.Extract(fake, fake.progress_bar, carrier_file, 50, 7, OutputPath(0), rule, &total, &digest);
    EXPECT_EQ(next, 43);
    EXPECT_EQ(Output(0), Reversed(carrier, 50, 7));
    EXPECT_EQ(Output(0).front(), carrier[49]);  // output byte 1 is carrier position 50
    EXPECT_EQ(digest.Finish(), Sha256Of(Reversed(carrier, 50, 7)));
    EXPECT_EQ(Carrier().highest_record_read, 50);
    EXPECT_EQ(fake.File(OutputPath(0)), nullptr) << "a new file, not yet in place";
    // Only the install run's copies close their own output; the carrier stays open.
    const bool closed = fake.HasCall("CloseFile(#2)");
    EXPECT_EQ(closed, rule == ProgressRule::kRunningTotal);
    EXPECT_EQ(fake.FreeFileNumber(), closed ? 2 : 3);
    std::array<std::uint8_t, 1> first{};
    fake.ReadRecords(carrier_file, 1, first);
    EXPECT_EQ(first[0], carrier[0]);
  }
}

// Eight bytes at a time from both ends: every length around the word size and its double.
TEST(ReverseBytes, TurnsEveryLengthRound) {
  for (std::size_t length = 0; length <= 40; ++length) {
    Bytes bytes = RandomBytes(length, static_cast<unsigned>(length));
    Bytes expected(bytes.rbegin(), bytes.rend());
    ReverseBytes(bytes);
    EXPECT_EQ(bytes, expected) << length;
  }
}

// Without a division, the same float as the division: every counter up to 2^25 (where a
// float's step grows to 2, past any Value a run reaches) and the top of the 32-bit range.
TEST(ProgressValue, IsTheCounterOverAHundredAsTheDivisionRoundsIt) {
  const auto expect_from = [](std::int64_t first, std::int64_t last) {
    for (std::int64_t counter = first; counter <= last; ++counter) {
      const float divided = static_cast<float>(static_cast<double>(counter) / 100.0);
      const auto hundredths = static_cast<std::int32_t>(counter % 100);
      if (ProgressValue(counter / 100, hundredths) != divided) FAIL() << "counter " << counter;
    }
  };
  expect_from(0, std::int64_t{1} << 25);
  expect_from(std::numeric_limits<std::int32_t>::max() - (1 << 20), std::numeric_limits<std::int32_t>::max());
}

TEST_F(ExtractSegmentTest, EmptySegmentMakesAnEmptyFile) {
  const int carrier_file = OpenCarrier(RandomBytes(20, 2));
  std::int32_t total = 0;
  EXPECT_EQ(extractor.Extract(fake, fake.progress_bar, carrier_file, 10, 0, OutputPath(2), ProgressRule::kRunningTotal,
                              &total, nullptr),
            10);
  ASSERT_NE(fake.WrittenFile(OutputPath(2)), nullptr);
  EXPECT_TRUE(Output(2).empty());
  EXPECT_EQ(Carrier().highest_record_read, 0);
}

TEST_F(ExtractSegmentTest, RunningTotalCarriesOverBetweenFiles) {
  const int carrier_file = OpenCarrier(RandomBytes(400, 3));
  std::int32_t total = 0;
  // Totals 1 to 99 bring no point.
  extractor.Extract(fake, fake.progress_bar, carrier_file, 390, 99, OutputPath(0), ProgressRule::kRunningTotal, &total,
                    nullptr);
  EXPECT_TRUE(fake.progress_bar.values.empty());
  EXPECT_EQ(total, 99);
  // The next file's first byte is the run's 100th.
  extractor.Extract(fake, fake.progress_bar, carrier_file, 291, 150, OutputPath(1), ProgressRule::kRunningTotal, &total,
                    nullptr);
  EXPECT_EQ(total, 249);
  EXPECT_EQ(fake.progress_bar.values, (std::vector<float>{1.0f, 2.0f}));
  ExpectPumpAfterEachValue();
}

// Where blocks begin and end: a segment within one block, of exactly one, one byte over;
// a running total that starts between two points; a last partial block with and without
// a point in it.
TEST_F(ExtractSegmentTest, BlockBoundariesChangeNeitherBytesNorPoints) {
  constexpr std::int32_t kBlock = kExtractBlockBytes;
  struct Case {
    const char* name;
    std::int32_t length;
    ProgressRule rule;
    std::int32_t total_before;
  };
  const Case cases[] = {
      {"shorter than a block", kBlock - 1, ProgressRule::kPerFile, 0},
      {"exactly a block", kBlock, ProgressRule::kRunningTotal, 0},
      {"a byte over a block", kBlock + 1, ProgressRule::kRunningTotal, 0},
      {"total starts between points", 2 * kBlock, ProgressRule::kRunningTotal, 1'234'567},
      {"last partial block with a point", kBlock + 150, ProgressRule::kRunningTotal, 0},
      {"last partial block without a point", kBlock + 99, ProgressRule::kRunningTotal, 0},
      {"per-file, last block with points", 2 * kBlock + 25, ProgressRule::kPerFile, 0},
      {"per-file, last block without a point", 2 * kBlock + 9, ProgressRule::kPerFile, 0},
  };
  const Bytes carrier = RandomBytes(3 * kBlock, 9);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    const int carrier_file = OpenCarrier(carrier);
    WatchingBar bar(fake, {OutputPath(0)});
    std::int32_t total = c.total_before;
    const std::int32_t start = 3 * kBlock - 5;
    Sha256Worker digest;
    EXPECT_EQ(extractor.Extract(fake, bar, carrier_file, start, c.length, OutputPath(0), c.rule, &total, &digest),
              start - c.length);
    EXPECT_EQ(Output(0), Reversed(carrier, start, c.length));
    EXPECT_EQ(digest.Finish(), Sha256Of(Reversed(carrier, start, c.length)));

    const bool by_total = c.rule == ProgressRule::kRunningTotal;
    const std::int64_t step = by_total ? 100 : 10;
    const std::int64_t before = by_total ? c.total_before : 0;
    const std::int64_t after = before + c.length;
    // Every multiple of the step in (before, after], in order.
    std::vector<float> expected;
    for (std::int64_t point = (before / step + 1) * step; point <= after; point += step)
      expected.push_back(static_cast<float>(static_cast<double>(point) / 100.0));
    EXPECT_EQ(bar.values(), expected);
    for (std::size_t i = 0; i < bar.written_at_point.size(); ++i) {
      const std::int64_t counter = (before / step + 1 + static_cast<std::int64_t>(i)) * step - before;
      ASSERT_GE(bar.written_at_point[i], counter) << "point " << i;
      ASSERT_LT(bar.written_at_point[i] - counter, kBlock) << "point " << i;
    }
    if (by_total) {
      EXPECT_EQ(total, after);
    }
    ExpectPumpAfterEachValue();
  }
}

TEST_F(ExtractSegmentTest, RefusesArgumentsItCannotHonour) {
  const int carrier_file = OpenCarrier(RandomBytes(20, 4));
  std::int32_t total = 0;
  std::int32_t nearly_full = 2'147'483'000;
  struct Case {
    std::int32_t length;
    ProgressRule rule;
    std::int32_t* total;
    ErrorNumber error;
  };
  for (const Case& c : {Case{-1, ProgressRule::kPerFile, nullptr, ErrorNumber::kInvalidProcedureCall},
                        Case{5, ProgressRule::kRunningTotal, nullptr, ErrorNumber::kInvalidProcedureCall},
                        Case{1000, ProgressRule::kRunningTotal, &nearly_full, ErrorNumber::kOverflow}}) {
    try {
      extractor.Extract(fake, fake.progress_bar, carrier_file, 10, c.length, OutputPath(0), c.rule, c.total, nullptr);
      ADD_FAILURE() << "copied length " << c.length;
    } catch (const RunTimeError& error) {
      EXPECT_EQ(error.Number(), c.error);
    }
  }
  EXPECT_EQ(fake.WrittenFile(OutputPath(0)), nullptr);  // nothing opened, nothing read
  EXPECT_EQ(Carrier().highest_record_read, 0);
  EXPECT_EQ(total, 0);
}

// The shipped layout on a full-size carrier of random bytes.
class FullSizeCarrierTest : public ExtractSegmentTest {
 protected:
  static void SetUpTestSuite() { carrier_ = new Bytes(RandomBytes(kCarrierLength, 42)); }
  static void TearDownTestSuite() {
    delete carrier_;
    carrier_ = nullptr;
  }
  static const Bytes& ShippedCarrier() { return *carrier_; }
  static Bytes Expected(int segment) {
    return Reversed(*carrier_, SegmentStart(segment, kCarrierLength), kSegments[segment].length);
  }

 private:
  static Bytes* carrier_;
};

Bytes* FullSizeCarrierTest::carrier_ = nullptr;

TEST_F(FullSizeCarrierTest, InstallRunWithRunningTotalProgress) {
  const int carrier_file = OpenCarrier(ShippedCarrier());
  WatchingBar bar(fake, {OutputPath(0), OutputPath(1), OutputPath(2)});
  const float max = static_cast<float>(InstallLength() / 100.0);
  EXPECT_EQ(max, 28'277.73046875f);

  std::int32_t total = 0;
  std::int32_t start = kCarrierLength - 10;
  for (int segment = 0; segment < kInstallSegmentCount; ++segment) {
    const std::int32_t next = extractor.Extract(fake, bar, carrier_file, start, kSegments[segment].length,
                                                OutputPath(segment), ProgressRule::kRunningTotal, &total, nullptr);
    EXPECT_EQ(next, start - kSegments[segment].length);
    EXPECT_EQ(Output(segment), Expected(segment)) << kSegments[segment].file_name;
    if (segment == 0) {
      EXPECT_EQ(next, kCarrierLength - 148'346);  // where HaldenGrid.CAB begins
    }
    start = next;
  }
  EXPECT_EQ(start, SegmentStart(kUpgradeSegment, kCarrierLength));
  EXPECT_EQ(total, 2'827'773);
  EXPECT_EQ(Carrier().highest_record_read, kCarrierLength - 10);

  // A point at every 100th byte of the run and nowhere else, Value = total / 100.
  const auto& values = bar.values();
  ASSERT_EQ(values.size(), 28'277u);
  ExpectPointsInTheirBlocks(bar, 100, 0);
  EXPECT_EQ(values.front(), 1.0f);
  EXPECT_EQ(values[1483], 1484.0f);  // the first point inside HaldenGrid.CAB, at its 64th byte
  EXPECT_GE(bar.written_at_point[1483], 148'336 + 64);
  EXPECT_EQ(values.back(), 28'277.0f);
  EXPECT_LT(values.back(), max);
  ExpectPumpAfterEachValue();
  // Each copy closes its own output file as it ends; the carrier stays open.
  EXPECT_EQ(fake.CallsStartingWith("CloseFile(").size(), 3u);
  EXPECT_EQ(fake.FreeFileNumber(), carrier_file + 1);
}

TEST_F(FullSizeCarrierTest, UpgradeRunWithPerFileProgress) {
  const int carrier_file = OpenCarrier(ShippedCarrier());
  WatchingBar bar(fake, {OutputPath(kUpgradeSegment)});
  const float max = static_cast<float>(kSegments[kUpgradeSegment].length / 100.0);
  EXPECT_EQ(max, 18'104.3203125f);

  const std::int32_t start = kCarrierLength - 2'827'783;
  EXPECT_EQ(start, SegmentStart(kUpgradeSegment, kCarrierLength));
  EXPECT_EQ(extractor.Extract(fake, bar, carrier_file, start, kSegments[kUpgradeSegment].length,
                              OutputPath(kUpgradeSegment), ProgressRule::kPerFile, nullptr, nullptr),
            start - 1'810'432);
  EXPECT_EQ(Output(kUpgradeSegment), Expected(kUpgradeSegment));
  EXPECT_EQ(Output(kUpgradeSegment).front(), ShippedCarrier()[kCarrierLength - 2'827'783 - 1]);

  // A point at every 10th byte of the file, Value = count / 100.
  const auto& values = bar.values();
  ASSERT_EQ(values.size(), 181'043u);
  ExpectPointsInTheirBlocks(bar, 10, 0);
  EXPECT_EQ(values.front(), 0.1f);
  EXPECT_EQ(values.back(), 18'104.3f);
  EXPECT_LT(values.back(), max);
  ExpectPumpAfterEachValue();
  // Left open for the run's close-all.
  EXPECT_TRUE(fake.CallsStartingWith("CloseFile(").empty());
  EXPECT_EQ(fake.FreeFileNumber(), carrier_file + 2);
}

TEST_F(FullSizeCarrierTest, LayoutIsAnchoredToTheCarriersEnd) {
  // One byte more in front and other bytes in the unused tail: the same four files.
  Bytes shifted = RandomBytes(1, 7);
  shifted.insert(shifted.end(), ShippedCarrier().begin(), ShippedCarrier().end());
  for (std::size_t i = shifted.size() - 10; i < shifted.size(); ++i) shifted[i] ^= 0xA5;
  const auto length = static_cast<std::int32_t>(shifted.size());
  const int carrier_file = OpenCarrier(std::move(shifted));

  std::int32_t total = 0;
  std::int32_t start = length - 10;
  for (int segment = 0; segment < kInstallSegmentCount; ++segment)
    start = extractor.Extract(fake, fake.progress_bar, carrier_file, start, kSegments[segment].length,
                              OutputPath(segment), ProgressRule::kRunningTotal, &total, nullptr);
  extractor.Extract(fake, fake.progress_bar, carrier_file, length - 2'827'783, kSegments[kUpgradeSegment].length,
                    OutputPath(kUpgradeSegment), ProgressRule::kPerFile, nullptr, nullptr);
  for (int segment = 0; segment < static_cast<int>(kSegments.size()); ++segment)
    EXPECT_EQ(Output(segment), Expected(segment)) << kSegments[segment].file_name;
  EXPECT_EQ(Carrier().highest_record_read, length - 10);
}

// As a run copies: a carrier one byte too short fails with a bad record number when the
// last block would read position 0, and its new file goes, so nothing is left and nothing
// takes the program's place.
TEST_F(FullSizeCarrierTest, CarrierTooShortFailsWithBadRecordNumberAndLeavesNoFile) {
  // The shortest conforming carrier holds the payload and the unused tail, nothing below.
  const std::int32_t shortest = PayloadLength() + 10;
  for (const std::int32_t length : {shortest, shortest - 1}) {
    SCOPED_TRACE(length);
    Reset();
    const Bytes carrier(ShippedCarrier().end() - length, ShippedCarrier().end());
    const int carrier_file = OpenCarrier(carrier);
    const std::int32_t start = length - 2'827'783;
    const std::string target = "c:\\" + std::string(kSegments[kUpgradeSegment].file_name);
    fake.PutFile(target, {1, 2, 3});
    {
      Sha256Worker digest;
      NewFile output(fake, target, digest);
      try {
        EXPECT_EQ(extractor.Extract(fake, fake.progress_bar, carrier_file, start, kSegments[kUpgradeSegment].length,
                                    target, ProgressRule::kPerFile, nullptr, output.Digest()),
                  0);
        EXPECT_EQ(length, shortest) << "copied from a carrier too short";
        fake.CloseAllFiles();
        output.CheckAndPutInPlace(kSegments[kUpgradeSegment].length, Sha256Of(Expected(kUpgradeSegment)));
      } catch (const RunTimeError& error) {
        EXPECT_EQ(length, shortest - 1);
        EXPECT_EQ(error.Number(), ErrorNumber::kBadRecordNumber);
      }
    }
    if (length == shortest) {
      EXPECT_EQ(fake.File(target)->bytes, Expected(kUpgradeSegment));
    } else {
      EXPECT_EQ(fake.WrittenFile(target), nullptr);
      EXPECT_EQ(fake.File(target)->bytes, (Bytes{1, 2, 3}));
      EXPECT_FALSE(fake.HasCall("PutInPlace(" + target + ")"));
      for (const auto& [path, file] : fake.files) EXPECT_EQ(path.find(".new"), std::string::npos) << path;
    }
    EXPECT_LE(Carrier().highest_record_read, length - 10);
  }
}

}  // namespace
}  // namespace hdgr::testing
