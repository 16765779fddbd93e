#include <algorithm>

#include "platform/win32/base/unique_handle.h"
#include "platform/win32/base/wide_text.h"
#include "platform/win32/files/file_system.h"
#include "platform/win32/win32_services.h"
#include "tests/wine/wine_host.h"

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
      {"hidden.txt", "", "hidden.txt"},  // a folder could not be made there either
      {"system.txt", "", "system.txt"},
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
  // A folder stored with a closing separator gives two before the name: the system reads one.
  EXPECT_EQ(app.FindEntry(Folder() + "\\\\plain.txt", kFindFiles), "plain.txt");
  // The long-path prefix's '?' is a path form, not a pattern.
  EXPECT_EQ(app.FindEntry("\\\\?\\" + Path("plain.txt"), kFindFiles), "plain.txt");
}

// A drive letter the run does not have (another logon session's network or subst drive,
// unseen by a run with administrator rights) says so; a missing folder on a drive the run
// has is nothing there, as before.
TEST_F(FileSystemTest, FindEntryOnADriveThisRunDoesNotHaveIsPathNotFoundNamingTheDrive) {
  ASSERT_EQ(GetDriveTypeW(L"Q:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR)) << "the prefix has a drive Q:";
  for (const std::string path : {"Q:\\Halden Grid\\HaldenGrid.exe", "\\\\?\\Q:\\Halden Grid\\HaldenGrid.exe", "q:\\"}) {
    for (const int mask : {kFindFiles, kFindFolders}) {
      const Failure failure = FailureOf([&] { app.FindEntry(path, mask); });
      EXPECT_EQ(failure.number, ErrorNumber::kPathNotFound) << path;
      EXPECT_NE(failure.detail.find("drive Q: is not there"), std::string::npos) << failure.detail;
      EXPECT_NE(failure.detail.find("start the setup without administrator rights, or from the drive's own letter"),
                std::string::npos)
          << failure.detail;
    }
  }
  EXPECT_EQ(app.FindEntry("C:\\hdgr no such folder\\HaldenGrid.exe", kFindFiles), "");
}

TEST_F(FileSystemTest, FilesAreMeasuredAndRemoved) {
  const std::string folder = Path("work");
  ASSERT_TRUE(CreateDirectoryW(Wide(folder).c_str(), nullptr));
  app.ChangeFolder(folder);
  PutFile("relative.bin", Bytes(1234));  // lands in the current folder
  EXPECT_EQ(app.FileLength(folder + "\\relative.bin"), 1234);
  PutFile(Path("empty.bin"), {});
  EXPECT_EQ(app.FileLength(Path("empty.bin")), 0);
  EXPECT_EQ(FailureOf([&] { app.FileLength(Path("missing.bin")); }).number, ErrorNumber::kFileNotFound);
  EXPECT_EQ(FailureOf([&] { app.ChangeFolder(Path("missing")); }).number, ErrorNumber::kPathNotFound);
  app.ChangeFolder(Folder());  // let go of `work`

  PutFile(folder + "\\hidden.bin", Bytes(5), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  for (const char* name : {"relative.bin", "hidden.bin"}) {
    app.RemoveFile(folder + "\\" + name);
    EXPECT_FALSE(Exists(folder + "\\" + name)) << name;
  }
  EXPECT_EQ(FailureOf([&] { app.RemoveFile(Path("missing.bin")); }).number, ErrorNumber::kFileNotFound);
  // The same cause gives the same number wherever it is met.
  PutFile(Path("locked.bin"), Bytes(3), FILE_ATTRIBUTE_READONLY);
  const Failure read_only = FailureOf([&] { app.RemoveFile(Path("locked.bin")); });
  EXPECT_EQ(read_only.number, ErrorNumber::kPathFileAccessError);
  EXPECT_NE(read_only.detail.find("read-only"), std::string::npos) << read_only.detail;
  EXPECT_EQ(FailureOf([&] { app.RemoveFile(folder); }).number, ErrorNumber::kPathFileAccessError);
  const FileHandle in_use(CreateFileW(Wide(Path("empty.bin")).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
  EXPECT_EQ(FailureOf([&] { app.RemoveFile(Path("empty.bin")); }).number, ErrorNumber::kPermissionDenied);
  EXPECT_TRUE(Exists(Path("empty.bin")));
}

// What a stopped run left goes; a link of such a name goes itself (Wine would delete what a
// file link leads to), and a file in use or read-only stays, as does a name that only
// looks like one.
TEST_F(FileSystemTest, LeftoversGoThemselvesAndNothingElseDoes) {
  const std::string program = Path("HaldenGrid.exe");
  const std::string victim = Path("victim.dll");
  PutFile(program, Bytes(10, 1));
  PutFile(victim, Bytes(300, 7));
  const std::string plain = program + ".0123456789abcdef.new";
  const std::string link = program + ".1111111111111111.new";
  const std::string in_use = program + ".2222222222222222.new";
  const std::string read_only = program + ".3333333333333333.new";
  const std::string look_alike = program + ".notes.new";
  PutFile(plain, Bytes(20, 2));
  ASSERT_TRUE(wine_host::MakeSymbolicLink(Wide(link), Wide(victim)));
  PutFile(in_use, Bytes(20, 3));
  PutFile(read_only, Bytes(20, 4), FILE_ATTRIBUTE_READONLY);
  PutFile(look_alike, Bytes(20, 5));
  const FileHandle open(
      CreateFileW(Wide(in_use).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(open);

  std::vector<std::string> removed = RemoveLeftovers(program);
  std::sort(removed.begin(), removed.end());
  EXPECT_EQ(removed, (std::vector<std::string>{plain, link}));
  EXPECT_FALSE(Exists(plain));
  EXPECT_EQ(GetFileAttributesW(Wide(link).c_str()), INVALID_FILE_ATTRIBUTES) << "the link itself is gone";
  EXPECT_EQ(Contents(victim), Bytes(300, 7));
  EXPECT_EQ(Contents(in_use), Bytes(20, 3));
  EXPECT_EQ(Contents(read_only), Bytes(20, 4));
  EXPECT_EQ(Contents(look_alike), Bytes(20, 5));
  EXPECT_EQ(Contents(program), Bytes(10, 1));
  SetFileAttributesW(Wide(read_only).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileSystemTest, PathsWithLettersOutsideAsciiWork) {
  const std::string folder = Path("Prodütto Ωmega 製品");
  {
    Win32Services services;
    services.MakeFolder(folder);
    EXPECT_EQ(services.FindEntry(folder, kFindFolders), "Prodütto Ωmega 製品");
    const std::string file = folder + "\\Grüße.exe";
    const int number = services.FreeFileNumber();
    services.OpenNewFile(file, number);
    services.WriteRecords(number, 1, std::vector<std::uint8_t>{1, 2, 3});
    services.CloseFile(number);
    services.PutInPlace(file);
    EXPECT_EQ(services.FindEntry(file, kFindFiles), "Grüße.exe");
    EXPECT_EQ(services.FileLength(file), 3);
    EXPECT_EQ(Contents(file), (std::vector<std::uint8_t>{1, 2, 3}));
    services.RemoveFile(file);
    EXPECT_EQ(services.FindEntry(file, kFindFiles), "");
  }
}

}  // namespace
}  // namespace hdgr::win32::testing
