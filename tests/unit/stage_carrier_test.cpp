#include "package/stage_carrier.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_platform.h"

namespace hdgr::testing {
namespace {

using Calls = std::vector<std::string>;

const std::string kFolder = "c:\\hdgr_temp_setup";
const std::string kImage = kFolder + "\\setup_image.bmp";
const std::string kSetupExe = kFolder + "\\Setup.exe";
const std::string kCab = kFolder + "\\HaldenGrid.CAB";
const std::string kList = kFolder + "\\Setup.LST";

std::string Find(const std::string& path, int mask) {
  return "FindEntry(" + path + "," + std::to_string(mask) + ")";
}
std::string Remove(const std::string& path) { return "RemoveFile(" + path + ")"; }

class StageCarrierTest : public ::testing::Test {
 protected:
  StageCarrierTest() { fake.picture.bytes = {'B', 'M', 1, 2, 3, 4, 5}; }

  void PutWorkFolder() { fake.folders.insert(kFolder); }
  int Stage() {
    fake.ClearCalls();
    return StageCarrier(fake, fake.picture);
  }

  FakePlatform fake;
};

TEST_F(StageCarrierTest, MakesAMissingFolderAndTriesNoDeletion) {
  EXPECT_EQ(Stage(), 1);
  EXPECT_EQ(fake.calls, (Calls{"ChangeFolder(c:\\)", Find(kFolder, 16), "MakeFolder(" + kFolder + ")",
                               "SavePicture(" + kImage + ")", "OpenRandomFile(" + kImage + ",#1)"}));
  EXPECT_EQ(fake.current_folder, "c:\\");
  EXPECT_TRUE(fake.HasFolder(kFolder));
  EXPECT_EQ(fake.File(kImage)->bytes, fake.picture.bytes);
  EXPECT_TRUE(fake.held_folders.count(kFolder)) << "made, then held for the run";
  EXPECT_TRUE(fake.held_files.count(kImage));
  // Open as the carrier: record 1 is the image's first byte.
  std::uint8_t first = 0;
  fake.ReadRecords(1, 1, std::span<std::uint8_t>(&first, 1));
  EXPECT_EQ(first, 'B');
}

TEST_F(StageCarrierTest, RemovesTheThreeSetupFilesAndReplacesTheOldImage) {
  PutWorkFolder();
  for (const auto& path : {kSetupExe, kCab, kList}) fake.PutFile(path, {9, 9, 9});
  fake.PutFile(kImage, std::vector<std::uint8_t>(50, 7));
  fake.PutFile(kFolder + "\\readme.txt", {1});
  fake.PutFile(kFolder + "\\Setup.exe.bak", {2});
  fake.PutFile("c:\\other.dat", {3});
  fake.OpenRandomFile("c:\\other.dat", 1);  // the carrier takes the next free number

  EXPECT_EQ(Stage(), 2);
  EXPECT_EQ(fake.calls,
            (Calls{"ChangeFolder(c:\\)", Find(kFolder, 16), "HoldPrivateFolder(" + kFolder + ")",
                   "SavePicture(" + kImage + ")", Find(kSetupExe, 0), Remove(kSetupExe), Find(kCab, 0), Remove(kCab),
                   Find(kList, 0), Remove(kList), "OpenRandomFile(" + kImage + ",#2)"}));
  for (const auto& path : {kSetupExe, kCab, kList}) EXPECT_EQ(fake.File(path), nullptr) << path;
  EXPECT_EQ(fake.File(kImage)->bytes, fake.picture.bytes);  // replaced whole, not overwritten
  EXPECT_NE(fake.File(kFolder + "\\readme.txt"), nullptr);
  EXPECT_NE(fake.File(kFolder + "\\Setup.exe.bak"), nullptr);
}

TEST_F(StageCarrierTest, RemovesOnlyWhatFindEntryReports) {
  PutWorkFolder();
  fake.PutFile(kCab, {1});
  fake.PutFile(kSetupExe, {2});
  fake.files[Lower(kSetupExe)].hidden = true;
  fake.PutFile(kList, {3});
  fake.files[Lower(kList)].system = true;

  Stage();
  EXPECT_EQ(fake.CallsStartingWith("RemoveFile("), (Calls{Remove(kCab)}));
  EXPECT_EQ(fake.CallsStartingWith("FindEntry(").size(), 4u);
  EXPECT_NE(fake.File(kSetupExe), nullptr);
  EXPECT_NE(fake.File(kList), nullptr);
  EXPECT_TRUE(fake.HasCall("OpenRandomFile(" + kImage + ",#1)"));
}

// A file of the folder's name, hidden or not, or a link in the folder's place: moved aside
// as it is (the link itself, never what it leads to) before anything is deleted or
// written, and the run goes on in a private folder of its own.
TEST_F(StageCarrierTest, AFileOrALinkAtTheFoldersNameIsMovedAsideAsItIs) {
  const std::string aside = kFolder + std::string(FakePlatform::kAsideSuffix);
  for (const char* what : {"plain file", "hidden file", "link"}) {
    SCOPED_TRACE(what);
    FakePlatform local;
    local.picture.bytes = fake.picture.bytes;
    if (std::string(what) == "link") {
      local.folders.insert(kFolder);
      local.untrusted_folders.insert(kFolder);
      local.PutFile(kSetupExe, {1});
    } else {
      local.PutFile(kFolder, {'x'});
      local.files[Lower(kFolder)].hidden = std::string(what) == "hidden file";
    }
    StageCarrier(local, local.picture);
    EXPECT_EQ(
        local.ChangingCalls(),
        (Calls{"ChangeFolder(c:\\)", "HoldPrivateFolder(" + kFolder + ")", "MoveFolderAside(" + kFolder + ")",
               "ShowMessage(64,Halden Grid setup," + kFolder +
                   " could be changed by other users of this computer, so the setup does not use it.\r\r"
                   "It is kept as it was, now named " +
                   aside + ". The setup works in a new folder that other users cannot change.)",
               "MakeFolder(" + kFolder + ")", "SavePicture(" + kImage + ")", "OpenRandomFile(" + kImage + ",#1)"}));
    if (std::string(what) == "link") {
      EXPECT_NE(local.File(aside + "\\Setup.exe"), nullptr) << "no removal through the link";
    } else {
      EXPECT_EQ(local.File(aside)->bytes, std::vector<std::uint8_t>{'x'});
    }
    EXPECT_TRUE(local.held_folders.count(kFolder));
    EXPECT_EQ(local.notes.front(), "moved aside " + kFolder + ", which others could change: it is now " + aside);
  }
}

TEST_F(StageCarrierTest, FailingDeletionStopsStagingAndKeepsWhatWasDone) {
  PutWorkFolder();
  for (const auto& path : {kSetupExe, kCab, kList}) fake.PutFile(path, {1});
  fake.files[Lower(kCab)].read_only = true;
  EXPECT_THROW(Stage(), RunTimeError);
  EXPECT_EQ(fake.calls.back(), Remove(kCab));
  EXPECT_EQ(fake.File(kSetupExe), nullptr);
  EXPECT_NE(fake.File(kList), nullptr);
  EXPECT_EQ(fake.File(kImage)->bytes, fake.picture.bytes);  // saved first, and whole
}

TEST_F(StageCarrierTest, APictureNameInUseStopsStagingBeforeAnyRemoval) {
  PutWorkFolder();
  for (const auto& path : {kSetupExe, kCab, kList}) fake.PutFile(path, {1});
  fake.Fail(Op::kSavePicture, kImage, ErrorNumber::kPermissionDenied);
  EXPECT_THROW(Stage(), RunTimeError);
  EXPECT_TRUE(fake.CallsStartingWith("RemoveFile(").empty());
  for (const auto& path : {kSetupExe, kCab, kList}) EXPECT_NE(fake.File(path), nullptr) << path;
}

TEST_F(StageCarrierTest, RemoveSavedCarrierDeletesOnlyTheImageAndOnlyWhenPresent) {
  PutWorkFolder();
  fake.PutFile(kImage, {1});
  fake.PutFile(kSetupExe, {2});
  RemoveSavedCarrier(fake);
  EXPECT_EQ(fake.calls, (Calls{Find(kImage, 0), Remove(kImage)}));
  EXPECT_EQ(fake.File(kImage), nullptr);

  fake.ClearCalls();
  RemoveSavedCarrier(fake);
  EXPECT_EQ(fake.calls, (Calls{Find(kImage, 0)}));
  EXPECT_TRUE(fake.HasFolder(kFolder));
  EXPECT_NE(fake.File(kSetupExe), nullptr);
}

}  // namespace
}  // namespace hdgr::testing

namespace hdgr::testing {
namespace {

// A folder others could change may hold a DLL the installer would load: it is never used,
// its contents are kept under the name the user is told, and a private one replaces it.
TEST_F(StageCarrierTest, AFolderOthersCanChangeIsMovedAsideWholeAndANewOneMade) {
  PutWorkFolder();
  fake.shared_folders.insert(kFolder);
  fake.PutFile(kFolder + "\\version.dll", {'M', 'Z'});
  fake.PutFile(kSetupExe, {9});
  const std::string aside = kFolder + std::string(FakePlatform::kAsideSuffix);

  Stage();
  EXPECT_EQ(fake.ChangingCalls(),
            (Calls{"ChangeFolder(c:\\)", "HoldPrivateFolder(" + kFolder + ")", "MoveFolderAside(" + kFolder + ")",
                   "ShowMessage(64,Halden Grid setup," + kFolder +
                       " could be changed by other users of this computer, so the setup does not use it.\r\r"
                       "It is kept as it was, now named " +
                       aside + ". The setup works in a new folder that other users cannot change.)",
                   "MakeFolder(" + kFolder + ")", "SavePicture(" + kImage + ")", "OpenRandomFile(" + kImage + ",#1)"}));
  EXPECT_EQ(fake.File(aside + "\\version.dll")->bytes, (std::vector<std::uint8_t>{'M', 'Z'}));
  EXPECT_EQ(fake.File(aside + "\\Setup.exe")->bytes, std::vector<std::uint8_t>{9});
  EXPECT_EQ(fake.File(kFolder + "\\version.dll"), nullptr);
  EXPECT_EQ(fake.File(kSetupExe), nullptr);
  EXPECT_TRUE(fake.held_folders.count(kFolder));
  EXPECT_EQ(fake.notes, (Calls{"moved aside " + kFolder + ", which others could change: it is now " + aside,
                               "saved the carrier: " + kImage}));
}

TEST_F(StageCarrierTest, AFolderOthersCanChangeThatCannotBeMovedStopsTheRunBeforeAnyWrite) {
  PutWorkFolder();
  fake.shared_folders.insert(kFolder);
  fake.PutFile(kSetupExe, {9});
  fake.Fail(Op::kMoveFolderAside, kFolder, ErrorNumber::kPathFileAccessError);
  EXPECT_THROW(Stage(), RunTimeError);
  EXPECT_EQ(fake.calls.back(), "MoveFolderAside(" + kFolder + ")");
  EXPECT_EQ(fake.files.size(), 1u);
  EXPECT_NE(fake.File(kSetupExe), nullptr);
}

// A folder an elevated run made lets in SYSTEM and the administrators only: a run without
// their rights can neither use it nor move it aside, and is told to run as administrator.
TEST_F(StageCarrierTest, AFolderAnAdministratorsRunMadeStopsAStandardUsersRunAndStaysAsItIs) {
  PutWorkFolder();
  fake.administrators_folders.insert(kFolder);
  fake.PutFile(kSetupExe, {9});
  fake.elevated = false;
  try {
    Stage();
    ADD_FAILURE() << "no error";
  } catch (const RunTimeError& error) {
    EXPECT_EQ(error.Number(), ErrorNumber::kPermissionDenied);
  }
  EXPECT_EQ(fake.ChangingCalls(), (Calls{"ChangeFolder(c:\\)", "HoldPrivateFolder(" + kFolder + ")"}));
  EXPECT_EQ(fake.files.size(), 1u);
  // With the rights, the same folder is the run's own.
  fake.elevated = true;
  Stage();
  EXPECT_TRUE(fake.held_folders.count(kFolder));
  EXPECT_EQ(fake.File(kSetupExe), nullptr) << "an earlier run's setup file, removed";
}

// On a drive that keeps no access lists every folder reads back alike, whoever may change
// it: nothing there is private, nothing is moved aside or made, and nothing is written.
TEST_F(StageCarrierTest, ADriveWithoutAccessListsStopsTheRunBeforeAnythingIsMovedOrWritten) {
  for (const bool found : {true, false}) {
    SCOPED_TRACE(found ? "a folder there" : "no folder there");
    FakePlatform fresh;
    fresh.picture.bytes = fake.picture.bytes;
    fresh.drives_without_access_lists.insert("c:");
    if (found) {
      fresh.folders.insert(kFolder);
      fresh.PutFile(kSetupExe, {9});
    }
    try {
      StageCarrier(fresh, fresh.picture);
      ADD_FAILURE() << "no error";
    } catch (const RunTimeError& error) {
      EXPECT_EQ(error.Number(), ErrorNumber::kPathFileAccessError);
    }
    EXPECT_EQ(fresh.ChangingCalls().back(), (found ? "HoldPrivateFolder(" : "MakeFolder(") + kFolder + ")");
    EXPECT_EQ(fresh.CallsStartingWith("MoveFolderAside"), Calls{});
    EXPECT_EQ(fresh.files.size(), found ? 1u : 0u);
    EXPECT_EQ(fresh.HasFolder(kFolder), found);
  }
}

}  // namespace
}  // namespace hdgr::testing
