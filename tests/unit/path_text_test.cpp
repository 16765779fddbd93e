#include "platform/path_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hdgr {
namespace {

TEST(PathTextTest, FullPathsAreDriveRootsSharesAndTheirLongForms) {
  struct Row {
    std::string path;
    bool full;
  };
  const std::vector<Row> rows = {
      {"C:\\Program Files\\Halden Grid", true}, {"c:\\", true}, {"D:/HG", true},
      {"\\\\server\\share", true}, {"\\\\server\\share\\HG", true}, {"//server/share/HG", true},
      {"\\\\?\\C:\\HG", true}, {"\\\\?\\UNC\\server\\share\\HG", true}, {"\\\\?\\unc\\server\\share", true},
      {"", false}, {".", false}, {"..\\HG", false}, {"HG", false}, {"C:", false}, {"C:HG", false},
      {"\\HG", false}, {" C:\\HG", false}, {"   ", false}, {"\\\\server", false}, {"\\\\server\\", false},
      {"\\\\\\share", false}, {"\\\\.\\C:\\HG", false}, {"\\\\?\\HG", false}, {"\\\\?\\UNC\\server", false},
      {"1:\\HG", false}, {"//./C:/HG", false}, {"//?/C:/HG", false}, {"\\\\?\\UNC\\.\\C:\\HG", false},
      {"\\\\?\\UNC\\?\\C:\\HG", false}, {"\\\\?\\GLOBALROOT\\Device\\HarddiskVolume2\\HG", false},
      {"\\\\?\\Volume{26a21bda-a627-11d7-9931-806e6f6e6963}\\HG", false},
  };
  for (const Row& row : rows) EXPECT_EQ(IsFullPath(row.path), row.full) << "\"" << row.path << "\"";
}

// What the link check compares with the system's final path: the form without the
// long-path prefix, and nothing for a device path, which must never pass for a share.
TEST(PathTextTest, APlainFormDropsTheLongPathPrefixAndDevicePathsHaveNone) {
  struct Row {
    std::string path;
    std::string plain;
  };
  const std::vector<Row> rows = {
      {"C:\\link\\prod", "C:\\link\\prod"},
      {"\\\\?\\C:\\link\\prod", "C:\\link\\prod"},
      {"\\\\?\\c:/link", "c:/link"},
      {"\\\\server\\share\\x.log", "\\\\server\\share\\x.log"},
      {"\\\\?\\UNC\\server\\share\\x.log", "\\\\server\\share\\x.log"},
      {"\\\\?\\unc\\server\\share", "\\\\server\\share"},
      {"\\\\.\\C:\\link\\prod", ""},
      {"\\\\?\\GLOBALROOT\\Device\\HarddiskVolume2\\link", ""},
      {"\\\\?\\Volume{26a21bda-a627-11d7-9931-806e6f6e6963}\\link", ""},
      {"\\\\?\\UNC\\.\\C:\\link", ""},
      {"\\\\.\\UNC\\server\\share", ""},
      {"\\\\?\\\\\\server\\share", ""},
      {"x.log", ""},
      {"", ""},
  };
  for (const Row& row : rows) EXPECT_EQ(PlainFormOf(row.path), row.plain) << "\"" << row.path << "\"";
}

TEST(PathTextTest, TheLongPathPrefixIsNoWildcard) {
  EXPECT_FALSE(HasWildcard("\\\\?\\C:\\HG\\HaldenGrid.exe"));
  EXPECT_FALSE(HasWildcard("C:\\HG\\HaldenGrid.exe"));
  EXPECT_TRUE(HasWildcard("\\\\?\\C:\\HG\\*.exe"));
  EXPECT_TRUE(HasWildcard("C:\\HG\\Halden?rid.exe"));
  EXPECT_TRUE(HasWildcard("\\\\?C:\\HG"));  // not the whole prefix
}

// Whether a stored product folder is, or lies in, the work folder, however it is spelt.
TEST(PathTextTest, LiesWithinResolvesEverySpellingOfTheSameFolder) {
  const std::string work = "c:\\hdgr_temp_setup";
  struct Row {
    std::string path;
    bool within;
  };
  const std::vector<Row> rows = {
      {"c:\\hdgr_temp_setup", true}, {"C:\\HDGR_TEMP_SETUP\\", true}, {"c:/hdgr_temp_setup/x", true},
      {"\\\\?\\C:\\hdgr_temp_setup", true}, {"c:\\hdgr_temp_setup. .\\x", true}, {"c:\\\\hdgr_temp_setup", true},
      {"c:\\x\\..\\hdgr_temp_setup\\.\\y", true}, {"c:\\..\\..\\hdgr_temp_setup", true},
      {"c:\\hdgr_temp_setup2", false}, {"c:\\hdgr_temp", false}, {"d:\\hdgr_temp_setup", false},
      {"c:\\x\\hdgr_temp_setup", false}, {"hdgr_temp_setup", false}, {"", false},
      {"\\\\server\\share\\hdgr_temp_setup", false},
  };
  for (const Row& row : rows) EXPECT_EQ(LiesWithin(row.path, work), row.within) << "\"" << row.path << "\"";
  EXPECT_TRUE(LiesWithin("\\\\?\\UNC\\server\\share\\a\\..\\b", "\\\\server\\share\\b"));
  EXPECT_FALSE(LiesWithin("\\\\server\\share\\..\\other", "\\\\server\\other"));
}

TEST(PathTextTest, ADriveRootIsTheDriveAloneHoweverSpelt) {
  for (const char* root : {"C:\\", "c:/", "C:\\.", "C:\\x\\..", "\\\\?\\C:\\", "C:\\\\"})
    EXPECT_TRUE(IsDriveRoot(root)) << root;
  for (const char* other : {"C:", "C:\\x", "\\\\server\\share", "", "\\"}) EXPECT_FALSE(IsDriveRoot(other)) << other;
}

// The drive whose root the system must know for a path to be looked up at all.
TEST(PathTextTest, ADriveLetterIsThatOfADrivePathInEitherFormAndNoneElse) {
  struct Row {
    std::string path;
    std::string drive;
  };
  const std::vector<Row> rows = {
      {"Q:\\Halden Grid", "Q:"}, {"q:/x", "Q:"}, {"\\\\?\\Q:\\Halden Grid", "Q:"}, {"C:\\", "C:"},
      {"\\\\server\\share\\x", ""}, {"\\\\?\\UNC\\server\\share", ""}, {"\\\\.\\Q:\\x", ""},
      {"Q:", ""}, {"Q:x", ""}, {"x", ""}, {"", ""},
  };
  for (const Row& row : rows) EXPECT_EQ(DriveLetterOf(row.path), row.drive) << "\"" << row.path << "\"";
}

TEST(PathTextTest, AFreshNameIsTheNameSixteenHexDigitsAndNew) {
  struct Row {
    const char* entry;
    bool fresh;
  };
  const std::vector<Row> rows = {
      {"HaldenGrid.exe.0123456789abcdef.new", true}, {"haldengrid.EXE.0123456789ABCDEF.NEW", true},
      {"HaldenGrid.exe.0123456789abcde.new", false}, {"HaldenGrid.exe.0123456789abcdeg.new", false},
      {"HaldenGrid.exe.notes.new", false},           {"HaldenGrid.exe.0123456789abcdef.new.txt", false},
      {"Setup.exe.0123456789abcdef.new", false},     {"HaldenGrid.exe", false},
  };
  for (const Row& row : rows) EXPECT_EQ(IsFreshNameOf(row.entry, "HaldenGrid.exe"), row.fresh) << row.entry;
}

}  // namespace
}  // namespace hdgr
