#include "platform/win32/base/unique_handle.h"
#include "platform/win32/base/wide_text.h"
#include "platform/win32/win32_services.h"

#include "win32_test_support.h"

namespace hdgr::win32::testing {
namespace {

using ByteVector = std::vector<std::uint8_t>;

class RecordFilesTest : public TempFolderTest {
 protected:
  void TearDown() override {
    app.CloseAllFiles();
    TempFolderTest::TearDown();
  }
  ByteVector Read(int number, std::int32_t first, std::size_t count) {
    ByteVector bytes(count);
    app.ReadRecords(number, first, bytes);
    return bytes;
  }
  Win32Services app;
};

TEST_F(RecordFilesTest, OpeningKeepsAnExistingFileAndWritingJustPastTheEndExtendsIt) {
  PutFile(Path("old.bin"), Bytes(10, 3));
  const int number = app.FreeFileNumber();
  app.OpenRandomFile(Path("old.bin"), number);
  EXPECT_EQ(Read(number, 10, 1), ByteVector{Bytes(10, 3)[9]});
  app.WriteRecords(number, 11, ByteVector{0xEE, 0xEF});
  app.WriteRecords(number, 2, ByteVector{0x22});
  EXPECT_EQ(Read(number, 11, 2), (ByteVector{0xEE, 0xEF}));
  EXPECT_EQ(Read(number, 1, 3), (ByteVector{Bytes(10, 3)[0], 0x22, Bytes(10, 3)[2]}));
  app.CloseFile(number);

  ByteVector expected = Bytes(10, 3);
  expected[1] = 0x22;
  expected.insert(expected.end(), {0xEE, 0xEF});
  EXPECT_EQ(Contents(Path("old.bin")), expected);

  app.OpenRandomFile(Path("new.bin"), number);  // created when missing
  app.CloseFile(number);
  EXPECT_TRUE(Exists(Path("new.bin")));
  EXPECT_EQ(app.FileLength(Path("new.bin")), 0);
}

TEST_F(RecordFilesTest, RunsOutsideTheFileAndUnopenedNumbersAreErrors) {
  PutFile(Path("ten.bin"), Bytes(10));
  app.OpenRandomFile(Path("ten.bin"), 1);
  ByteVector two(2);
  struct Case {
    const char* what;
    std::function<void()> action;
    ErrorNumber number;
  };
  const Case cases[] = {
      {"read from record 0", [&] { app.ReadRecords(1, 0, two); }, ErrorNumber::kBadRecordNumber},
      {"read from record -1", [&] { app.ReadRecords(1, -1, two); }, ErrorNumber::kBadRecordNumber},
      {"read across the end", [&] { app.ReadRecords(1, 10, two); }, ErrorNumber::kBadRecordNumber},
      {"read past the end", [&] { app.ReadRecords(1, 11, two); }, ErrorNumber::kBadRecordNumber},
      {"write at record 0", [&] { app.WriteRecords(1, 0, two); }, ErrorNumber::kBadRecordNumber},
      {"read an unopened number", [&] { app.ReadRecords(2, 1, two); }, ErrorNumber::kBadFileNameOrNumber},
      {"write an unopened number", [&] { app.WriteRecords(2, 1, two); }, ErrorNumber::kBadFileNameOrNumber},
      {"read number 0", [&] { app.ReadRecords(0, 1, two); }, ErrorNumber::kBadFileNameOrNumber},
      {"read number 256", [&] { app.ReadRecords(256, 1, two); }, ErrorNumber::kBadFileNameOrNumber},
      {"open number 256", [&] { app.OpenRandomFile(Path("x.bin"), 256); }, ErrorNumber::kBadFileNameOrNumber},
      {"open a number in use", [&] { app.OpenRandomFile(Path("x.bin"), 1); }, ErrorNumber::kFileAlreadyOpen},
      {"open in a missing folder", [&] { app.OpenRandomFile(Path("no\\x.bin"), 3); }, ErrorNumber::kPathNotFound},
  };
  for (const auto& c : cases) EXPECT_EQ(FailureOf(c.action).number, c.number) << c.what;
  EXPECT_EQ(Contents(Path("ten.bin")), Bytes(10)) << "a refused run reads and writes nothing";
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

// Runs that jump about, reads and writes mixed, some past the end: each call must land
// where it was meant, whatever the last one left the file pointer at.
TEST_F(RecordFilesTest, ScatteredRunsMatchAPlainModel) {
  ByteVector model = Bytes(200'000, 5);
  PutFile(Path("scattered.bin"), model);
  app.OpenRandomFile(Path("scattered.bin"), 1);
  std::uint32_t seed = 12345;
  for (int step = 0; step < 2'000; ++step) {
    seed = seed * 1'103'515'245u + 12'345u;
    const auto first = static_cast<std::int32_t>(seed >> 8) % static_cast<std::int32_t>(model.size()) + 1;
    const auto length = static_cast<std::size_t>(seed >> 20) % 70'000 + 1;
    if (seed & 1) {
      const std::size_t count = std::min(length, model.size() - static_cast<std::size_t>(first) + 1);
      ASSERT_EQ(Read(1, first, count), ByteVector(model.begin() + (first - 1), model.begin() + (first - 1) + count))
          << "step " << step;
    } else {
      ByteVector run(length);
      for (std::size_t i = 0; i < length; ++i) run[i] = static_cast<std::uint8_t>(i + static_cast<std::size_t>(step));
      app.WriteRecords(1, first, run);
      if (first - 1 + length > model.size()) model.resize(first - 1 + length);
      std::copy(run.begin(), run.end(), model.begin() + (first - 1));
    }
  }
  app.CloseFile(1);
  EXPECT_EQ(Contents(Path("scattered.bin")), model);
}

TEST_F(RecordFilesTest, CloseAllReleasesEveryFile) {
  app.OpenRandomFile(Path("a.bin"), 1);
  app.OpenRandomFile(Path("b.bin"), 7);
  app.WriteRecords(7, 1, ByteVector{0x77});
  app.CloseAllFiles();
  EXPECT_EQ(app.FreeFileNumber(), 1);
  app.RemoveFile(Path("a.bin"));  // no handle left on either
  EXPECT_EQ(Contents(Path("b.bin")), ByteVector{0x77});
  app.RemoveFile(Path("b.bin"));
  app.CloseFile(7);  // closing a closed number is harmless
}

}  // namespace
}  // namespace hdgr::win32::testing
