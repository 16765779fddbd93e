#include "platform/win32/win32_services.h"
#include "platform/win32/wide_text.h"

#include "win32_test_support.h"

namespace hdgr::win32::testing {
namespace {

class FileSystemTest : public TempFolderTest {
 protected:
  Win32Services app;
};

TEST_F(FileSystemTest, FindEntryReportsOnlyWhatTheMaskAdmits) {
  PutFile(Path("plain.txt"), Bytes(3));
  PutFile(Path("read-only.txt"), Bytes(3), FILE_ATTRIBUTE_READONLY);
  PutFile(Path("hidden.txt"), Bytes(3), FILE_ATTRIBUTE_HIDDEN);
  PutFile(Path("system.txt"), Bytes(3), FILE_ATTRIBUTE_SYSTEM);
  ASSERT_TRUE(CreateDirectoryW(Wide(Path("folder")).c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(Wide(Path("hidden folder")).c_str(), nullptr));
  SetFileAttributesW(Wide(Path("hidden folder")).c_str(), FILE_ATTRIBUTE_HIDDEN);

  struct Case {
    std::string name;
    std::string files;    // what mask 0 reports
    std::string folders;  // what mask 16 reports
  };
  const Case cases[] = {
      {"plain.txt", "plain.txt", "plain.txt"},
      {"PLAIN.TXT", "plain.txt", "plain.txt"},  // the stored spelling
      {"read-only.txt", "read-only.txt", "read-only.txt"},
      {"hidden.txt", "", ""},
      {"system.txt", "", ""},
      {"folder", "", "folder"},
      {"hidden folder", "", "hidden folder"},
      {"missing.txt", "", ""},
      {"missing folder\\plain.txt", "", ""},
      {"plain.txt\\below a file", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(app.FindEntry(Path(c.name), kFindFiles), c.files) << c.name;
    EXPECT_EQ(app.FindEntry(Path(c.name), kFindFolders), c.folders) << c.name;
  }
}

TEST_F(FileSystemTest, FindEntryTakesNoWildcards) {
  PutFile(Path("plain.txt"), Bytes(3));
  for (const char* pattern : {"*", "*.txt", "plain.tx?", "?lain.txt"}) {
    EXPECT_EQ(FailureOf([&] { app.FindEntry(Path(pattern), kFindFiles); }).number,
              ErrorNumber::kBadFileNameOrNumber)
        << pattern;
  }
  // The long-path prefix's '?' is a path form, not a pattern.
  EXPECT_EQ(app.FindEntry("\\\\?\\" + Path("plain.txt"), kFindFiles), "plain.txt");
}

TEST_F(FileSystemTest, FoldersAndFilesAreMadeRemovedAndMeasured) {
  const std::string folder = Path("work");
  app.MakeFolder(folder);
  EXPECT_EQ(app.FindEntry(folder, kFindFolders), "work");
  EXPECT_EQ(FailureOf([&] { app.MakeFolder(folder); }).number, ErrorNumber::kPathFileAccessError);
  EXPECT_EQ(FailureOf([&] { app.MakeFolder(Path("no\\such")); }).number, ErrorNumber::kPathNotFound);

  app.ChangeFolder(folder);
  PutFile("relative.bin", Bytes(1234));  // lands in the current folder
  EXPECT_EQ(app.FileLength(folder + "\\relative.bin"), 1234);
  PutFile(Path("empty.bin"), {});
  EXPECT_EQ(app.FileLength(Path("empty.bin")), 0);
  EXPECT_EQ(FailureOf([&] { app.FileLength(Path("missing.bin")); }).number, ErrorNumber::kFileNotFound);
  EXPECT_EQ(FailureOf([&] { app.ChangeFolder(Path("missing")); }).number, ErrorNumber::kPathNotFound);
  app.ChangeFolder(Folder());  // let go of `work`

  app.RemoveFile(folder + "\\relative.bin");
  EXPECT_FALSE(Exists(folder + "\\relative.bin"));
  EXPECT_EQ(FailureOf([&] { app.RemoveFile(Path("missing.bin")); }).number, ErrorNumber::kFileNotFound);
  PutFile(Path("locked.bin"), Bytes(3), FILE_ATTRIBUTE_READONLY);
  const Failure read_only = FailureOf([&] { app.RemoveFile(Path("locked.bin")); });
  EXPECT_EQ(read_only.number, ErrorNumber::kPathFileAccessError);
  EXPECT_NE(read_only.detail.find("read-only"), std::string::npos) << read_only.detail;
}

TEST_F(FileSystemTest, ReplaceFileReplacesAHiddenOrSystemTargetWhole) {
  for (const DWORD hiding : {DWORD{FILE_ATTRIBUTE_HIDDEN}, DWORD{FILE_ATTRIBUTE_SYSTEM},
                             DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM}}) {
    PutFile(Path("new.tmp"), Bytes(10, 5));
    PutFile(Path("HaldenGrid.exe"), Bytes(5000, 9), hiding);
    app.ReplaceFile(Path("new.tmp"), Path("HaldenGrid.exe"));
    EXPECT_EQ(Contents(Path("HaldenGrid.exe")), Bytes(10, 5)) << hiding;
    EXPECT_FALSE(Exists(Path("new.tmp")));
  }
  PutFile(Path("new.tmp"), Bytes(10, 5));
  app.ReplaceFile(Path("new.tmp"), Path("fresh.exe"));  // no target yet
  EXPECT_EQ(Contents(Path("fresh.exe")), Bytes(10, 5));
}

TEST_F(FileSystemTest, ReplaceFileLeavesAReadOnlyTargetAndTheSourceAlone) {
  PutFile(Path("new.tmp"), Bytes(10, 5));
  PutFile(Path("HaldenGrid.exe"), Bytes(50, 9), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(FailureOf([&] { app.ReplaceFile(Path("new.tmp"), Path("HaldenGrid.exe")); }).number,
            ErrorNumber::kPermissionDenied);
  EXPECT_EQ(Contents(Path("HaldenGrid.exe")), Bytes(50, 9));
  constexpr DWORD kKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  EXPECT_EQ(Attributes(Path("HaldenGrid.exe")) & kKept, DWORD{FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN});
  EXPECT_EQ(Contents(Path("new.tmp")), Bytes(10, 5));
}

class BytesPicture : public Picture {
 public:
  explicit BytesPicture(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  std::span<const std::uint8_t> Bytes() const override { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

TEST_F(FileSystemTest, SavePictureWritesExactlyItsBytesOverAnyOlderFile) {
  const BytesPicture picture(Bytes(100'000, 3));
  app.SavePicture(picture, Path("new.bmp"));
  EXPECT_EQ(Contents(Path("new.bmp")), Bytes(100'000, 3));

  PutFile(Path("longer.bmp"), Bytes(300'000, 8));
  app.SavePicture(picture, Path("longer.bmp"));
  EXPECT_EQ(Contents(Path("longer.bmp")), Bytes(100'000, 3));

  PutFile(Path("hidden.bmp"), Bytes(300'000, 8), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  app.SavePicture(picture, Path("hidden.bmp"));
  EXPECT_EQ(Contents(Path("hidden.bmp")), Bytes(100'000, 3));

  PutFile(Path("read-only.bmp"), Bytes(10, 8), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(FailureOf([&] { app.SavePicture(picture, Path("read-only.bmp")); }).number,
            ErrorNumber::kPathFileAccessError);
  EXPECT_EQ(Contents(Path("read-only.bmp")), Bytes(10, 8));
  EXPECT_EQ(FailureOf([&] { app.SavePicture(picture, Path("missing\\x.bmp")); }).number,
            ErrorNumber::kPathNotFound);
}

TEST_F(FileSystemTest, ReadFileInChunksHandsOverTheWholeFileInOrder) {
  PutFile(Path("data.bin"), Bytes(200'001, 4));
  std::vector<std::uint8_t> seen;
  app.ReadFileInChunks(Path("data.bin"), [&](std::span<const std::uint8_t> chunk) {
    seen.insert(seen.end(), chunk.begin(), chunk.end());
  });
  EXPECT_EQ(seen, Bytes(200'001, 4));
  EXPECT_EQ(FailureOf([&] { app.ReadFileInChunks(Path("missing.bin"), [](auto) {}); }).number,
            ErrorNumber::kFileNotFound);
}

TEST_F(FileSystemTest, PathsWithLettersOutsideAsciiWork) {
  const std::string folder = Path("Prodütto Ωmega 製品");
  app.MakeFolder(folder);
  EXPECT_EQ(app.FindEntry(folder, kFindFolders), "Prodütto Ωmega 製品");
  const std::string file = folder + "\\Grüße.exe";
  const int number = app.FreeFileNumber();
  app.OpenRandomFile(file, number);
  for (std::int32_t record = 1; record <= 3; ++record)
    app.WriteByte(number, record, static_cast<std::uint8_t>(record));
  app.CloseFile(number);
  EXPECT_EQ(app.FindEntry(file, kFindFiles), "Grüße.exe");
  EXPECT_EQ(app.FileLength(file), 3);
  EXPECT_EQ(Contents(file), (std::vector<std::uint8_t>{1, 2, 3}));
  PutFile(folder + "\\neu.tmp", Bytes(4));
  app.ReplaceFile(folder + "\\neu.tmp", file);
  EXPECT_EQ(Contents(file), Bytes(4));
  app.RemoveFile(file);
  EXPECT_EQ(app.FindEntry(file, kFindFiles), "");
}

}  // namespace
}  // namespace hdgr::win32::testing
