#include "installed/version_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_platform.h"

namespace hdgr::testing {
namespace {

using Calls = std::vector<std::string>;

const std::string kSettingsFound =
    "ShowMessage(64,hdGR,HdGR settings were found in your registry, but the program had either "
    "been uninstalled or its executable has been deleted.  You may install this copy.)";
const std::string kMostCurrent = "ShowMessage(64,hdGR,You have the most current copy of hdGR.)";
const std::string kWhiteText = ".ForeColor=255,255,255";

class VersionCheckTest : public ::testing::Test {
 protected:
  Calls Check(const InstalledCopy& installed) {
    fake.ClearCalls();
    CheckInstalledVersion(fake, fake, installed);
    return fake.calls;
  }
  static InstalledCopy Installed(std::string path, int major, int minor, int revision) {
    return InstalledCopy{std::move(path), static_cast<std::int16_t>(major), static_cast<std::int16_t>(minor),
                   static_cast<std::int16_t>(revision)};
  }
  FakePlatform fake;
};

TEST_F(VersionCheckTest, EmptyFolderMeansInstallWithoutAMessage) {
  EXPECT_EQ(Check(Installed("", 3, 3, 9)), (Calls{"Label5.Caption=Ready to install!"}));
  EXPECT_TRUE(fake.accept_button.Enabled());
  EXPECT_EQ(fake.accept_button.Caption(), "Accept terms of install");
}

TEST_F(VersionCheckTest, ProgramFileMissingShowsTheSettingsMessageFirst) {
  fake.PutFile("C:\\Hidden\\HaldenGrid.exe", {1});
  fake.files["c:\\hidden\\haldengrid.exe"].hidden = true;  // find entry with mask 0 skips it
  fake.PutFile("C:\\HG\\HaldenGrid.exe", {1});
  // The path goes to find entry exactly as stored plus the suffix: blanks, separators and all.
  for (const std::string folder : {"C:\\Gone", "C:\\Hidden"}) {
    SCOPED_TRACE("folder \"" + folder + "\"");
    EXPECT_EQ(Check(Installed(folder, 3, 3, 9)),
              (Calls{"FindEntry(" + folder + "\\HaldenGrid.exe,0)", kSettingsFound,
                     "Label5.Caption=Ready to install!"}));
    EXPECT_TRUE(fake.accept_button.Enabled());
  }
}

// A network or subst drive belongs to the logon session that made it: a run with
// administrator rights does not have it, and what lies there is unknown, not missing. The
// run stops with error 76 before it shows or offers anything; a missing folder on a drive
// the run has is still an uninstalled copy.
TEST_F(VersionCheckTest, AFolderOnADriveThisRunDoesNotHaveIsAnErrorNotAnUninstalledCopy) {
  fake.unseen_drives.insert("q:");
  for (const std::string folder : {"Q:\\Halden Grid", "\\\\?\\q:\\Halden Grid"}) {
    SCOPED_TRACE("folder \"" + folder + "\"");
    fake.ClearCalls();
    try {
      CheckInstalledVersion(fake, fake, Installed(folder, 3, 3, 9));
      ADD_FAILURE() << "no error";
    } catch (const RunTimeError& error) {
      EXPECT_EQ(error.Number(), ErrorNumber::kPathNotFound);
    }
    EXPECT_EQ(fake.calls, (Calls{"FindEntry(" + folder + "\\HaldenGrid.exe,0)"}));
  }
  EXPECT_EQ(Check(Installed("C:\\Halden Grid", 3, 3, 9)),
            (Calls{"FindEntry(C:\\Halden Grid\\HaldenGrid.exe,0)", kSettingsFound,
                   "Label5.Caption=Ready to install!"}));
}

// A folder that is not a full path would be looked up in, and written to, whatever folder
// the program runs in, and a pattern names no one folder (looking it up is error 52): either
// counts as no installed copy, and nothing is looked up.
TEST_F(VersionCheckTest, AFolderThatIsNotAFullPathOrHoldsAPatternIsNoInstalledCopy) {
  fake.PutFile("C:\\HG\\HaldenGrid.exe", {1});
  fake.current_folder = "C:\\HG";
  for (const std::string folder : {".", "HG", "..\\HG", "\\HG", "C:HG", "   ", " C:\\HG", "C:\\*", "C:\\H?",
                                   "\\\\?\\C:\\*", "\\\\server\\sh*re"}) {
    SCOPED_TRACE("folder \"" + folder + "\"");
    EXPECT_EQ(Check(Installed(folder, 3, 3, 9)), (Calls{kSettingsFound, "Label5.Caption=Ready to install!"}));
    EXPECT_EQ(fake.accept_button.Caption(), "Accept terms of install");
    EXPECT_TRUE(fake.accept_button.Enabled());
  }
}

// A closing separator gives two before the program's name, which the system reads as one.
TEST_F(VersionCheckTest, AFolderStoredWithAClosingSeparatorIsFound) {
  fake.PutFile("C:\\HG\\HaldenGrid.exe", {1});
  const Calls calls = Check(Installed("C:\\HG\\", 3, 3, 9));
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[0], "FindEntry(C:\\HG\\\\HaldenGrid.exe,0)");
  EXPECT_EQ(calls[1], "Label5.Caption=Your version: 3.3.9");
}

TEST_F(VersionCheckTest, LongPathAndShareFormsAreLookedUpAsTheyAre) {
  fake.PutFile("C:\\HG\\HaldenGrid.exe", {1});
  const Calls calls = Check(Installed("\\\\?\\C:\\HG", 3, 3, 9));
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[0], "FindEntry(\\\\?\\C:\\HG\\HaldenGrid.exe,0)");
  EXPECT_EQ(calls[1], "Label5.Caption=Your version: 3.3.9");
  EXPECT_EQ(Check(Installed("\\\\server\\share", 3, 3, 9)).at(0), "FindEntry(\\\\server\\share\\HaldenGrid.exe,0)");
}

TEST_F(VersionCheckTest, ComparesTheInstalledVersionInOrder) {
  struct Row {
    int major, minor, revision;
    int white;  // the Label3 item that turns white; -1: current
  };
  const std::vector<Row> rows = {
      {3, 4, 0, -1}, {3, 4, 5, -1}, {3, 5, 0, -1}, {4, 5, 0, -1}, {5, 4, 0, -1},
      {4, 0, 0, -1}, {4, 4, -1, -1}, {3, 4, 32767, -1}, {32767, -32768, -32768, -1},
      {3, 3, 9, 1}, {2, 9, 9, 0}, {0, 0, 0, 0}, {3, 4, -1, 2}, {2, 5, 1, 0},
      {-1, 9, 9, 0}, {3, 3, 32767, 1}, {-32768, 0, 0, 0},
  };
  for (const Row& row : rows) {
    const std::string version = std::to_string(row.major) + "." + std::to_string(row.minor) + "." +
                                std::to_string(row.revision);
    SCOPED_TRACE("installed " + version);
    FakePlatform fresh;
    fresh.PutFile("C:\\Program Files\\Halden Grid\\HaldenGrid.exe", {1});
    CheckInstalledVersion(fresh, fresh,
                          Installed("C:\\Program Files\\Halden Grid", row.major, row.minor, row.revision));
    Calls expected{"FindEntry(C:\\Program Files\\Halden Grid\\HaldenGrid.exe,0)",
                   "Label5.Caption=Your version: " + version};
    if (row.white >= 0) {
      expected.insert(expected.end(),
                      {"Command1.Caption=Accept terms of upgrade",
                       "Label3(" + std::to_string(row.white) + ")" + kWhiteText, "Label5" + kWhiteText});
    } else {
      expected.insert(expected.end(), {kMostCurrent, "Command1.Enabled=false"});
    }
    EXPECT_EQ(fresh.calls, expected);
    EXPECT_EQ(fresh.accept_button.Enabled(), row.white >= 0);
  }
}

TEST_F(VersionCheckTest, PackageVersionComesFromTheLabel3CaptionsAsNumbers) {
  fake.PutFile("C:\\HG\\HaldenGrid.exe", {1});
  fake.version_digits[1].SetCaption(" 5 ");
  EXPECT_EQ(Check(Installed("C:\\HG", 3, 4, 9)).at(3), "Label3(1)" + kWhiteText);
  // Compared in double precision: a fraction in a caption is not rounded away.
  fake.version_digits[1].SetCaption("4");
  fake.version_digits[2].SetCaption("0.5");
  EXPECT_EQ(Check(Installed("C:\\HG", 3, 4, 0)).at(3), "Label3(2)" + kWhiteText);
}

}  // namespace
}  // namespace hdgr::testing
