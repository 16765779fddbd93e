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
#include "flows/upgrade_run.h"

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

// A platform of its own with handlers over it, and how their actions end: the fixture's
// run, a row of a table, or a run beside the fixture's.
struct OwnRun {
  explicit OwnRun(const PayloadDigests& run_digests, InstallerRights rights = InstallerRights::kAsInvoker)
      : digests(run_digests), handlers(platform, installed, digests, rights) {
    fake.picture.bytes = SharedPackage().carrier;
  }
  // Start-up as the program runs it, then a clean record of calls for what follows.
  void StartUp() {
    handlers.Load();
    fake.ClearCalls();
  }
  // How one of the handlers' actions ended, as the event's boundary meets it.
  struct Ending {
    bool program_ended = false;
    std::optional<RunTimeError> error;  // the run-time error it left with
  };
  template <typename Action>
  Ending Run(const Action& action) {
    try {
      action(handlers);
    } catch (const ProgramEnded&) {
      return {.program_ended = true, .error = std::nullopt};
    } catch (const RunTimeError& error) {
      return {.program_ended = false, .error = error};
    }
    return {};
  }
  Ending Accept() {
    return Run([](SetupHandlers& setup) { setup.AcceptClicked(); });
  }

  FakePlatform fake;
  Platform platform = fake.platform();
  InstalledCopy installed;
  PayloadDigests digests;
  SetupHandlers handlers;
};

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

  // An older product installed in kProductFolder, found by start-up: the handlers hold
  // the upgrade mode. Without the program file the folder stays, as an upgrade whose
  // program went missing between start-up and accept finds it.
  void ArrangeUpgrade(bool program_present = true) {
    StoreOlderCopy(fake, kProductFolder);
    fake.PutFile(kProgram, kOldProgram);
    StartUp();
    if (!program_present) fake.files.erase(Lower(kProgram));
  }
  // An installed copy 3.3.9 stored with `folder`, which exists.
  static void StoreOlderCopy(FakePlatform& platform, const std::string& folder) {
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"app_path", folder}, {"app_Major", "3"},
                                     {"app_Minor", "3"}, {"app_Revision", "9"}})
      platform.settings["HaldenGrid\\applicationSettings\\" + key] = value;
    platform.folders.insert("c:\\program files");
    platform.folders.insert(Lower(folder));
  }
  void StartUp() { own.StartUp(); }

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

  OwnRun own{SharedPackage().digests};
  FakePlatform& fake = own.fake;
  const PayloadDigests& digests = own.digests;
  SetupHandlers& handlers = own.handlers;
};

// --- start-up ------------------------------------------------------------------------------

TEST_F(HandlersTest, LoadGuardsPlacesReadsThenChecksAndWritesNothing) {
  handlers.Load();

  // Who runs it first (a system account has no user's settings), then the guard.
  EXPECT_EQ(fake.calls.at(0), "RunsAsServiceAccount");
  EXPECT_EQ(fake.calls.at(1), "FindWindowByTitle(" + kProductWindow + ")");
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
// something to do, nothing to do where the installed copy is current. The timer ends the
// program once the installer has started.
TEST_F(HandlersTest, CancelAndTimerEndTheProgramAndDoNothingElse) {
  StartUp();
  EXPECT_THROW(handlers.CancelClicked(), ProgramEnded);
  EXPECT_EQ(fake.exit_code, kExitCancelled);
  EXPECT_EQ(fake.ChangingCalls(), std::vector<std::string>{"EndProgram"});

  OwnRun current(digests);
  StoreOlderCopy(current.fake, kProductFolder);
  current.fake.settings["HaldenGrid\\applicationSettings\\app_Minor"] = "4";
  current.fake.settings["HaldenGrid\\applicationSettings\\app_Revision"] = "0";
  current.fake.PutFile(kProgram, kOldProgram);
  current.StartUp();
  EXPECT_THROW(current.handlers.CancelClicked(), ProgramEnded);
  EXPECT_EQ(current.fake.exit_code, kExitNothingToDo);

  OwnRun installing(digests);
  installing.StartUp();
  installing.handlers.AcceptClicked();
  EXPECT_THROW(installing.handlers.TimerTicked(), ProgramEnded);
  EXPECT_EQ(installing.fake.exit_code, kExitDone);
}

// Any program on the desktop can post the window a click on a disabled button or a tick
// of a timer that is off, at any moment: the handlers act only on what their own phase
// allows, and note the first of each kind they ignore.
TEST_F(HandlersTest, EventsTheRunsPhaseDoesNotAllowAreIgnored) {
  enum class When { kBeforeStartUp, kCurrentCopy, kWaitingToInstall, kMidCopy, kInstallerStarted };
  enum Event { kAccept, kCancel, kTimer };
  const struct {
    const char* name;
    When when;
    std::array<bool, 3> acts;  // accept, cancel, timer
  } cases[] = {
      {"before start-up has returned", When::kBeforeStartUp, {false, false, false}},
      {"a current copy: only cancel", When::kCurrentCopy, {false, true, false}},
      {"waiting to install: no tick", When::kWaitingToInstall, {true, true, false}},
      {"mid-copy: nothing", When::kMidCopy, {false, false, false}},
      {"the installer started: only the tick", When::kInstallerStarted, {false, false, true}},
  };
  for (const auto& c : cases) {
    for (const Event event : {kAccept, kCancel, kTimer}) {
      SCOPED_TRACE(std::string(c.name) + ", event " + std::to_string(event));
      OwnRun run(digests);
      if (c.when == When::kCurrentCopy) {
        StoreOlderCopy(run.fake, kProductFolder);
        run.fake.settings["HaldenGrid\\applicationSettings\\app_Major"] = "9";
        run.fake.PutFile(kProgram, kOldProgram);
      }
      if (c.when != When::kBeforeStartUp) run.StartUp();
      if (c.when == When::kInstallerStarted) run.handlers.AcceptClicked();

      // True when the event ended the program or began a run.
      const auto send = [&] {
        const std::size_t runs_before = run.fake.CallsStartingWith("Label5.Caption=Extracting").size();
        const OwnRun::Ending ending = run.Run([event](SetupHandlers& setup) {
          if (event == kAccept) setup.AcceptClicked();
          if (event == kCancel) setup.CancelClicked();
          if (event == kTimer) setup.TimerTicked();
        });
        EXPECT_FALSE(ending.error) << ending.error->MessageText();
        if (ending.program_ended) return true;
        return run.fake.CallsStartingWith("Label5.Caption=Extracting").size() != runs_before;
      };
      if (c.when == When::kMidCopy) {
        // Posted during the copy, handled at one of its pumps; the run goes on to its end.
        int pumps = 0;
        run.fake.on_call = [&](const std::string& call) {
          if (call == "PumpEvents" && ++pumps == 3) {
            EXPECT_FALSE(send());
          }
        };
        run.handlers.AcceptClicked();
        EXPECT_GE(pumps, 3);
        EXPECT_TRUE(run.fake.exit_timer.enabled);
        EXPECT_EQ(run.fake.CallsStartingWith("StartProgram(").size(), 1u);
        EXPECT_EQ(run.fake.Setting("app_Major"), "3");
      } else {
        EXPECT_EQ(send(), c.acts[event]);
      }
      if (!c.acts[event]) {
        EXPECT_EQ(std::count_if(run.fake.notes.begin(), run.fake.notes.end(),
                                [](const std::string& note) { return note.rfind("ignored ", 0) == 0; }),
                  1);
      }
    }
  }
}

// The session is kept open only while the run changes files, and its end is noted with
// what the run leaves.
TEST_F(HandlersTest, TheSessionStaysOpenWhileTheRunChangesFilesAndItsEndIsNoted) {
  const auto last_note = [this] { return fake.notes.empty() ? std::string() : fake.notes.back(); };
  StartUp();
  handlers.SessionEnds(SessionEnd::kEnding);
  EXPECT_EQ(last_note(), "the session ends: the setup changed nothing");
  fake.picture.bytes = SharedPackage().carrier;
  bool open_mid_copy = false;
  fake.on_call = [&](const std::string& call) {
    if (call != "PumpEvents" || open_mid_copy) return;
    open_mid_copy = fake.session_kept_open;
    handlers.SessionEnds(SessionEnd::kRefused);
    handlers.SessionEnds(SessionEnd::kEnding);
  };
  handlers.AcceptClicked();
  EXPECT_TRUE(open_mid_copy);
  EXPECT_FALSE(fake.session_kept_open) << "let go once the installer has started";
  EXPECT_NE(std::find(fake.notes.begin(), fake.notes.end(),
                      "asked to end the session during the run: refused until the run is done"),
            fake.notes.end());
  EXPECT_NE(std::find_if(fake.notes.begin(), fake.notes.end(),
                         [](const std::string& note) { return note.rfind("the session ends during the run", 0) == 0; }),
            fake.notes.end());
  handlers.SessionEnds(SessionEnd::kEnding);
  EXPECT_EQ(last_note(), "the session ends: the installer was started");
}

// A second accept, queued behind the first or posted during it, runs no second run.
TEST_F(HandlersTest, ASecondAcceptRunsNothing) {
  ArrangeUpgrade();
  fake.on_call = [this](const std::string& call) {
    if (call == "ShowMessage(64,Halden Grid,Upgrade complete)") handlers.AcceptClicked();
  };
  EXPECT_TRUE(Accept());
  EXPECT_EQ(fake.CallsStartingWith("OpenNewFile(").size(), 1u);
  EXPECT_EQ(fake.CallsStartingWith("ShowMessage(").size(), 1u);
  EXPECT_TRUE(*Content(kProgram) == SharedPackage().files[kUpgradeSegment]);
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

// The run is chosen by the caption the version check set, as the program keeps it.
TEST_F(HandlersTest, TheWordUpgradeInAnyCaseChoosesTheUpgradeRun) {
  const struct {
    const char* caption;
    bool upgrade_mode;
    float max;
  } cases[] = {
      {"Accept terms of upgrade", true, 18'104.3203125f},
      {"ACCEPT TERMS OF UPGRADE", true, 18'104.3203125f},
      {"uPgRaDe", true, 18'104.3203125f},
      {"Accept terms of install", false, 28'277.73046875f},
      {"Accept terms of up grade", false, 28'277.73046875f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.caption);
    OwnRun run(digests);
    run.fake.picture.bytes = {1, 2, 3};
    if (c.upgrade_mode) {
      StoreOlderCopy(run.fake, kProductFolder);
      run.fake.PutFile(kProgram, kOldProgram);
    }
    run.StartUp();
    run.fake.accept_button.SetCaption(c.caption);
    // Stop each run at its first file access, just after its choice shows in Max.
    run.fake.Fail(Op::kFileLength, "setup_image", ErrorNumber::kPathFileAccessError);
    EXPECT_THROW(run.handlers.AcceptClicked(), RunTimeError);
    EXPECT_EQ(run.fake.progress_bar.max, c.max);
  }
}

// --- accept: install run ---------------------------------------------------------------------

TEST_F(HandlersTest, InstallRunWritesTheFilesRecordsStartsThenArmsTheTimer) {
  StartUp();
  EXPECT_FALSE(Accept());

  // Common steps, in order, before staging begins; the session stays open from there.
  const std::vector<std::string> changes = fake.ChangingCalls();
  const std::vector<std::string> opening(changes.begin(), changes.begin() + 6);
  EXPECT_EQ(opening, (std::vector<std::string>{"Label5.Caption=Extracting...", "Label1.Visible=true",
                                               "Command1.Enabled=false", "Command2.Enabled=false",
                                               "KeepSessionOpen(Halden Grid setup is writing the program's files.)",
                                               "ChangeFolder(c:\\)"}));
  EXPECT_EQ(fake.calls.at(1), "FindWindowByTitle(" + kProductWindow + ")");
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
  EXPECT_FALSE(Called("RunElevatedCopy")) << "an elevated run does everything itself";
  ExpectNoTemporaryFile();
  EXPECT_EQ(Content(kSavedCarrier), nullptr);

  EXPECT_EQ(fake.Setting("app_Major"), "3");
  EXPECT_EQ(fake.Setting("app_Minor"), "4");
  EXPECT_EQ(fake.Setting("app_Revision"), "0");
  EXPECT_EQ(fake.Setting("app_path"), "<missing>");

  // The installer, the one file started, sealed and read back through its hold before it
  // takes its place. Settings after the copies, close before the carrier's removal, then
  // the other files held read-only for the installer's own reads, start; timer last. Those
  // holds stay until the program ends.
  EXPECT_LT(First("NewFileLength(" + kSetupExe + ")"), First("SealFile(" + kSetupExe + ")"));
  EXPECT_LT(First("SealFile(" + kSetupExe + ")"), First("ReadHeldFile(" + kSetupExe + ")"));
  EXPECT_LT(First("ReadHeldFile(" + kSetupExe + ")"), First("PutInPlace(" + kSetupExe + ")"));
  EXPECT_EQ(fake.CallsStartingWith("SealFile(" + kSetupExe).size(), 1u) << "before its rename; its start lets it go";
  for (const std::string& data : {kCab, kLst}) {
    EXPECT_EQ(fake.CallsStartingWith("SealFile(" + data).size(), 1u) << data;
    EXPECT_LT(First("PutInPlace(" + data + ")"), First("SealFile(" + data + ")")) << data;
    EXPECT_LT(First("SealFile(" + data + ")"), First("StartProgram(")) << data;
  }
  EXPECT_LT(Last("PutInPlace("), First("SaveSetting("));
  EXPECT_LT(Last("SaveSetting("), Last("CloseAllFiles"));
  EXPECT_LT(Last("CloseAllFiles"), First("RemoveFile(" + kSavedCarrier + ")"));
  EXPECT_LT(First("RemoveFile(" + kSavedCarrier + ")"), First("StartProgram("));
  EXPECT_EQ(fake.CallsStartingWith("StartProgram("),
            std::vector<std::string>{"StartProgram(c:\\hdgr_temp_setup\\Setup.exe,1)"});
  const std::vector<std::string> ending(changes.end() - 3, changes.end());
  EXPECT_EQ(ending, (std::vector<std::string>{"StartProgram(c:\\hdgr_temp_setup\\Setup.exe,1)",
                                              "Timer1.Enabled=true", "LetSessionEnd"}));
  EXPECT_FALSE(Called("ReleaseFiles"));

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

  StartUp();
  EXPECT_FALSE(Accept());
  for (int segment = 0; segment < kInstallSegmentCount; ++segment)
    EXPECT_TRUE(*Content(SetupFile(segment)) == SharedPackage().files[segment]) << segment;
  ExpectNoTemporaryFile();
  EXPECT_TRUE(fake.exit_timer.enabled);
}

TEST_F(HandlersTest, InstallerThatDoesNotStartIsReportedAndEndsTheProgram) {
  fake.task_number = 0;
  StartUp();
  EXPECT_TRUE(Accept());
  const std::vector<std::string> changes = fake.ChangingCalls();
  const auto start = std::find(changes.begin(), changes.end(), "StartProgram(c:\\hdgr_temp_setup\\Setup.exe,1)");
  ASSERT_NE(start, changes.end());
  EXPECT_EQ(std::vector<std::string>(start + 1, changes.end()),
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
    PayloadDigests local_digests = digests;
    if (c.corrupt_digest >= 0) local_digests[c.corrupt_digest][0] ^= 1;
    OwnRun run(local_digests);
    FakePlatform& local = run.fake;
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
    run.StartUp();

    if (const std::optional<RunTimeError> error = run.Accept().error; !error) {
      ADD_FAILURE() << "no failure";
    } else {
      EXPECT_NE(error->Detail().find(std::string(kWorkFolder) + "\\" + c.named), std::string::npos) << error->Detail();
      EXPECT_EQ(error->Detail().find(".new"), std::string::npos) << error->Detail();
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

// --- rights: a standard user's run and the administrator's copy ----------------------------

// A run without the administrators' rights never starts an installer that asks for them
// through the shell (it would run elevated from a folder the user can change): it hands
// the whole run to an elevated copy of itself, and records the version in its own user's
// settings only once the copy reports success.
TEST_F(HandlersTest, ARunWithoutTheRightsItNeedsHandsTheRunToAnAdministratorsCopy) {
  const std::optional<int> kRefused = std::nullopt;
  const struct {
    const char* name;
    bool elevated = false;
    InstallerRights rights = InstallerRights::kAsInvoker;
    bool upgrade = false;
    bool may_replace = true;
    std::uint32_t task = 4242;  // what this run's own start of the installer gives
    std::optional<int> copy_exit = kExitDone;
    const char* copy = nullptr;  // the copy's arguments; nullptr: no copy
    bool writes = true;          // this run writes files itself
    bool records = true;
    int exit_code = -1;  // -1: the timed exit is armed (install) or the program ended with 0 (upgrade)
    bool launch_failed = false;
  } rows[] = {
      {.name = "elevated: everything itself", .elevated = true, .rights = InstallerRights::kRequireAdministrator},
      {.name = "a standard user, an installer that runs as invoked"},
      {.name = "a standard user's highest rights are the user's", .rights = InstallerRights::kHighestAvailable},
      {.name = "a standard user, an installer for administrators", .rights = InstallerRights::kRequireAdministrator,
       .copy = "/elevated-install", .writes = false},
      {.name = "consent refused", .rights = InstallerRights::kRequireAdministrator, .copy_exit = kRefused,
       .copy = "/elevated-install", .writes = false, .records = false, .exit_code = kExitFailed,
       .launch_failed = true},
      {.name = "the copy failed and said so itself", .rights = InstallerRights::kRequireAdministrator,
       .copy_exit = kExitFailed, .copy = "/elevated-install", .writes = false, .records = false,
       .exit_code = kExitFailed},
      {.name = "the copy found the product running", .rights = InstallerRights::kRequireAdministrator,
       .copy_exit = kExitProductRunning, .copy = "/elevated-install", .writes = false, .records = false,
       .exit_code = kExitProductRunning},
      {.name = "an installer that asks after all: this run's files are never started", .task = 0,
       .copy = "/elevated-install"},
      {.name = "an upgrade this user may write", .upgrade = true, .records = false, .exit_code = kExitDone},
      {.name = "an upgrade into an administrators' folder", .upgrade = true, .may_replace = false,
       .copy = "/elevated-upgrade c:\\Program Files\\Halden Grid", .writes = false, .records = false,
       .exit_code = kExitDone},
      {.name = "an upgrade whose consent was refused", .upgrade = true, .may_replace = false, .copy_exit = kRefused,
       .copy = "/elevated-upgrade c:\\Program Files\\Halden Grid", .writes = false, .records = false,
       .exit_code = kExitFailed, .launch_failed = true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    OwnRun run(digests, row.rights);
    if (row.upgrade) {
      StoreOlderCopy(run.fake, kProductFolder);
      run.fake.PutFile(kProgram, kOldProgram);
    }
    run.fake.elevated = row.elevated;
    run.fake.task_number = row.task;
    run.fake.elevated_copy_exit = row.copy_exit;
    if (!row.may_replace) run.fake.not_replaceable.insert(Lower(kProgram));
    run.StartUp();
    const OwnRun::Ending ending = run.Accept();
    EXPECT_FALSE(ending.error) << ending.error->MessageText();
    const std::vector<std::string> copies = run.fake.CallsStartingWith("RunElevatedCopy(");
    EXPECT_EQ(copies, row.copy ? std::vector<std::string>{"RunElevatedCopy(" + std::string(row.copy) + ")"}
                               : std::vector<std::string>{});
    EXPECT_EQ(!run.fake.CallsStartingWith("OpenNewFile(").empty(), row.writes);
    EXPECT_EQ(run.fake.Setting("app_Major"), row.records ? "3" : row.upgrade ? "3" : "<missing>");
    if (row.upgrade && row.exit_code == kExitDone) {
      EXPECT_TRUE(run.fake.HasCall("ShowMessage(64,Halden Grid,Upgrade complete)"));
    }
    if (row.records && row.copy && row.task != 0) {
      // Only once the copy reports the installer started.
      const auto saved = std::find_if(run.fake.calls.begin(), run.fake.calls.end(),
                                      [](const std::string& call) { return call.rfind("SaveSetting(", 0) == 0; });
      EXPECT_LT(run.fake.IndexOf("RunElevatedCopy(" + std::string(row.copy) + ")"), saved - run.fake.calls.begin());
    }
    if (row.task == 0) {
      EXPECT_LT(run.fake.IndexOf("ReleaseFiles"), run.fake.IndexOf("RunElevatedCopy(/elevated-install)"));
    }
    EXPECT_EQ(run.fake.exit_timer.enabled, row.exit_code == -1);
    EXPECT_EQ(run.fake.exit_code, row.exit_code);
    EXPECT_EQ(run.fake.HasCall("ShowMessage(16,hdGR Setup Extraction process,Could not launch the setup.)"),
              row.launch_failed);
    if (row.exit_code == -1 || row.exit_code == kExitDone) {
      EXPECT_FALSE(run.fake.session_kept_open) << "let go once the run's files are done";
    }
  }
}

// Management tools start programs as SYSTEM by default: its settings are no user's, and the
// product's window is in another session.
TEST_F(HandlersTest, ASystemAccountsRunIsRefusedBeforeAnythingIsRead) {
  fake.service_account = true;
  EXPECT_THROW(handlers.Load(), ProgramEnded);
  EXPECT_EQ(fake.exit_code, kExitServiceAccount);
  EXPECT_EQ(fake.ChangingCalls().size(), 2u);  // the message and the end
  EXPECT_NE(fake.ChangingCalls().front().find("started as a system account"), std::string::npos);
  EXPECT_FALSE(Called("ReadSetting") || Called("FindWindowByTitle") || Called("SetWindowPos"));
}

// The administrator's copy does the job the user's run handed it, with its own rights, and
// reads or writes no settings: they would be the administrator's, not the user's.
TEST_F(HandlersTest, TheAdministratorsCopyDoesItsJobAndTouchesNoSettings) {
  const struct {
    const char* name;
    ElevatedPart part;
    bool elevated = true;
    bool program_there = true;
    std::optional<ErrorNumber> error = std::nullopt;
    bool drive_unseen = false;  // the user's network or subst drive, which the copy's logon lacks
  } rows[] = {
      {.name = "install", .part = {}},
      {.name = "upgrade", .part = {true, kProductFolder}},
      {.name = "started without the rights", .part = {}, .elevated = false, .error = ErrorNumber::kPermissionDenied},
      {.name = "the program gone since the user's run looked", .part = {true, kProductFolder}, .program_there = false,
       .error = ErrorNumber::kFileNotFound},
      {.name = "the work folder named as the product's", .part = {true, kWork}, .error = ErrorNumber::kPathFileAccessError},
      {.name = "the product on the user's own drive letter", .part = {true, "Q:\\Halden Grid"}, .program_there = false,
       .error = ErrorNumber::kPathNotFound, .drive_unseen = true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    OwnRun run(digests);
    run.fake.elevated = row.elevated;
    if (row.drive_unseen) run.fake.unseen_drives.insert("q:");
    run.fake.folders.insert("c:\\program files");
    run.fake.folders.insert(Lower(kProductFolder));
    if (row.program_there) run.fake.PutFile(row.part.product_folder + "\\HaldenGrid.exe", kOldProgram);
    const OwnRun::Ending ending = run.Run([&row](SetupHandlers& setup) { setup.RunElevatedPart(row.part); });
    if (!ending.program_ended && !ending.error) ADD_FAILURE() << "the copy did not end";
    const std::optional<ErrorNumber> error = ending.error ? std::optional(ending.error->Number()) : std::nullopt;
    EXPECT_EQ(error, row.error);
    EXPECT_TRUE(run.fake.CallsStartingWith("ReadSetting(").empty());
    EXPECT_TRUE(run.fake.CallsStartingWith("SaveSetting(").empty());
    EXPECT_TRUE(run.fake.CallsStartingWith("ShowMessage(").empty());
    EXPECT_FALSE(run.fake.exit_timer.enabled) << "the copy ends at once; the user's run times its own exit";
    if (row.error) {
      EXPECT_TRUE(run.fake.CallsStartingWith("SavePicture(").empty());
      continue;
    }
    EXPECT_EQ(run.fake.exit_code, kExitDone);
    if (row.part.upgrade) {
      EXPECT_TRUE(run.fake.File(kProgram)->bytes == SharedPackage().files[kUpgradeSegment]);
    } else {
      EXPECT_EQ(run.fake.CallsStartingWith("StartProgram(").size(), 1u);
      EXPECT_TRUE(run.fake.File(kSetupExe)->bytes == SharedPackage().files[0]);
    }
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
  const std::vector<std::string> ending(fake.calls.end() - 4, fake.calls.end());
  EXPECT_EQ(ending, (std::vector<std::string>{"ReleaseFiles", "LetSessionEnd",
                                              "ShowMessage(64,Halden Grid,Upgrade complete)", "EndProgram"}));
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
    OwnRun run(digests);
    FakePlatform& local = run.fake;
    StoreOlderCopy(local, kProductFolder + " ");
    local.folders.insert(Lower(kProductFolder));
    if (link) local.untrusted_folders.insert(Lower(kProductFolder + " "));
    local.PutFile(kProductFolder + " \\HaldenGrid.exe", kOldProgram);
    run.StartUp();
    if (const std::optional<RunTimeError> error = run.Accept().error) {
      EXPECT_TRUE(link) << error->what();
      EXPECT_EQ(error->Number(), ErrorNumber::kPathFileAccessError);
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

// A stored folder the upgrade must never write to is refused before anything is changed:
// in the work folder the copy found would be moved aside with the folder, and the new
// program written into a fresh one, a "complete" upgrade of a copy nobody uses.
TEST_F(HandlersTest, UpgradeRefusesAFolderItMustNeverWriteBeforeStaging) {
  for (const std::string& folder : std::vector<std::string>{kWork, kWork + "\\Halden Grid", "C:\\HDGR_TEMP_SETUP. \\x",
                                                            "\\\\?\\c:\\hdgr_temp_setup"}) {
    SCOPED_TRACE(folder);
    OwnRun run(digests);
    StoreOlderCopy(run.fake, folder);
    run.fake.folders.insert(Lower(kWork));
    run.fake.shared_folders.insert(Lower(kWork));  // others made it
    run.fake.PutFile(folder + "\\HaldenGrid.exe", kOldProgram);
    run.StartUp();
    if (const std::optional<RunTimeError> error = run.Accept().error; !error) {
      ADD_FAILURE() << "not refused";
    } else {
      EXPECT_EQ(error->Number(), ErrorNumber::kPathFileAccessError);
      EXPECT_NE(error->Detail().find("the setup's own work folder"), std::string::npos) << error->Detail();
    }
    for (const char* change : {"ChangeFolder", "MoveFolderAside", "MakeFolder", "SavePicture", "OpenNewFile",
                               "KeepSessionOpen"})
      EXPECT_FALSE(run.fake.HasCall(change) || !run.fake.CallsStartingWith(change).empty()) << change;
    EXPECT_EQ(run.fake.File(folder + "\\HaldenGrid.exe")->bytes, kOldProgram);
  }
}

TEST(CheckUpgradeTargetTest, RefusesWhatNamesNoProductFolder) {
  const struct {
    const char* folder;
    const char* says;  // nullptr: accepted
  } rows[] = {
      {"C:\\Program Files\\Halden Grid", nullptr},
      {"\\\\server\\share\\Halden Grid", nullptr},
      {"", "is no full path"},
      {"Halden Grid", "is no full path"},
      {"C:Halden Grid", "is no full path"},
      {"C:\\Halden*", "is no full path"},
      {"C:\\", "root of a drive"},
      {"c:\\.\\", "root of a drive"},
      {"\\\\?\\D:\\", "root of a drive"},
      {"c:\\hdgr_temp_setup\\", "the setup's own work folder"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.folder);
    const InstalledCopy copy{row.folder};
    if (row.says == nullptr) {
      EXPECT_NO_THROW(CheckUpgradeTarget(copy));
      continue;
    }
    try {
      CheckUpgradeTarget(copy);
      ADD_FAILURE() << "accepted";
    } catch (const RunTimeError& error) {
      EXPECT_NE(error.Detail().find(row.says), std::string::npos) << error.Detail();
      EXPECT_NE(error.Detail().find("nothing was written"), std::string::npos) << error.Detail();
    }
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
    PayloadDigests local_digests = digests;
    if (c.corrupt_digest) local_digests[kUpgradeSegment][31] ^= 0x80;
    OwnRun run(local_digests);
    FakePlatform& local = run.fake;
    StoreOlderCopy(local, kProductFolder);
    local.PutFile(kProgram, kOldProgram);
    run.StartUp();
    if (c.operation) local.Fail(*c.operation, c.target, ErrorNumber::kDiskFull, c.skip);

    if (const std::optional<RunTimeError> error = run.Accept().error; !error) {
      ADD_FAILURE() << "no failure";
    } else {
      if (c.number) {
        EXPECT_EQ(error->Number(), *c.number);
      }
      EXPECT_NE(error->Detail().find(kProgram), std::string::npos) << error->Detail();
      EXPECT_EQ(error->Detail().find(".new"), std::string::npos) << error->Detail();
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
