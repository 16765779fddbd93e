// The setup deployed by an administrator's tools: switches, the log, and exit codes that
// say how each run ended.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/base/wide_text.h"
#include "tests/e2e/driver/e2e_message_box.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/product_state.h"
#include "tests/e2e/signing_state.h"
#include "tests/wine/wine_host.h"

namespace hdgr::e2e {
namespace {

constexpr auto kTimeout = 60s;
constexpr wchar_t kLogFolder[] = L"c:\\hdgr e2e logs";
constexpr wchar_t kLog[] = L"c:\\hdgr e2e logs\\run.log";

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

std::string LogText() {
  const std::vector<std::uint8_t> bytes = Exists(kLog) ? ReadWholeFile(kLog) : std::vector<std::uint8_t>{};
  return std::string(bytes.begin(), bytes.end());
}

class UnattendedTest : public ProgramRunTest {
 protected:
  void SetUp() override {
    ProgramRunTest::SetUp();
    wine_host::RemoveTree(kLogFolder);
    std::filesystem::create_directories(std::filesystem::path(kLogFolder));
  }
  void TearDown() override {
    ProgramRunTest::TearDown();
    wine_host::RemoveTree(kLogFolder);
  }
  // Runs the setup with `arguments` to its end, watching whether its window ever shows.
  std::optional<DWORD> RunToEnd(const std::wstring& arguments, bool* window_shown) {
    setup_ = Start(SetupProgramPath(), arguments);
    *window_shown = false;
    for (const auto until = std::chrono::steady_clock::now() + kTimeout; std::chrono::steady_clock::now() < until;) {
      if (HWND window = WaitForWindow(kSetupTitle, 0ms, setup_.Id()); window != nullptr && IsWindowVisible(window))
        *window_shown = true;
      if (const auto code = setup_.WaitForExit(5ms)) return code;
    }
    return std::nullopt;
  }
  void ExpectLogHas(const std::vector<std::string>& lines) const {
    const std::string log = LogText();
    for (const std::string& line : lines) EXPECT_NE(log.find(line), std::string::npos) << line << "\nin\n" << log;
  }
};

// /quiet through every mode: no window and no box, the same decisions, the exit code and
// the log tell how it ended.
TEST_F(UnattendedTest, QuietRunsDecideAsTheWindowWouldAndSayHowTheyEnded) {
  struct Case {
    const char* name;
    bool installed;     // an older product installed
    const wchar_t* stored_minor;
    bool product_runs;
    DWORD code;
    std::vector<std::string> log;
  };
  const Case cases[] = {
      {"install", false, L"", false, 0,
       {"switches: /quiet /log", "setting app_path = \"\"", "mode install: no installed copy is stored",
        "checked c:\\hdgr_temp_setup\\Setup.exe: 148336 bytes, SHA-256 ", "in place: c:\\hdgr_temp_setup\\Setup.exe",
        "checked c:\\hdgr_temp_setup\\Setup.LST: 9266",
        "started c:\\hdgr_temp_setup\\Setup.exe (process ", "exit code 0"}},
      {"upgrade", true, L"3", false, 0,
       {"mode upgrade: the installed copy 3.3.9 is older than the package", "HaldenGrid.exe: 1810432 bytes",
        "message \"Halden Grid\": Upgrade complete", "exit code 0"}},
      {"product running", true, L"3", true, 2,
       {"the product runs: its window \"Halden Grid - Main Window\" is open", "exit code 2"}},
      {"current", true, L"4", false, 3,
       {"mode current: the installed copy 3.4.9 is as new as the package or newer",
        "message \"hdGR\": You have the most current copy of hdGR.", "exit code 3"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    DeleteFileW(kLog);
    std::optional<ProductFolder> folder;
    const std::vector<std::uint8_t> old_program(50'000, 0x33);
    if (c.installed) {
      folder.emplace();
      WriteWholeFile(folder->ProgramPath(), old_program);
      StoreInstalledCopy(folder->Path(), L"3", c.stored_minor, L"9");
    }
    HWND product_window = nullptr;
    if (c.product_runs) product_ = StartDemoProduct(&product_window);
    bool window_shown = false;
    EXPECT_EQ(RunToEnd(L"/quiet /log " + Quoted(kLog), &window_shown), c.code);
    EXPECT_FALSE(window_shown) << "the setup window showed";
    ExpectLogHas(c.log);
    if (std::string(c.name) == "install") {
      EXPECT_EQ(FolderEntries(kWorkFolder), (std::vector<std::wstring>{L"HaldenGrid.CAB", L"Setup.LST", L"Setup.exe"}));
      EXPECT_TRUE(WaitForWindow(kDemoInstallerTitle, 10s) != nullptr) << "the installer did not start";
    } else if (std::string(c.name) == "upgrade") {
      EXPECT_TRUE(ReadWholeFile(folder->ProgramPath()) == PayloadBytes(3));
    } else {
      EXPECT_FALSE(WorkFolderExists()) << "nothing touched";
      EXPECT_EQ(ReadWholeFile(folder->ProgramPath()), old_program);
    }
  }
}

// The copy a standard user's run starts with an administrator's consent (under Wine every
// run has the administrators' rights, so it is started here as that run would): it does
// its part without a window and reads or writes no settings, which would be the
// administrator's; the user's run records the version itself. Another user's folder named
// for the upgrade is checked again there first.
TEST_F(UnattendedTest, TheAdministratorsCopyDoesItsPartAndTouchesNoSettings) {
  bool window_shown = false;
  EXPECT_EQ(RunToEnd(L"/elevated-install /quiet /log " + Quoted(kLog), &window_shown), 0u);
  EXPECT_FALSE(window_shown);
  EXPECT_EQ(FolderEntries(kWorkFolder), (std::vector<std::wstring>{L"HaldenGrid.CAB", L"Setup.LST", L"Setup.exe"}));
  EXPECT_TRUE(WaitForWindow(kDemoInstallerTitle, 10s) != nullptr) << "the installer did not start";
  EXPECT_FALSE(ProductSettingsExist());
  ExpectLogHas({"switches: /quiet /log", "/elevated-install", "started c:\\hdgr_temp_setup\\Setup.exe",
                "done for the user's run", "exit code 0"});
  EXPECT_EQ(LogText().find("setting "), std::string::npos) << "no setting read";

  for (const bool program_there : {true, false}) {
    SCOPED_TRACE(program_there ? "upgrade" : "the program gone");
    Reset();
    DeleteFileW(kLog);
    const ProductFolder folder;
    const std::vector<std::uint8_t> old_program(50'000, 0x33);
    if (program_there) WriteWholeFile(folder.ProgramPath(), old_program);
    StoreInstalledCopy(folder.Path(), L"3", L"3", L"9");  // the user's, which the copy never reads
    EXPECT_EQ(RunToEnd(L"/elevated-upgrade " + Quoted(folder.Path()) + L" /quiet /log " + Quoted(kLog), &window_shown),
              program_there ? 0u : 1u);
    EXPECT_FALSE(window_shown);
    if (program_there) {
      EXPECT_TRUE(ReadWholeFile(folder.ProgramPath()) == PayloadBytes(3));
    } else {
      EXPECT_FALSE(Exists(folder.ProgramPath()));
      ExpectLogHas({"Run-time error 53", "is not there any more: nothing was written"});
    }
    EXPECT_EQ(ReadInstalledCopy().minor, L"3");
    EXPECT_EQ(LogText().find("setting "), std::string::npos);
  }
}

// /passive: the window and its progress, nobody asked anything, the end on its own.
TEST_F(UnattendedTest, PassiveRunsShowTheWindowAndEndOnTheirOwn) {
  bool window_shown = false;
  EXPECT_EQ(RunToEnd(L"-PASSIVE", &window_shown), 0u);
  EXPECT_TRUE(window_shown);
  EXPECT_TRUE(Exists(DemoInstallerMarkerPath()));

  Reset();
  const ProductFolder folder;
  WriteWholeFile(folder.ProgramPath(), std::vector<std::uint8_t>(50'000, 0x33));
  StoreInstalledCopy(folder.Path(), L"3", L"3", L"9");
  EXPECT_EQ(RunToEnd(L"/passive /log=" + Quoted(kLog), &window_shown), 0u) << "no box waits at the end";
  EXPECT_TRUE(window_shown);
  EXPECT_TRUE(ReadWholeFile(folder.ProgramPath()) == PayloadBytes(3));
  ExpectLogHas({"switches: /passive /log", "message \"Halden Grid\": Upgrade complete", "exit code 0"});
}

// /verify reads the package as every run reads it and writes nothing but the log: a copy
// whose carrier picture no run can read, or whose packed file has changed, is not intact,
// whatever its signature; the build's own package is intact and not signed.
TEST_F(UnattendedTest, VerifyChecksThePayloadAndWritesNothing) {
  bool window_shown = false;
  EXPECT_EQ(RunToEnd(L"/verify /log " + Quoted(kLog), &window_shown), 7u);
  EXPECT_FALSE(window_shown);
  EXPECT_FALSE(WorkFolderExists());
  ExpectLogHas({"package Setup.exe: SHA-256 ", "package HaldenGrid.CAB: SHA-256 ", "package Setup.LST: SHA-256 ",
                "package HaldenGrid.exe: SHA-256 ", "package intact", "package signature: NOT SIGNED",
                "exit code 7"});
  EXPECT_EQ(LogText().find("CHANGED"), std::string::npos);
  EXPECT_EQ(LogText().find("BROKEN"), std::string::npos);

  const std::vector<std::uint8_t> package = ReadWholeFile(SetupProgramPath());
  const std::vector<std::uint8_t> carrier = ReadWholeFile(CarrierPath());
  const auto found = std::search(package.begin(), package.end(), carrier.begin(), carrier.begin() + 64);
  ASSERT_NE(found, package.end()) << "no carrier in the package";
  const auto carrier_at = static_cast<std::size_t>(found - package.begin());
  // A header field of the carrier, little-endian, `at` bytes into it.
  const auto set_field = [](std::size_t at, std::uint32_t value, int bytes) {
    return [=](std::uint8_t* carrier_bytes) {
      for (int i = 0; i < bytes; ++i) carrier_bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    };
  };
  struct Case {
    const char* what;
    std::function<void(std::uint8_t*)> change;  // of the copy's carrier bytes
    std::vector<std::string> log;
    bool picture_broken;  // every run stops at reading the picture
  };
  const Case cases[] = {
      {"32 bits per pixel", set_field(28, 32, 2),
       {"package carrier: BROKEN, Run-time error 5",
        "1000 x 2000 pixels of 32 bits need 8000000 bytes, it holds 6000000"},
       true},
      {"1001 pixels wide", set_field(18, 1001, 4),
       {"package carrier: BROKEN, Run-time error 5", "1001 x 2000 pixels"}, true},
      {"pixels past the end", set_field(10, 7'000'000, 4),
       {"package carrier: BROKEN, Run-time error 5", "its pixels start at 7000000"}, true},
      {"a byte of Setup.exe flipped", [&](std::uint8_t* carrier_bytes) { carrier_bytes[carrier.size() - 200] ^= 0x01; },
       {"package Setup.exe: SHA-256 ", ", CHANGED", "package HaldenGrid.CAB: SHA-256 "}, false},
  };
  const std::wstring copy = std::wstring(kLogFolder) + L"\\changed.exe";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::uint8_t> changed = package;
    c.change(changed.data() + carrier_at);
    WriteWholeFile(copy, changed);
    DeleteFileW(kLog);
    setup_ = Start(copy, L"/verify /log " + Quoted(kLog));
    EXPECT_EQ(setup_.WaitForExit(kTimeout), 1u);
    std::vector<std::string> log = c.log;
    log.insert(log.end(), {"package NOT INTACT", "exit code 1"});
    ExpectLogHas(log);
    EXPECT_FALSE(WorkFolderExists());
    if (!c.picture_broken) continue;
    // What /verify calls broken, a run finds broken: it stops before it writes anything.
    DeleteFileW(kLog);
    setup_ = Start(copy, L"/quiet /log " + Quoted(kLog));
    EXPECT_EQ(setup_.WaitForExit(kTimeout), 1u);
    ExpectLogHas({"Run-time error 5", "picture is not a bitmap", "exit code 1"});
    EXPECT_FALSE(WorkFolderExists());
  }
}

// The help and a wrong command line: a box (none with /quiet) and the exit codes 0 and 87.
// The help is asked alone and each switch once: a tool never reads 0 for a run that did not
// happen, nor guesses which of two logs was kept. A log that cannot be kept stops the run
// before anything happens.
TEST_F(UnattendedTest, HelpWrongSwitchesAndAnUnwritableLog) {
  struct Case {
    const wchar_t* arguments;
    const wchar_t* box_starts;  // nullptr: no box
    DWORD code;
  };
  const Case cases[] = {
      {L"/?", L"Halden Grid setup, for unattended deployment:", 0},
      {L"/quiet /help", nullptr, 87},
      {L"/passive -?", L"Not with /? or /help: /passive", 87},
      {L"/quiet /QUIET", nullptr, 87},
      {L"/verify /verify", L"Given twice: /verify", 87},
      {L"/log \"c:\\hdgr e2e logs\\a.log\" /log=\"c:\\hdgr e2e logs\\b.log\"",
       L"Given twice: /log=c:\\hdgr e2e logs\\b.log", 87},
      {L"/passive /bogus", L"Not a switch of this setup: /bogus", 87},
      {L"/layout", L"Not a switch of this setup: /layout", 87},
      {L"/layout \"hdgr layout\"", L"Not a folder to lay the installer's files out in: hdgr layout (no full path", 87},
      {L"/layout=c:\\", L"Not a folder to lay the installer's files out in: /layout=c:\\ (the root", 87},
      {L"/layout C:\\HDGR_TEMP_SETUP\\x",
       L"Not a folder to lay the installer's files out in: C:\\HDGR_TEMP_SETUP\\x", 87},
      {L"/layout \"c:\\hdgr e2e logs\\layout\" /passive", L"Not with /layout: /passive", 87},
      {L"/quiet /layout \"c:\\hdgr e2e logs\\layout\" /verify", nullptr, 87},
      {L"/log", L"Not a switch of this setup: /log", 87},
      {L"/quiet /bogus", nullptr, 87},
      {L"\"\" /quiet", nullptr, 87},
      {L"/log \"c:\\no such folder\\run.log\"", L"The log cannot be written.", 1},
      {L"/quiet /log \"c:\\no such folder\\run.log\"", nullptr, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(win32::Utf8(c.arguments));
    Reset();
    setup_ = Start(SetupProgramPath(), c.arguments);
    if (c.box_starts != nullptr) {
      const auto box = WaitForMessageBox(L"Halden Grid - Setup", kTimeout, setup_.Id());
      ASSERT_TRUE(box.has_value()) << "no box";
      EXPECT_EQ(box->text.rfind(c.box_starts, 0), 0u) << win32::Utf8(box->text);
      if (c.code == 0) {
        EXPECT_NE(box->text.find(L"87 bad command line"), std::wstring::npos);
      }
      PressOk(box->window);
    }
    EXPECT_EQ(setup_.WaitForExit(kTimeout), c.code);
    EXPECT_FALSE(WorkFolderExists());
    EXPECT_TRUE(FolderEntries(kLogFolder).empty()) << "a log was kept";
    EXPECT_EQ(WaitForWindow(kSetupTitle, 0ms, setup_.Id(), kSetupFormClass), nullptr);
  }
}

// The signature, as the system judges the package's own file: the release's test signature
// is signed but not trusted (its certificate is its own root, which no machine trusts); a
// byte changed after signing, outside the packed files, breaks it; a changed packed file
// is 1 whatever the signature says.
TEST_F(UnattendedTest, VerifyTellsATrustedSignatureFromAnUntrustedBrokenOrMissingOne) {
  const std::wstring signed_program = HostPath(HDGR_SIGNED_SETUP_EXE);
  const std::vector<std::uint8_t> package = ReadWholeFile(signed_program);
  ASSERT_GT(CertificateTableSize(package), 0u) << "the package is not signed";
  // "This program cannot be run in DOS mode": hashed by the signature, read by no run.
  const std::string stub_text = "This program cannot";
  const auto stub = std::search(package.begin(), package.end(), stub_text.begin(), stub_text.end());
  ASSERT_NE(stub, package.end());
  const std::vector<std::uint8_t> carrier = ReadWholeFile(CarrierPath());
  const auto carrier_at = std::search(package.begin(), package.end(), carrier.begin(), carrier.begin() + 64);
  ASSERT_NE(carrier_at, package.end());
  const auto changed_at = [&](std::size_t at) {
    std::vector<std::uint8_t> changed = package;
    changed[at] ^= 0x20;
    return changed;
  };
  const std::size_t stub_offset = static_cast<std::size_t>(stub - package.begin());
  const std::size_t in_setup_exe = static_cast<std::size_t>(carrier_at - package.begin()) + carrier.size() - 200;
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
    DWORD code;
    std::vector<std::string> log;
  };
  const Case cases[] = {
      {"signed, the signer unknown here", package, 8,
       {"package intact", "package signature: signed but NOT TRUSTED on this machine, by \"Halden Grid throw-away "
        "publisher\"", "exit code 8"}},
      {"a byte of the DOS stub changed after signing", changed_at(stub_offset), 9,
       {"package intact", "package signature: BROKEN, the file is not what was signed", "exit code 9"}},
      {"a byte of Setup.exe changed after signing", changed_at(in_setup_exe), 1,
       {"package Setup.exe: SHA-256 ", ", CHANGED", "package NOT INTACT", "package signature: BROKEN",
        "exit code 1"}},
  };
  const std::wstring copy = std::wstring(kLogFolder) + L"\\hdGR_3_4_Setup.exe";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteWholeFile(copy, c.bytes);
    DeleteFileW(kLog);
    setup_ = Start(copy, L"/verify /log " + Quoted(kLog));
    EXPECT_EQ(setup_.WaitForExit(kTimeout), c.code);
    ExpectLogHas(c.log);
    EXPECT_FALSE(WorkFolderExists());
  }
}

// The administrator's layout: the three installer files, as the package carries them, in a
// folder made for them; the work folder, an earlier run's included, the settings and the
// installer untouched. A folder behind a link is refused and nothing is written there.
TEST_F(UnattendedTest, LayoutWritesTheInstallerFilesIntoTheFolderAndNothingElse) {
  // An earlier run's work folder, which an install run would empty or move aside.
  const std::wstring leftover = std::wstring(kWorkFolder) + L"\\Setup.LST";
  CreateDirectoryW(kWorkFolder, nullptr);
  WriteWholeFile(leftover, std::vector<std::uint8_t>(10, 0x4C));
  const std::wstring layout = std::wstring(kLogFolder) + L"\\share\\Halden Grid 3.4";
  bool window_shown = false;
  // A closing separator, doubled before the closing quote as the command line wants it.
  EXPECT_EQ(RunToEnd(L"/layout " + Quoted(layout + L"\\\\") + L" /log " + Quoted(kLog), &window_shown), 0u);
  EXPECT_FALSE(window_shown);
  EXPECT_EQ(FolderEntries(layout), (std::vector<std::wstring>{L"HaldenGrid.CAB", L"Setup.LST", L"Setup.exe"}));
  for (int segment = 0; segment < 3; ++segment) {
    SCOPED_TRACE(win32::Utf8(PayloadName(segment)));
    EXPECT_TRUE(ReadWholeFile(layout + L"\\" + PayloadName(segment)) == PayloadBytes(segment));
  }
  EXPECT_EQ(FolderEntries(kWorkFolder), std::vector<std::wstring>{L"Setup.LST"});
  EXPECT_EQ(ReadWholeFile(leftover), std::vector<std::uint8_t>(10, 0x4C));
  EXPECT_FALSE(ProductSettingsExist());
  EXPECT_FALSE(Exists(DemoInstallerMarkerPath()));
  EXPECT_EQ(WaitForWindow(kDemoInstallerTitle, 0ms), nullptr);
  ExpectLogHas({"/layout \"" + win32::Utf8(layout) + "\"",
                "checked " + win32::Utf8(layout) + "\\Setup.exe: 148336 bytes",
                "laid out the installer's files in", "exit code 0"});

  // Again over the files it left: each replaced whole.
  WriteWholeFile(layout + L"\\Setup.exe", std::vector<std::uint8_t>(400'000, 0x5A));
  EXPECT_EQ(RunToEnd(L"/quiet /layout=" + Quoted(layout), &window_shown), 0u);
  EXPECT_TRUE(ReadWholeFile(layout + L"\\Setup.exe") == PayloadBytes(0));

  // A folder on the way that is a link to another place.
  const std::wstring elsewhere = std::wstring(kLogFolder) + L"\\elsewhere";
  std::filesystem::create_directories(std::filesystem::path(elsewhere));
  const std::wstring linked = std::wstring(kLogFolder) + L"\\linked";
  if (!wine_host::MakeSymbolicLink(linked, elsewhere)) GTEST_SKIP() << "the host made no link";
  DeleteFileW(kLog);
  EXPECT_EQ(RunToEnd(L"/quiet /layout " + Quoted(linked + L"\\hg") + L" /log " + Quoted(kLog), &window_shown), 1u);
  EXPECT_TRUE(FolderEntries(elsewhere).empty()) << "written through the link";
  ExpectLogHas({"Run-time error 75", "is a link to another place", "exit code 1"});
}

}  // namespace
}  // namespace hdgr::e2e
