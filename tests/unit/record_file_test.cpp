#include "platform/src/record_file.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "memory_medium.h"
#include "platform/run_time_error.h"

namespace hdgr {
namespace {

using testing::Medium;
using testing::MemoryRawFile;
using testing::Pattern;
using Bytes = std::vector<std::uint8_t>;

std::unique_ptr<RecordFile> Open(Medium& medium) {
  return std::make_unique<RecordFile>(std::make_unique<MemoryRawFile>(medium), "c:\\work\\file.bin");
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

// A run of records is one raw read or write at offset first - 1.
TEST(RecordFile, MovesARunOfRecordsInOneCall) {
  Medium medium{Pattern(1000)};
  auto file = Open(medium);
  Bytes read(300);
  file->Read(501, read);
  EXPECT_EQ(read, Bytes(medium.bytes.begin() + 500, medium.bytes.begin() + 800));
  EXPECT_EQ(medium.reads, 1);

  const Bytes written = Pattern(400, 3);
  file->Write(801, written);  // 200 inside, 200 past the end
  EXPECT_EQ(medium.writes, 1);
  EXPECT_EQ(file->Size(), 1200);
  EXPECT_EQ(Bytes(medium.bytes.begin() + 800, medium.bytes.end()), written);
  file->Read(1200, std::span<std::uint8_t>(read.data(), 1));
  EXPECT_EQ(read[0], written.back());
  file.reset();
  EXPECT_TRUE(medium.released);
}

// Records run from 1 to the length: a run that reaches outside is refused whole.
TEST(RecordFile, BadRecordNumbersReadNothingAndWriteNothing) {
  Medium medium{Pattern(100)};
  auto file = Open(medium);
  Bytes ten(10);
  for (const std::int32_t first : {0, -5, 92, 101, 2'147'483'647})
    EXPECT_EQ(ErrorOf([&] { file->Read(first, ten); }), ErrorNumber::kBadRecordNumber) << first;
  EXPECT_EQ(ErrorOf([&] { file->Write(0, ten); }), ErrorNumber::kBadRecordNumber);
  EXPECT_EQ(medium.reads, 0);
  EXPECT_EQ(medium.writes, 0);
  file->Read(91, ten);  // the last ten
  file->Write(101, ten);  // just past the end
  EXPECT_EQ(file->Size(), 110);
}

// A full disk throws at the write; the file's length is what the medium holds.
TEST(RecordFile, AFailedWriteThrowsAtOnceAndTheLengthFollowsTheMedium) {
  Medium medium{Pattern(50)};
  medium.capacity = 80;
  auto file = Open(medium);
  EXPECT_EQ(ErrorOf([&] { file->Write(41, Pattern(60)); }), ErrorNumber::kDiskFull);
  EXPECT_EQ(file->Size(), 50);
  Bytes beyond(1);
  EXPECT_EQ(ErrorOf([&] { file->Read(51, beyond); }), ErrorNumber::kBadRecordNumber);
}

}  // namespace
}  // namespace hdgr
