#include "platform/win32/win32_services.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/unique_handle.h"

#include "win32_test_support.h"

namespace hdgr::win32::testing {
namespace {

class RecordFilesTest : public TempFolderTest {
 protected:
  void TearDown() override {
    app.CloseAllFiles();
    TempFolderTest::TearDown();
  }
  Win32Services app;
};

TEST_F(RecordFilesTest, OpeningKeepsAnExistingFileAndWritingJustPastTheEndExtendsIt) {
  PutFile(Path("old.bin"), Bytes(10, 3));
  const int number = app.FreeFileNumber();
  app.OpenRandomFile(Path("old.bin"), number);
  EXPECT_EQ(app.ReadByte(number, 10), Bytes(10, 3)[9]);
  app.WriteByte(number, 11, 0xEE);
  app.WriteByte(number, 2, 0x22);
  EXPECT_EQ(app.ReadByte(number, 11), 0xEE) << "a buffered write reads back before close";
  EXPECT_EQ(app.ReadByte(number, 2), 0x22);
  app.CloseFile(number);

  std::vector<std::uint8_t> expected = Bytes(10, 3);
  expected[1] = 0x22;
  expected.push_back(0xEE);
  EXPECT_EQ(Contents(Path("old.bin")), expected);

  app.OpenRandomFile(Path("new.bin"), number);  // created when missing
  app.CloseFile(number);
  EXPECT_TRUE(Exists(Path("new.bin")));
  EXPECT_EQ(app.FileLength(Path("new.bin")), 0);
}

TEST_F(RecordFilesTest, RecordsOutsideTheFileAndUnopenedNumbersAreErrors) {
  PutFile(Path("ten.bin"), Bytes(10));
  app.OpenRandomFile(Path("ten.bin"), 1);
  struct Case {
    const char* what;
    std::function<void()> action;
    ErrorNumber number;
  };
  const Case cases[] = {
      {"read record 0", [&] { app.ReadByte(1, 0); }, ErrorNumber::kBadRecordNumber},
      {"read record -1", [&] { app.ReadByte(1, -1); }, ErrorNumber::kBadRecordNumber},
      {"read past the end", [&] { app.ReadByte(1, 11); }, ErrorNumber::kBadRecordNumber},
      {"write record 0", [&] { app.WriteByte(1, 0, 1); }, ErrorNumber::kBadRecordNumber},
      {"read an unopened number", [&] { app.ReadByte(2, 1); }, ErrorNumber::kBadFileNameOrNumber},
      {"write an unopened number", [&] { app.WriteByte(2, 1, 1); }, ErrorNumber::kBadFileNameOrNumber},
      {"read number 0", [&] { app.ReadByte(0, 1); }, ErrorNumber::kBadFileNameOrNumber},
      {"read number 256", [&] { app.ReadByte(256, 1); }, ErrorNumber::kBadFileNameOrNumber},
      {"open number 256", [&] { app.OpenRandomFile(Path("x.bin"), 256); }, ErrorNumber::kBadFileNameOrNumber},
      {"open a number in use", [&] { app.OpenRandomFile(Path("x.bin"), 1); }, ErrorNumber::kFileAlreadyOpen},
      {"open in a missing folder", [&] { app.OpenRandomFile(Path("no\\x.bin"), 3); }, ErrorNumber::kPathNotFound},
  };
  for (const auto& c : cases) EXPECT_EQ(FailureOf(c.action).number, c.number) << c.what;
  EXPECT_EQ(app.FreeFileNumber(), 2);
}

TEST_F(RecordFilesTest, FilesThatCannotBeOpenedForWritingSayWhy) {
  PutFile(Path("read-only.bin"), Bytes(10), FILE_ATTRIBUTE_READONLY);
  const Failure read_only = FailureOf([&] { app.OpenRandomFile(Path("read-only.bin"), 1); });
  EXPECT_EQ(read_only.number, ErrorNumber::kPathFileAccessError);
  EXPECT_NE(read_only.detail.find("read-only"), std::string::npos) << read_only.detail;

  PutFile(Path("held.bin"), Bytes(10));
  const FileHandle held(CreateFileW(Wide(Path("held.bin")).c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  const Failure in_use = FailureOf([&] { app.OpenRandomFile(Path("held.bin"), 1); });
  EXPECT_EQ(in_use.number, ErrorNumber::kPermissionDenied);
  EXPECT_NE(in_use.detail.find("held.bin"), std::string::npos) << in_use.detail;

  ASSERT_TRUE(CreateDirectoryW(Wide(Path("folder")).c_str(), nullptr));
  EXPECT_EQ(FailureOf([&] { app.OpenRandomFile(Path("folder"), 1); }).number,
            ErrorNumber::kPathFileAccessError);
  EXPECT_EQ(app.FreeFileNumber(), 1) << "a failed open takes no number";
}

// The extractor's pattern: one carrier read backwards, outputs written forwards.
TEST_F(RecordFilesTest, AReversedCopyOfMegabytesComesOutExact) {
  const auto carrier = Bytes(1'000'003, 11);
  PutFile(Path("carrier.bmp"), carrier);
  app.OpenRandomFile(Path("carrier.bmp"), 1);
  const int output = app.FreeFileNumber();
  ASSERT_EQ(output, 2);
  app.OpenRandomFile(Path("out.bin"), output);
  const std::int32_t start = 1'000'000;
  for (std::int32_t j = 1; j <= 900'000; ++j) app.WriteByte(output, j, app.ReadByte(1, start - (j - 1)));
  app.CloseFile(output);
  app.CloseAllFiles();

  const auto written = Contents(Path("out.bin"));
  ASSERT_EQ(written.size(), 900'000u);
  for (std::size_t j = 0; j < written.size(); ++j)
    ASSERT_EQ(written[j], carrier[start - 1 - j]) << "output byte " << j + 1;
}

// Reads and writes that jump between blocks: each raw call must land where it was meant,
// whatever the last one left the file pointer at.
TEST_F(RecordFilesTest, ScatteredReadsAndWritesMatchAPlainModel) {
  std::vector<std::uint8_t> model = Bytes(200'000, 5);
  PutFile(Path("scattered.bin"), model);
  app.OpenRandomFile(Path("scattered.bin"), 1);
  std::uint32_t seed = 12345;
  for (int step = 0; step < 2'000; ++step) {
    seed = seed * 1'103'515'245u + 12'345u;
    const auto record = static_cast<std::int32_t>(seed >> 8) % static_cast<std::int32_t>(model.size()) + 1;
    if (seed & 1) {
      ASSERT_EQ(app.ReadByte(1, record), model[record - 1]) << "step " << step;
    } else {
      const auto length = static_cast<std::int32_t>(seed >> 24);  // short runs of appends too
      for (std::int32_t r = record; r < record + length; ++r) {
        const auto value = static_cast<std::uint8_t>(r + step);
        app.WriteByte(1, r, value);
        if (static_cast<std::size_t>(r) > model.size()) model.push_back(value);
        else model[r - 1] = value;
      }
    }
  }
  app.CloseFile(1);
  EXPECT_EQ(Contents(Path("scattered.bin")), model);
}

TEST_F(RecordFilesTest, CloseAllReleasesEveryFile) {
  app.OpenRandomFile(Path("a.bin"), 1);
  app.OpenRandomFile(Path("b.bin"), 7);
  app.WriteByte(7, 1, 0x77);
  app.CloseAllFiles();
  EXPECT_EQ(app.FreeFileNumber(), 1);
  app.RemoveFile(Path("a.bin"));  // no handle left on either
  EXPECT_EQ(Contents(Path("b.bin")), std::vector<std::uint8_t>{0x77});
  app.RemoveFile(Path("b.bin"));
  app.CloseFile(7);  // closing a closed number is harmless
}

}  // namespace
}  // namespace hdgr::win32::testing
