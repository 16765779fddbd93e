#include "platform/src/record_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "memory_medium.h"
#include "platform/run_time_error.h"

namespace hdgr {
namespace {

using testing::Medium;
using testing::MemoryRawFile;
using testing::Pattern;

RecordFile Open(Medium& medium) {
  return RecordFile(std::make_unique<MemoryRawFile>(medium), "c:\\work\\file.bin");
}

ErrorNumber ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const RunTimeError& error) {
    return error.Number();
  }
  ADD_FAILURE() << "no run-time error";
  return ErrorNumber::kInvalidProcedureCall;
}

constexpr auto kBlock = static_cast<std::int32_t>(RecordFile::kBlockBytes);

TEST(RecordFile, ReadsEveryRecordBackwardsWithOneRawReadPerBlock) {
  Medium medium{Pattern(3 * kBlock + 100)};
  RecordFile file = Open(medium);
  const auto size = static_cast<std::int32_t>(medium.bytes.size());
  for (std::int32_t record = size; record >= 1; --record)
    ASSERT_EQ(file.ReadByte(record), medium.bytes[static_cast<std::size_t>(record) - 1]) << record;
  EXPECT_EQ(medium.reads, 4);
}

TEST(RecordFile, WritesGatherIntoBlockSizedRawWritesAndTheRestGoesOutAtClose) {
  Medium medium;
  const auto data = Pattern(2 * kBlock + 5);
  RecordFile file = Open(medium);
  for (std::size_t j = 0; j < data.size(); ++j)
    file.WriteByte(static_cast<std::int32_t>(j + 1), data[j]);
  EXPECT_EQ(medium.writes, 2);
  EXPECT_EQ(medium.bytes.size(), 2u * kBlock) << "the last 5 bytes are still pending";
  EXPECT_EQ(file.Size(), 2 * kBlock + 5);
  file.Close();
  EXPECT_EQ(medium.writes, 3);
  EXPECT_EQ(medium.bytes, data);
  EXPECT_TRUE(medium.released);
}

TEST(RecordFile, ReadsReturnWhatWasWrittenWhereverTheBytesWait) {
  Medium medium{Pattern(kBlock + 10)};
  RecordFile file = Open(medium);
  ASSERT_EQ(file.ReadByte(5), medium.bytes[4]);  // block 1 now cached
  file.WriteByte(5, 0xA5);                       // inside the cached block
  file.WriteByte(kBlock + 11, 0x11);             // extends the file, pending
  file.WriteByte(kBlock + 14, 0x14);             // past the end, leaving a gap
  EXPECT_EQ(file.ReadByte(5), 0xA5);
  EXPECT_EQ(file.ReadByte(kBlock + 14), 0x14);
  EXPECT_EQ(file.ReadByte(kBlock + 12), 0) << "the gap reads as zero";
  EXPECT_EQ(file.ReadByte(kBlock + 11), 0x11);
  EXPECT_EQ(file.Size(), kBlock + 14);
  file.Close();
  EXPECT_EQ(medium.bytes.size(), static_cast<std::size_t>(kBlock) + 14);
  EXPECT_EQ(medium.bytes[4], 0xA5);
  EXPECT_EQ(medium.bytes[static_cast<std::size_t>(kBlock) + 10], 0x11);
}

TEST(RecordFile, RecordsOutsideTheFileAreBadRecordNumbers) {
  Medium medium{Pattern(10)};
  RecordFile file = Open(medium);
  file.WriteByte(11, 1);  // just past the end extends
  struct Case {
    const char* what;
    std::function<void()> action;
  };
  const Case cases[] = {
      {"read 0", [&] { file.ReadByte(0); }},
      {"read -1", [&] { file.ReadByte(-1); }},
      {"read past the end", [&] { file.ReadByte(12); }},
      {"read far past the end", [&] { file.ReadByte(INT32_MAX); }},
      {"write 0", [&] { file.WriteByte(0, 1); }},
      {"write negative", [&] { file.WriteByte(INT32_MIN, 1); }},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorOf(c.action), ErrorNumber::kBadRecordNumber) << c.what;
  EXPECT_EQ(file.ReadByte(11), 1);
  EXPECT_EQ(file.Size(), 11);
}

TEST(RecordFile, AFailingFlushIsAnErrorAtCloseAndTheFileIsStillReleased) {
  Medium medium;
  medium.capacity = 100;
  RecordFile file = Open(medium);
  for (std::int32_t record = 1; record <= 200; ++record) file.WriteByte(record, 9);
  EXPECT_EQ(ErrorOf([&] { file.Close(); }), ErrorNumber::kDiskFull);
  EXPECT_TRUE(medium.released);
}

TEST(RecordFile, AFullWriteBufferThatCannotBeFlushedFailsTheWrite) {
  Medium medium;
  medium.capacity = 10;
  RecordFile file = Open(medium);
  EXPECT_EQ(ErrorOf([&] {
              for (std::int32_t record = 1; record <= kBlock + 1; ++record) file.WriteByte(record, 9);
            }),
            ErrorNumber::kDiskFull);
  EXPECT_EQ(file.Size(), 0) << "nothing reached the medium";
  EXPECT_EQ(ErrorOf([&] { file.ReadByte(1); }), ErrorNumber::kBadRecordNumber);
}

// Any mix of reads and writes sees the same bytes as a plain array would, and the medium
// holds them after close.
TEST(RecordFile, AgreesWithAPlainArrayUnderRandomReadsAndWrites) {
  std::mt19937 random(42);
  Medium medium{Pattern(3 * kBlock)};
  std::vector<std::uint8_t> model = medium.bytes;
  RecordFile file = Open(medium);
  std::int32_t cursor = 1;
  for (int step = 0; step < 200'000; ++step) {
    const auto size = static_cast<std::int32_t>(model.size());
    // Mostly runs of neighbouring records, sometimes a jump anywhere up to just past the end.
    if (random() % 64 == 0) cursor = 1 + static_cast<std::int32_t>(random() % (size + 1));
    if (random() % 2 == 0 && cursor <= size) {
      ASSERT_EQ(file.ReadByte(cursor), model[static_cast<std::size_t>(cursor) - 1]) << step;
    } else {
      const auto value = static_cast<std::uint8_t>(random());
      file.WriteByte(cursor, value);
      if (cursor > size) model.push_back(value);
      else model[static_cast<std::size_t>(cursor) - 1] = value;
    }
    cursor = random() % 4 == 0 ? std::max(1, cursor - 1) : cursor + 1;
  }
  EXPECT_EQ(file.Size(), static_cast<std::int64_t>(model.size()));
  file.Close();
  EXPECT_EQ(medium.bytes, model);
}

}  // namespace
}  // namespace hdgr
