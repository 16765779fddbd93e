#include "flows/handlers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "package/extract_segment.h"
#include "package/segment_table.h"
#include "package/sha256.h"
#include "package/work_folder.h"

namespace hdgr::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A full-size carrier whose four segments hold known files, with their digests.
struct Package {
  std::array<Bytes, kSegments.size()> files;
  Bytes carrier;
  PayloadDigests digests;
};

Package BuildPackage() {
  Package package;
  std::mt19937 generator(7);
  package.carrier.resize(kCarrierLength);
  for (auto& byte : package.carrier) byte = static_cast<std::uint8_t>(generator());
  for (int segment = 0; segment < static_cast<int>(kSegments.size()); ++segment) {
    Bytes& file = package.files[segment];
    file.resize(static_cast<std::size_t>(kSegments[segment].length));
    for (auto& byte : file) byte = static_cast<std::uint8_t>(generator());
    // The file's first byte at the segment's highest 1-based position.
    const std::size_t high = static_cast<std::size_t>(SegmentStart(segment, kCarrierLength)) - 1;
    for (std::size_t j = 0; j < file.size(); ++j) package.carrier[high - j] = file[j];
    package.digests[segment] = Sha256Of(file);
  }
  return package;
}

const Package& SharedPackage() {
  static const Package package = BuildPackage();
  return package;
}

const std::string kWork(kWorkFolder);
const std::string kSetupExe = kWork + "\\Setup.exe";
const std::string kCab = kWork + "\\HaldenGrid.CAB";
const std::string kLst = kWork + "\\Setup.LST";
const std::string kSavedCarrier(kSavedCarrierPath);
const std::string kProductFolder = "c:\\Program Files\\Halden Grid";
const std::string kProgram = kProductFolder + "\\HaldenGrid.exe";
const std::string kProductWindow = "Halden Grid - Main Window";
const std::string kRunningMessage =
    "ShowMessage(16,Halden Grid,The utility is running?\r\r[Please close any and all instances of "
    "hdGR before attempting to run this setup])";
const Bytes kOldProgram(1'900'000, 0xA5);
// Writes a copy makes before it is a megabyte into a file.
constexpr int kBlocksInAMegabyte = 1'000'000 / kExtractBlockBytes;

std::string SetupFile(int segment) { return kWork + "\\" + std::string(kSegments[segment].file_name); }

class HandlersTest : public ::testing::Test {
 protected:
  HandlersTest() {
    digests = SharedPackage().digests;
    fake.picture.bytes = SharedPackage().carrier;
  }

  // The window as the version check leaves it for an upgrade of a product whose folder
  // is stored with blanks around it.
  void ArrangeUpgrade(bool program_present = true) {
    installed.folder = kProductFolder;
    fake.folders.insert("c:\\program files");
    fake.folders.insert(Lower(kProductFolder));
    if (program_present) fake.PutFile(kProgram, kOldProgram);
    fake.accept_button.SetCaption("Accept terms of upgrade");
    fake.calls.clear();
  }

  // Runs the accept action; true when it ended the program.
  bool Accept() {
    try {
      handlers.AcceptClicked();
      return false;
    } catch (const ProgramEnded&) {
      return true;
    }
  }

  std::ptrdiff_t First(const std::string& prefix) const {
    for (std::size_t i = 0; i < fake.calls.size(); ++i)
      if (fake.calls[i].rfind(prefix, 0) == 0) return static_cast<std::ptrdiff_t>(i);
    return -1;
  }
  std::ptrdiff_t Last(const std::string& prefix) const {
    for (std::size_t i = fake.calls.size(); i-- > 0;)
      if (fake.calls[i].rfind(prefix, 0) == 0) return static_cast<std::ptrdiff_t>(i);
    return -1;
  }
  bool Called(const std::string& prefix) const { return First(prefix) >= 0; }
  const Bytes* Content(const std::string& path) const {
    const FakeFile* file = fake.File(path);
    return file == nullptr ? nullptr : &file->bytes;
  }
  // No new file left under its fresh name anywhere on the drive.
  void ExpectNoTemporaryFile() const { ExpectNoTemporaryFileIn(fake); }
  static void ExpectNoTemporaryFileIn(const FakePlatform& platform) {
    for (const auto& [path, file] : platform.files) EXPECT_EQ(path.find(".new"), std::string::npos) << path;
  }

  FakePlatform fake;
  Platform platform = fake.platform();
  InstalledCopy installed;
  PayloadDigests digests;
  SetupHandlers handlers{platform, installed, digests};
};

// --- start-up ------------------------------------------------------------------------------

TEST_F(HandlersTest, LoadGuardsPlacesReadsThenChecksAndWritesNothing) {
  handlers.Load();

  EXPECT_EQ(fake.calls.front(), "FindWindowByTitle(" + kProductWindow + ")");
  const auto placed = First("SetWindowPos(" + std::to_string(FakePlatform::kSetupWindow) + ",-1,");
  const auto last_pump = Last("PumpEvents");
  const auto first_read = First("ReadSetting(");
  ASSERT_GE(placed, 0);
  EXPECT_LT(placed, last_pump);
  EXPECT_LT(last_pump, first_read);
  const std::vector<std::string> reads = fake.CallsStartingWith("ReadSetting(");
  EXPECT_EQ(reads, (std::vector<std::string>{"ReadSetting(app_path)", "ReadSetting(app_Major)",
                                             "ReadSetting(app_Minor)", "ReadSetting(app_Revision)"}));
  // The version check ran last: nothing stored means install mode.
  EXPECT_LT(Last("ReadSetting("), First("Label5.Caption="));
  EXPECT_EQ(fake.status_line.Caption(), "Ready to install!");
  EXPECT_TRUE(fake.accept_button.Enabled());

  for (const char* write : {"SaveSetting", "RemoveFile", "MakeFolder", "ChangeFolder", "OpenRandomFile",
                            "SavePicture", "ReplaceFile", "StartProgram", "ShowMessage"})
    EXPECT_FALSE(Called(write)) << write;
  EXPECT_TRUE(fake.settings.empty());
  EXPECT_TRUE(fake.files.empty());
}

TEST_F(HandlersTest, LoadWithTheProductRunningEndsBeforeReadingOrPlacing) {
  fake.windows[kProductWindow] = 0x31337;
  fake.settings["HaldenGrid\\applicationSettings\\app_Major"] = "x";
  EXPECT_THROW(handlers.Load(), ProgramEnded);
  EXPECT_EQ(fake.CallsStartingWith("ShowMessage"), std::vector<std::string>{kRunningMessage});
  EXPECT_FALSE(Called("ReadSetting"));
  EXPECT_FALSE(Called("SetWindowPos(" + std::to_string(FakePlatform::kSetupWindow)));
  EXPECT_FALSE(Called("PumpEvents"));
  EXPECT_EQ(fake.calls.back(), "EndProgram");
  EXPECT_EQ(fake.exit_code, kExitProductRunning);
}

// --- cancel and timed exit ----------------------------------------------------------------

// The exit code tells a management tool how the run ended: cancelled where there was
// something to do, nothing to do where the installed copy is current.
TEST_F(HandlersTest, CancelAndTimerEndTheProgramAndDoNothingElse) {
  EXPECT_THROW(handlers.CancelClicked(), ProgramEnded);
  EXPECT_EQ(fake.exit_code, kExitCancelled);
  EXPECT_THROW(handlers.TimerTicked(), ProgramEnded);
  EXPECT_EQ(fake.exit_code, kExitDone);
  EXPECT_EQ(fake.calls, (std::vector<std::string>{"EndProgram", "EndProgram"}));
  fake.accept_button.SetEnabled(false);  // as the version check leaves it for a current copy
  EXPECT_THROW(handlers.CancelClicked(), ProgramEnded);
  EXPECT_EQ(fake.exit_code, kExitNothingToDo);
}

// --- accept: common steps ----------------------------------------------------------------------

TEST_F(HandlersTest, AcceptWithTheProductRunningStopsAfterTheStatusAndTouchesNothing) {
  ArrangeUpgrade();
  fake.windows[kProductWindow] = 0x31337;
  EXPECT_TRUE(Accept());
  ASSERT_GE(fake.calls.size(), 3u);
  EXPECT_EQ(fake.calls[0], "Label5.Caption=Extracting...");
  EXPECT_EQ(fake.calls[1], "FindWindowByTitle(" + kProductWindow + ")");
  EXPECT_EQ(fake.calls[2], kRunningMessage);
  EXPECT_EQ(fake.calls.back(), "EndProgram");
  for (const char* touch : {"Label1.", "Command1.", "Command2.", "ChangeFolder", "FindEntry", "MakeFolder",
                            "SavePicture", "OpenRandomFile", "RemoveFile", "SaveSetting", "ReplaceFile"})
    EXPECT_FALSE(Called(touch)) << touch;
  EXPECT_EQ(*Content(kProgram), kOldProgram);
  EXPECT_FALSE(fake.HasFolder(kWork));
}

TEST_F(HandlersTest, TheWordUpgradeInAnyCaseChoosesTheUpgradeRun) {
  const struct {
    const char* caption;
    float max;
  } cases[] = {
      {"Accept terms of upgrade", 18'104.3203125f},
      {"ACCEPT TERMS OF UPGRADE", 18'104.3203125f},
      {"uPgRaDe", 18'104.3203125f},
      {"Accept terms of install", 28'277.73046875f},
      {"Accept terms of up grade", 28'277.73046875f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.caption);
    FakePlatform local;
    local.picture.bytes = {1, 2, 3};
    local.accept_button.SetCaption(c.caption);
    // Stop each run at its first file access, just after its choice shows in Max.
    local.Fail(Op::kFileLength, "setup_image", ErrorNumber::kPathFileAccessError);
    local.folders.insert("c:\\program files");
    local.folders.insert(Lower(kProductFolder));
    InstalledCopy found{kProductFolder};
    Platform local_platform = local.platform();
    SetupHandlers local_handlers(local_platform, found, digests);
    EXPECT_THROW(local_handlers.AcceptClicked(), RunTimeError);
    EXPECT_EQ(local.progress_bar.max, c.max);
  }
}

// --- accept: install run ---------------------------------------------------------------------

TEST_F(HandlersTest, InstallRunWritesTheFilesRecordsStartsThenArmsTheTimer) {
  EXPECT_FALSE(Accept());

  // Common steps, in order, before staging begins.
  const std::vector<std::string> opening(fake.calls.begin(), fake.calls.begin() + 6);
  EXPECT_EQ(opening, (std::vector<std::string>{"Label5.Caption=Extracting...",
                                               "FindWindowByTitle(" + kProductWindow + ")", "Label1.Visible=true",
                                               "Command1.Enabled=false", "Command2.Enabled=false",
                                               "ChangeFolder(c:\\)"}));
  EXPECT_EQ(fake.progress_bar.max, 28'277.73046875f);
  EXPECT_LT(First("ProgressBar1.Max="), First("Label1.Caption=Extracting setup files"));
  EXPECT_LT(First("Label1.Caption="), First("ProgressBar1.Value="));
  EXPECT_EQ(fake.progress_bar.values.size(), 28'277u);
  EXPECT_EQ(fake.progress_bar.values.back(), 28'277.0f);

  for (int segment = 0; segment < kInstallSegmentCount; ++segment) {
    SCOPED_TRACE(segment);
    ASSERT_NE(Content(SetupFile(segment)), nullptr);
    EXPECT_TRUE(*Content(SetupFile(segment)) == SharedPackage().files[segment]);
    // Written as a new file beside its place, and put there only after it was checked.
    EXPECT_LT(First("OpenNewFile(" + SetupFile(segment) + ","), First("NewFileLength(" + SetupFile(segment) + ")"));
    EXPECT_LT(First("NewFileLength(" + SetupFile(segment) + ")"), First("PutInPlace(" + SetupFile(segment) + ")"));
  }
  EXPECT_FALSE(Called("ReadHeldFile(" + kCab + ")")) << "the files are checked as they are written";
  ExpectNoTemporaryFile();
  EXPECT_EQ(Content(kSavedCarrier), nullptr);

  EXPECT_EQ(fake.Setting("app_Major"), "3");
  EXPECT_EQ(fake.Setting("app_Minor"), "4");
  EXPECT_EQ(fake.Setting("app_Revision"), "0");
  EXPECT_EQ(fake.Setting("app_path"), "<missing>");

  // The installer, the one file started, sealed and read back through its hold before it
  // takes its place. Settings after the copies, close before the carrier's removal, start
  // after it; the files let go of once the installer runs; timer last.
  EXPECT_LT(First("NewFileLength(" + kSetupExe + ")"), First("SealFile(" + kSetupExe + ")"));
  EXPECT_LT(First("SealFile(" + kSetupExe + ")"), First("ReadHeldFile(" + kSetupExe + ")"));
  EXPECT_LT(First("ReadHeldFile(" + kSetupExe + ")"), First("PutInPlace(" + kSetupExe + ")"));
  EXPECT_EQ(fake.CallsStartingWith("SealFile(").size(), 1u);
  EXPECT_LT(Last("PutInPlace("), First("SaveSetting("));
  EXPECT_LT(Last("SaveSetting("), Last("CloseAllFiles"));
  EXPECT_LT(Last("CloseAllFiles"), First("RemoveFile(" + kSavedCarrier + ")"));
  EXPECT_LT(First("RemoveFile(" + kSavedCarrier + ")"), First("StartProgram("));
  EXPECT_EQ(fake.CallsStartingWith("StartProgram("),
            std::vector<std::string>{"StartProgram(c:\\hdgr_temp_setup\\Setup.exe,1)"});
  const std::vector<std::string> ending(fake.calls.end() - 3, fake.calls.end());
  EXPECT_EQ(ending, (std::vector<std::string>{"StartProgram(c:\\hdgr_temp_setup\\Setup.exe,1)", "ReleaseFiles",
                                              "Timer1.Enabled=true"}));
  EXPECT_TRUE(fake.held_files.empty());

  EXPECT_EQ(fake.status_line.Caption(), "Extracting...");
  EXPECT_EQ(fake.progress_caption.Caption(), "Extracting setup files");
  EXPECT_FALSE(fake.accept_button.Enabled());
  EXPECT_FALSE(fake.cancel_button.Enabled());
  EXPECT_FALSE(Called("ShowMessage"));
}

// Leftovers that find entry does not report are replaced whole, never overwritten in part.
TEST_F(HandlersTest, InstallRunReplacesHiddenLeftoversWhole) {
  fake.folders.insert(Lower(kWorkFolder));
  fake.PutFile(kSetupExe, Bytes(400'000, 0xEE));
  fake.files[Lower(kSetupExe)].hidden = true;
  fake.PutFile(kLst, Bytes(20'000, 0xDD));
  fake.files[Lower(kLst)].system = true;
  fake.PutFile(kCab, Bytes(3'000'000, 0xCC));  // a plain one, which staging removes

  EXPECT_FALSE(Accept());
  for (int segment = 0; segment < kInstallSegmentCount; ++segment)
    EXPECT_TRUE(*Content(SetupFile(segment)) == SharedPackage().files[segment]) << segment;
  ExpectNoTemporaryFile();
  EXPECT_EQ(fake.calls.back(), "Timer1.Enabled=true");
}

TEST_F(HandlersTest, InstallerThatDoesNotStartIsReportedAndEndsTheProgram) {
  fake.task_number = 0;
  EXPECT_TRUE(Accept());
  const auto start = First("StartProgram(");
  ASSERT_GE(start, 0);
  EXPECT_EQ(std::vector<std::string>(fake.calls.begin() + start + 1, fake.calls.end()),
            (std::vector<std::string>{"ShowMessage(16,hdGR Setup Extraction process,Could not launch the setup.)",
                                      "EndProgram"}));
  EXPECT_FALSE(fake.exit_timer.enabled);
  EXPECT_EQ(fake.exit_code, kExitFailed) << "a failure is not reported as success";
  EXPECT_TRUE(*Content(kSetupExe) == SharedPackage().files[0]);
}

// A failure leaves files already in place, the leftover it would have replaced, and no
// temporary file; settings are not written and nothing is started. The message names the
// file the user knows.
TEST_F(HandlersTest, InstallRunFailuresStartNothingAndLeaveNoTemporaryFile) {
  const struct {
    const char* name;
    std::optional<Op> operation = std::nullopt;  // the failing service, or none
    const char* target = "";
    int skip = 0;
    int corrupt_digest = -1;  // the segment whose digest is wrong; -1: none
    bool tamper_before_seal = false;
    int files_in_place = 0;
    const char* named = "";
  } cases[] = {
      {.name = "write fails inside the cabinet", .operation = Op::kWriteRecords, .target = "haldengrid.cab",
       .skip = kBlocksInAMegabyte, .files_in_place = 1, .named = "HaldenGrid.CAB"},
      {.name = "closing the cabinet fails", .operation = Op::kCloseFile, .target = "haldengrid.cab", .files_in_place = 1,
       .named = "HaldenGrid.CAB"},
      {.name = "putting Setup.exe in place fails", .operation = Op::kPutInPlace, .target = "setup.exe", .named = "Setup.exe"},
      {.name = "Setup.exe does not match its digest", .corrupt_digest = 0, .named = "Setup.exe"},
      {.name = "the list does not match its digest", .corrupt_digest = 2, .files_in_place = 2, .named = "Setup.LST"},
      {.name = "Setup.exe changed before it was sealed", .tamper_before_seal = true, .named = "Setup.exe"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform local;
    local.picture.bytes = SharedPackage().carrier;
    local.folders.insert(Lower(kWorkFolder));
    if (c.files_in_place == 0) {
      local.PutFile(kSetupExe, Bytes(5, 0xEE));
      local.files[Lower(kSetupExe)].hidden = true;
    }
    if (c.operation) local.Fail(*c.operation, c.target, ErrorNumber::kDiskFull, c.skip);
    if (c.tamper_before_seal) {
      local.on_call = [&local](const std::string& call) {
        if (call == "SealFile(" + kSetupExe + ")") const_cast<FakeFile*>(local.WrittenFile(kSetupExe))->bytes[1000] ^= 1;
      };
    }
    PayloadDigests local_digests = digests;
    if (c.corrupt_digest >= 0) local_digests[c.corrupt_digest][0] ^= 1;
    Platform local_platform = local.platform();
    SetupHandlers local_handlers(local_platform, installed, local_digests);

    try {
      local_handlers.AcceptClicked();
      ADD_FAILURE() << "no failure";
    } catch (const RunTimeError& error) {
      EXPECT_NE(error.Detail().find(std::string(kWorkFolder) + "\\" + c.named), std::string::npos) << error.Detail();
      EXPECT_EQ(error.Detail().find(".new"), std::string::npos) << error.Detail();
    }
    for (int segment = 0; segment < kInstallSegmentCount; ++segment) {
      const FakeFile* file = local.File(SetupFile(segment));
      if (segment < c.files_in_place) {
        EXPECT_TRUE(file != nullptr && file->bytes == SharedPackage().files[segment]) << segment;
      } else if (segment == 0 && c.files_in_place == 0) {
        EXPECT_TRUE(file != nullptr && file->bytes == Bytes(5, 0xEE));
      } else {
        EXPECT_EQ(file, nullptr) << segment;
      }
    }
    if (c.operation == Op::kCloseFile) {
      EXPECT_FALSE(local.HasCall("NewFileLength(" + kCab + ")")) << "a file whose close failed is never checked";
    }
    ExpectNoTemporaryFileIn(local);
    EXPECT_TRUE(local.CallsStartingWith("SaveSetting").empty());
    EXPECT_TRUE(local.CallsStartingWith("StartProgram").empty());
    EXPECT_FALSE(local.exit_timer.enabled);
  }
}

// --- accept: upgrade run -----------------------------------------------------------------------

// A hidden, system, longer old program is replaced whole as well.
TEST_F(HandlersTest, UpgradeRunReplacesTheProgramWholeThenReportsAndEnds) {
  ArrangeUpgrade();
  fake.files[Lower(kProgram)].hidden = true;
  fake.files[Lower(kProgram)].system = true;

  EXPECT_TRUE(Accept());
  ASSERT_NE(Content(kProgram), nullptr);
  EXPECT_TRUE(*Content(kProgram) == SharedPackage().files[kUpgradeSegment]);
  ExpectNoTemporaryFile();
  EXPECT_EQ(Content(kSavedCarrier), nullptr);
  EXPECT_TRUE(fake.HasFolder(kWork));

  EXPECT_EQ(fake.progress_bar.max, 18'104.3203125f);
  EXPECT_LT(First("ProgressBar1.Max="), First("ProgressBar1.Value="));
  EXPECT_EQ(fake.progress_bar.values.back(), 18'104.3f);
  EXPECT_FALSE(Called("Label1.Caption="));

  const auto replaced = First("PutInPlace(" + kProgram + ")");
  ASSERT_GE(replaced, 0);
  EXPECT_LT(First("OpenNewFile(" + kProgram + ","), First("ProgressBar1.Value="));
  EXPECT_LT(Last("ProgressBar1.Value="), Last("CloseAllFiles"));
  EXPECT_LT(Last("CloseAllFiles"), Last("NewFileLength(" + kProgram + ")"));
  EXPECT_LT(Last("NewFileLength(" + kProgram + ")"), replaced);
  EXPECT_LT(replaced, First("RemoveFile(" + kSavedCarrier + ")"));
  const std::vector<std::string> ending(fake.calls.end() - 3, fake.calls.end());
  EXPECT_EQ(ending, (std::vector<std::string>{"ReleaseFiles", "ShowMessage(64,Halden Grid,Upgrade complete)",
                                              "EndProgram"}));
  EXPECT_EQ(fake.CallsStartingWith("ShowMessage").size(), 1u);

  EXPECT_FALSE(Called("SaveSetting"));
  EXPECT_FALSE(Called("StartProgram"));
  EXPECT_FALSE(Called("Timer1."));
  EXPECT_FALSE(Called("RemoveFile(" + kProgram + ")"));
}

// Staging runs before the choice of run: an upgrade also clears an earlier install run's
// setup files out of the work folder, and leaves everything else there alone.
TEST_F(HandlersTest, UpgradeRunRemovesAnEarlierInstallRunsSetupFiles) {
  ArrangeUpgrade();
  fake.folders.insert(Lower(kWorkFolder));
  for (int segment = 0; segment < kInstallSegmentCount; ++segment) fake.PutFile(SetupFile(segment), {1, 2, 3});
  fake.PutFile(kWork + "\\notes.txt", {4});
  EXPECT_TRUE(Accept());
  for (int segment = 0; segment < kInstallSegmentCount; ++segment)
    EXPECT_EQ(fake.File(SetupFile(segment)), nullptr) << segment;
  EXPECT_NE(fake.File(kWork + "\\notes.txt"), nullptr);
  EXPECT_TRUE(*Content(kProgram) == SharedPackage().files[kUpgradeSegment]);
}

// The folder the version check found the program in, exactly as stored, is the one
// written, and held first: a stored "C:\\hg_prod " writes beside the old program in
// "C:\\hg_prod \\", never into "C:\\hg_prod"; a link in its place is refused.
TEST_F(HandlersTest, UpgradeRunWritesOnlyIntoTheFolderTheCheckFound) {
  for (const bool link : {false, true}) {
    SCOPED_TRACE(link ? "a link in the folder's place" : "a stored trailing blank");
    FakePlatform local;
    local.picture.bytes = SharedPackage().carrier;
    local.folders.insert("c:\\program files");
    local.folders.insert(Lower(kProductFolder));
    local.folders.insert(Lower(kProductFolder + " "));
    if (link) local.untrusted_folders.insert(Lower(kProductFolder + " "));
    local.PutFile(kProductFolder + " \\HaldenGrid.exe", kOldProgram);
    local.accept_button.SetCaption("Accept terms of upgrade");
    InstalledCopy stored{kProductFolder + " "};
    Platform local_platform = local.platform();
    SetupHandlers local_handlers(local_platform, stored, digests);
    try {
      local_handlers.AcceptClicked();
    } catch (const ProgramEnded&) {
    } catch (const RunTimeError& error) {
      EXPECT_TRUE(link) << error.what();
      EXPECT_EQ(error.Number(), ErrorNumber::kPathFileAccessError);
    }
    const std::vector<std::string> held = local.CallsStartingWith("HoldProductFolder(");
    EXPECT_EQ(held, std::vector<std::string>{"HoldProductFolder(" + kProductFolder + " \\HaldenGrid.exe)"});
    EXPECT_EQ(local.CallsStartingWith("OpenNewFile(").empty(), link);
    const FakeFile* written = local.File(kProductFolder + " \\HaldenGrid.exe");
    ASSERT_NE(written, nullptr);
    EXPECT_EQ(written->bytes == SharedPackage().files[kUpgradeSegment], !link);
    EXPECT_EQ(local.File(kProgram), nullptr) << "nothing in the folder without the blank";
    ExpectNoTemporaryFileIn(local);
  }
}

// A run killed before its rename leaves its whole new file beside the product: the next
// run removes that, and only that.
TEST_F(HandlersTest, UpgradeRunRemovesWhatAStoppedRunLeftBesideTheProgramAndNothingElse) {
  ArrangeUpgrade();
  fake.PutFile(kProgram + ".0123456789abcdef.new", {1, 2, 3});
  fake.PutFile(kProgram + ".notes.new", {4});
  EXPECT_TRUE(Accept());
  EXPECT_EQ(Content(kProgram + ".0123456789abcdef.new"), nullptr);
  EXPECT_EQ(*Content(kProgram + ".notes.new"), Bytes{4});
  EXPECT_LT(First("RemoveLeftovers(" + kProgram + ")"), First("OpenNewFile(" + kProgram + ","));
}

TEST_F(HandlersTest, UpgradeRunCreatesAMissingProgram) {
  ArrangeUpgrade(/*program_present=*/false);
  EXPECT_TRUE(Accept());
  ASSERT_NE(Content(kProgram), nullptr);
  EXPECT_TRUE(*Content(kProgram) == SharedPackage().files[kUpgradeSegment]);
  ExpectNoTemporaryFile();
  EXPECT_EQ(fake.calls[fake.calls.size() - 2], "ShowMessage(64,Halden Grid,Upgrade complete)");
}

// Whatever fails, the old program stays as it was, no temporary file is left and nothing
// is reported as complete.
TEST_F(HandlersTest, UpgradeRunFailuresKeepTheOldProgram) {
  const struct {
    const char* name;
    std::optional<Op> operation = std::nullopt;  // the failing service, or none
    const char* target = "";
    int skip = 0;
    bool corrupt_digest = false;
    std::optional<ErrorNumber> number = std::nullopt;
  } cases[] = {
      {.name = "write fails mid-copy", .operation = Op::kWriteRecords, .target = "haldengrid.exe",
       .skip = kBlocksInAMegabyte, .number = ErrorNumber::kDiskFull},
      {.name = "close fails", .operation = Op::kCloseAllFiles, .target = "haldengrid.exe", .number = ErrorNumber::kDiskFull},
      {.name = "rename fails", .operation = Op::kPutInPlace, .target = "haldengrid.exe", .number = ErrorNumber::kDiskFull},
      {.name = "digest mismatch", .corrupt_digest = true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform local;
    local.picture.bytes = SharedPackage().carrier;
    local.folders.insert("c:\\program files");
    local.folders.insert(Lower(kProductFolder));
    local.PutFile(kProgram, kOldProgram);
    local.accept_button.SetCaption("Accept terms of upgrade");
    if (c.operation) local.Fail(*c.operation, c.target, ErrorNumber::kDiskFull, c.skip);
    PayloadDigests local_digests = digests;
    if (c.corrupt_digest) local_digests[kUpgradeSegment][31] ^= 0x80;
    InstalledCopy local_installed{kProductFolder};
    Platform local_platform = local.platform();
    SetupHandlers local_handlers(local_platform, local_installed, local_digests);

    try {
      local_handlers.AcceptClicked();
      ADD_FAILURE() << "no failure";
    } catch (const RunTimeError& error) {
      if (c.number) {
        EXPECT_EQ(error.Number(), *c.number);
      }
      EXPECT_NE(error.Detail().find(kProgram), std::string::npos) << error.Detail();
      EXPECT_EQ(error.Detail().find(".new"), std::string::npos) << error.Detail();
    }
    const FakeFile* program = local.File(kProgram);
    ASSERT_NE(program, nullptr);
    EXPECT_TRUE(program->bytes == kOldProgram);
    ExpectNoTemporaryFileIn(local);
    if (c.operation == Op::kCloseAllFiles) {
      EXPECT_FALSE(local.HasCall("NewFileLength(" + kProgram + ")"));
    }
    EXPECT_TRUE(local.CallsStartingWith("ShowMessage").empty());
    EXPECT_TRUE(local.CallsStartingWith("StartProgram").empty());
  }
}

}  // namespace
}  // namespace hdgr::testing
