#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "memory_medium.h"
#include "package/extract_segment.h"
#include "platform/src/record_file_table.h"

namespace hdgr::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr auto kBlock = static_cast<std::int32_t>(RecordFile::kBlockBytes);

// The fake for everything else; the random files are record files on in-memory media,
// published to the record windows as the Windows services publish them.
class WindowedServices : public FakePlatform {
 public:
  std::map<std::string, Medium> media;  // by path
  int slow_reads = 0;
  int slow_writes = 0;

  int FreeFileNumber() override { return table_.FreeNumber(); }
  void OpenRandomFile(std::string_view path, int number) override { table_.Open(path, number); }
  void CloseFile(int number) override { table_.Close(number); }
  void CloseAllFiles() override { table_.CloseAll(); }
  const RecordWindow& Window(int number) { return RecordWindows()[static_cast<std::size_t>(number - 1)]; }

 protected:
  std::uint8_t ReadRecord(int number, std::int32_t record) override {
    ++slow_reads;
    return table_.Read(number, record);
  }
  void WriteRecord(int number, std::int32_t record, std::uint8_t value) override {
    ++slow_writes;
    table_.Write(number, record, value);
  }

 private:
  RecordFileTable table_{RecordWindows(), [this](std::string_view path) -> std::unique_ptr<RawFile> {
                           return std::make_unique<MemoryRawFile>(media[std::string(path)]);
                         }};
};

// The error number `action` throws; 0 when it returns.
int ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const RunTimeError& error) {
    return static_cast<int>(error.Number());
  }
  return 0;
}

bool Empty(const RecordWindow& window) { return window.read.length == 0 && window.write.bytes == nullptr; }

enum class Op { kRead, kWrite };
struct Step {
  const char* what;
  Op op;
  int file;
  std::int32_t record;
  std::uint8_t value;  // written, or expected back
  int error;           // expected run-time error number; 0: none
};

TEST(RecordWindows, MixedCallsGiveTheFilesBytesAndErrors) {
  WindowedServices app;
  app.media["a.bin"].bytes = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
  app.OpenRandomFile("a.bin", 1);
  app.OpenRandomFile("b.bin", 2);
  constexpr int kBadRecord = 63;
  constexpr int kNotOpen = 52;
  const Step steps[] = {
      {"first read", Op::kRead, 1, 1, 10, 0},
      {"last record", Op::kRead, 1, 10, 100, 0},
      {"one past the end", Op::kRead, 1, 11, 0, kBadRecord},
      {"record 0", Op::kRead, 1, 0, 0, kBadRecord},
      {"negative record", Op::kRead, 1, -1, 0, kBadRecord},
      {"far past the end", Op::kRead, 1, INT32_MAX, 0, kBadRecord},
      {"write inside the cached block", Op::kWrite, 1, 3, 0x33, 0},
      {"reads back", Op::kRead, 1, 3, 0x33, 0},
      {"write just past the end extends", Op::kWrite, 1, 11, 0xB1, 0},
      {"append", Op::kWrite, 1, 12, 0xB2, 0},
      {"read after write: last append", Op::kRead, 1, 12, 0xB2, 0},
      {"read after write: first append", Op::kRead, 1, 11, 0xB1, 0},
      {"append after a read", Op::kWrite, 1, 13, 0xB3, 0},
      {"the new end", Op::kRead, 1, 13, 0xB3, 0},
      {"past the new end", Op::kRead, 1, 14, 0, kBadRecord},
      {"write record 0", Op::kWrite, 1, 0, 1, kBadRecord},
      {"write the lowest record", Op::kWrite, 1, INT32_MIN, 1, kBadRecord},
      {"overwrite a pending byte", Op::kWrite, 1, 12, 0xC2, 0},
      {"reads back", Op::kRead, 1, 12, 0xC2, 0},
      {"second file", Op::kWrite, 2, 1, 0x21, 0},
      {"second file append", Op::kWrite, 2, 2, 0x22, 0},
      {"second file reads back", Op::kRead, 2, 1, 0x21, 0},
      {"first file unchanged", Op::kRead, 1, 1, 10, 0},
      {"first file after the second's writes", Op::kWrite, 1, 14, 0xB4, 0},
      {"unopened number", Op::kRead, 3, 1, 0, kNotOpen},
      {"unopened number", Op::kWrite, 3, 1, 0, kNotOpen},
      {"number 0", Op::kRead, 0, 1, 0, kNotOpen},
      {"number 256", Op::kRead, 256, 1, 0, kNotOpen},
      {"number 256", Op::kWrite, 256, 1, 0, kNotOpen},
      {"number -1", Op::kWrite, -1, 1, 0, kNotOpen},
      {"lowest number", Op::kRead, INT_MIN, 1, 0, kNotOpen},
  };
  for (const Step& step : steps) {
    std::uint8_t read = 0;
    const int error = ErrorOf([&] {
      if (step.op == Op::kRead) read = app.ReadByte(step.file, step.record);
      else app.WriteByte(step.file, step.record, step.value);
    });
    EXPECT_EQ(error, step.error) << step.what;
    if (step.op == Op::kRead && step.error == 0) {
      EXPECT_EQ(read, step.value) << step.what;
    }
    const RecordWindow& window = app.Window(1);
    EXPECT_FALSE(window.read.length > 0 && window.write.bytes != nullptr) << step.what << ": both windows";
  }
  app.CloseAllFiles();
  EXPECT_EQ(app.media["a.bin"].bytes, (Bytes{10, 20, 0x33, 40, 50, 60, 70, 80, 90, 100, 0xB1, 0xC2, 0xB3, 0xB4}));
  EXPECT_EQ(app.media["b.bin"].bytes, (Bytes{0x21, 0x22}));
}

TEST(RecordWindows, AClosedNumberAnswersNothingFromItsOldWindows) {
  WindowedServices app;
  app.media["old.bin"].bytes = {1, 2, 3};
  app.media["new.bin"].bytes = {7};
  app.OpenRandomFile("old.bin", 5);
  ASSERT_EQ(app.ReadByte(5, 2), 2);
  app.CloseFile(5);
  EXPECT_TRUE(Empty(app.Window(5)));
  EXPECT_EQ(ErrorOf([&] { app.ReadByte(5, 2); }), 52);
  app.OpenRandomFile("old.bin", 5);
  app.WriteByte(5, 4, 4);
  app.CloseAllFiles();
  EXPECT_TRUE(Empty(app.Window(5)));
  EXPECT_EQ(ErrorOf([&] { app.WriteByte(5, 5, 5); }), 52);
  app.OpenRandomFile("new.bin", 5);
  EXPECT_EQ(app.ReadByte(5, 1), 7);
  EXPECT_EQ(ErrorOf([&] { app.ReadByte(5, 2); }), 63) << "the old file's bytes are gone";
  app.CloseAllFiles();
  EXPECT_EQ(app.media["old.bin"].bytes, (Bytes{1, 2, 3, 4}));
}

// A copy as the extractor makes it reaches the services once per block on each side.
TEST(RecordWindows, ACopyCallsInOncePerBlock) {
  WindowedServices app;
  app.media["carrier.bmp"].bytes = Pattern(3 * kBlock + 500);
  const auto carrier_length = 3 * kBlock + 500;
  const std::int32_t length = 2 * kBlock + 300;
  app.OpenRandomFile("carrier.bmp", 1);
  std::int32_t running_total = 0;
  EXPECT_EQ(ExtractSegment(app, app.progress_bar1, 1, carrier_length, length, "out.bin",
                           ProgressRule::kRunningTotal, &running_total),
            carrier_length - length);
  app.CloseAllFiles();
  const Bytes& carrier = app.media["carrier.bmp"].bytes;
  Bytes expected(carrier.end() - length, carrier.end());
  std::reverse(expected.begin(), expected.end());
  EXPECT_EQ(app.media["out.bin"].bytes, expected);
  EXPECT_EQ(app.slow_reads, 3) << "one per carrier block touched";
  EXPECT_EQ(app.slow_writes, 2) << "one per full run";
}

TEST(RecordWindows, AFailingFlushLeavesNoWindowBehind) {
  WindowedServices app;
  app.media["out.bin"].capacity = 100;
  app.OpenRandomFile("out.bin", 1);
  for (std::int32_t record = 1; record <= kBlock; ++record) app.WriteByte(1, record, 9);
  EXPECT_EQ(ErrorOf([&] { app.WriteByte(1, kBlock + 1, 9); }), 61);
  EXPECT_TRUE(Empty(app.Window(1)));
  EXPECT_EQ(ErrorOf([&] { app.ReadByte(1, 1); }), 63) << "the lost run is not part of the file";
  app.WriteByte(1, 1, 0x5A);
  app.WriteByte(1, 2, 0x5B);
  EXPECT_EQ(app.ReadByte(1, 2), 0x5B);
  for (std::int32_t record = 3; record <= 200; ++record) app.WriteByte(1, record, 9);
  EXPECT_EQ(ErrorOf([&] { app.CloseFile(1); }), 61);
  EXPECT_TRUE(Empty(app.Window(1)));
  EXPECT_EQ(ErrorOf([&] { app.ReadByte(1, 1); }), 52) << "closed even though the flush failed";
}

// Random runs and jumps over two files at once see what plain arrays would, and the media
// hold it after close.
TEST(RecordWindows, AgreeWithPlainArraysUnderRandomCallsOnTwoFiles) {
  std::mt19937 random(7);
  WindowedServices app;
  app.media["a"].bytes = Pattern(2 * kBlock + 7, 1);
  app.media["b"].bytes = Pattern(kBlock / 2, 2);
  Bytes model[2] = {app.media["a"].bytes, app.media["b"].bytes};
  app.OpenRandomFile("a", 1);
  app.OpenRandomFile("b", 2);
  std::int32_t cursor[2] = {1, 1};
  for (int step = 0; step < 300'000; ++step) {
    const int f = random() % 8 == 0 ? 1 : 0;  // mostly file 1, as a copy reads one file steadily
    Bytes& bytes = model[f];
    std::int32_t& at = cursor[f];
    const auto size = static_cast<std::int32_t>(bytes.size());
    if (random() % 256 == 0) at = 1 + static_cast<std::int32_t>(random() % static_cast<unsigned>(size + 1));
    if (random() % 3 == 0 && at <= size) {
      ASSERT_EQ(app.ReadByte(f + 1, at), bytes[static_cast<std::size_t>(at) - 1]) << step;
    } else {
      const auto value = static_cast<std::uint8_t>(random());
      app.WriteByte(f + 1, at, value);
      if (at > size) bytes.push_back(value);
      else bytes[static_cast<std::size_t>(at) - 1] = value;
    }
    at = random() % 8 == 0 ? std::max(1, at - 1) : at + 1;
  }
  app.CloseAllFiles();
  EXPECT_EQ(app.media["a"].bytes, model[0]);
  EXPECT_EQ(app.media["b"].bytes, model[1]);
}

}  // namespace
}  // namespace hdgr::testing
