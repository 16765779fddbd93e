// The setup under attack, as another user of the machine would try it: a program that
// swaps the installer as it appears, links in the work folder, DLLs planted beside the
// package, a second setup at the same time, and a stored folder that is no full path.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/base/unique_handle.h"
#include "platform/win32/base/wide_text.h"
#include "tests/e2e/driver/e2e_input.h"
#include "tests/e2e/driver/e2e_message_box.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/product_state.h"
#include "tests/wine/wine_host.h"

namespace hdgr::e2e {
namespace {

constexpr auto kTimeout = 60s;
constexpr wchar_t kAnotherSetupMessage[] =
    L"Another Halden Grid setup is running. Let it finish, then start this one again.";

std::wstring InWorkFolder(const std::wstring& name) { return std::wstring(kWorkFolder) + L"\\" + name; }

std::wstring TempPath(const wchar_t* name) {
  wchar_t temp[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  return std::wstring(temp, length) + name;
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  for (const auto until = std::chrono::steady_clock::now() + timeout; std::chrono::steady_clock::now() < until;) {
    if (done()) return true;
    std::this_thread::sleep_for(5ms);
  }
  return done();
}

std::string Text(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Wine's per-program DLL load order, set for a while: `names` native first for the program
// file named `program`, as Windows takes a DLL that is not one of its known ones from the
// program's folder first. (WINEDLLOVERRIDES would reach only programs Wine starts anew
// from the host, not those a Windows program starts.)
class NativeFirst {
 public:
  NativeFirst(const std::wstring& program, const std::vector<std::wstring>& names)
      : key_(L"Software\\Wine\\AppDefaults\\" + program + L"\\DllOverrides") {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
      throw std::runtime_error("cannot set Wine's load order");
    const win32::RegistryKey held(key);
    constexpr wchar_t kOrder[] = L"native,builtin";
    for (const auto& name : names)
      RegSetValueExW(held.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(kOrder), sizeof kOrder);
  }
  NativeFirst(const NativeFirst&) = delete;
  NativeFirst& operator=(const NativeFirst&) = delete;
  ~NativeFirst() { RegDeleteKeyW(HKEY_CURRENT_USER, key_.c_str()); }

 private:
  std::wstring key_;
};

// An environment variable of this process, and so of the programs it starts, for a while.
class ScopedVariable {
 public:
  ScopedVariable(const wchar_t* name, const std::wstring& value) : name_(name) {
    wchar_t old[4096];
    const DWORD length = GetEnvironmentVariableW(name, old, 4096);
    if (length > 0 && length < 4096) old_ = std::wstring(old, length);
    SetEnvironmentVariableW(name, value.c_str());
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;
  ~ScopedVariable() { SetEnvironmentVariableW(name_, old_ ? old_->c_str() : nullptr); }

 private:
  const wchar_t* name_;
  std::optional<std::wstring> old_;
};

class SecurityTest : public ProgramRunTest {
 protected:
  void TearDown() override {
    swapper_.Kill();
    ProgramRunTest::TearDown();
    for (const wchar_t* name : {L"hdgr_swapper_started.txt", L"hdgr_swapper_log.txt", L"hdgr_swapper_spare.exe"})
      DeleteFileW(TempPath(name).c_str());
    wine_host::RemoveTree(L"c:\\hdgr e2e victim");
    wine_host::RemoveTree(L"c:\\hdgr e2e start folder");
  }
  // Accepts in the window of the program already started; true when its installer started.
  // Otherwise whatever the program said is shown in the failure.
  bool AcceptAndWaitForTheInstaller(HWND window) {
    Click(ControlOf(window, "Command1").window);
    const DWORD id = setup_.Id();
    std::optional<MessageBoxInfo> box;
    WaitUntil([&] {
      if (Exists(DemoInstallerMarkerPath())) return true;
      box = WaitForMessageBox(L"Halden Grid - Setup", 0ms, id);
      return box.has_value();
    }, kTimeout);
    if (box) ADD_FAILURE() << "the setup said: " << win32::Utf8(box->text);
    return Exists(DemoInstallerMarkerPath());
  }
  void ExpectTheInstallerStartedFromTheWorkFolder() const {
    const std::string noted = Text(ReadWholeFile(DemoInstallerMarkerPath()));
    std::string lower(noted);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return static_cast<char>(std::tolower(c)); });
    EXPECT_NE(lower.find("path=c:\\hdgr_temp_setup\\setup.exe\r\n"), std::string::npos) << noted;
  }

  Process swapper_;
};

// The swapper tries, as fast as it can, to put its own program at Setup.exe: rename over,
// copy over, delete and copy, write into it. The run goes on as if it were not there.
// Asked to write itself into every other file of the work folder too, it may catch the
// installer's file, or the cabinet or the list, in the instant its write hold makes way for
// a read-only one (Wine keeps no access lists, so nothing else stops it there): then the run
// refuses to go on. Either
// way, the program that starts is the package's installer, or none.
TEST_F(SecurityTest, AProgramSwappingSetupExeAsItAppearsNeverGetsStarted) {
  struct Round {
    const wchar_t* mode;
    bool must_complete;
  };
  int completed = 0;
  for (const Round& round : {Round{L"watch", true}, Round{L"watch", true}, Round{L"watch-all", false},
                             Round{L"watch-all", false}}) {
    SCOPED_TRACE(win32::Utf8(round.mode));
    Reset();
    swapper_ = Start(HostPath(HDGR_SWAPPER_EXE), std::wstring(round.mode) + L" \"" + kWorkFolder + L"\" Setup.exe");
    HWND window = StartToWindow();
    ASSERT_NE(window, nullptr);
    Click(ControlOf(window, "Command1").window);
    std::optional<MessageBoxInfo> refused;
    WaitUntil([&] {
      if (Exists(DemoInstallerMarkerPath())) return true;
      refused = WaitForMessageBox(L"Halden Grid - Setup", 0ms, setup_.Id());
      return refused.has_value();
    }, kTimeout);
    if (refused) {
      EXPECT_FALSE(round.must_complete) << win32::Utf8(refused->text);
      // The swapper may hold any of the three when its hold changes: the message names that one.
      EXPECT_NE(refused->text.find(kWorkFolder + std::wstring(L"\\")), std::wstring::npos)
          << win32::Utf8(refused->text);
      PressOk(refused->window);
      EXPECT_EQ(setup_.WaitForExit(10s), 1u);
      EXPECT_FALSE(Exists(DemoInstallerMarkerPath()));
    } else {
      ASSERT_TRUE(Exists(DemoInstallerMarkerPath())) << "neither the installer nor a message";
      EXPECT_EQ(setup_.WaitForExit(10s), 0u);
      ExpectTheInstallerStartedFromTheWorkFolder();
      ++completed;
    }
    std::this_thread::sleep_for(500ms);  // time for a swapped program to show itself
    swapper_.Kill();
    EXPECT_FALSE(Exists(TempPath(L"hdgr_swapper_started.txt"))) << "the swapper's program was started";
    const std::wstring log = TempPath(L"hdgr_swapper_log.txt");
    std::printf("%s: %s; the swapper managed: %s\n", win32::Utf8(round.mode).c_str(),
                refused ? "refused" : "installer started", Exists(log) ? "something after the start" : "nothing");
    DeleteFileW(log.c_str());
  }
  EXPECT_GE(completed, 2);
}

// A link where the work folder should be: moved aside as the link, and the run goes on in
// a private folder; on a system that opens only what a link leads to (Wine) it cannot be
// moved so, and the run stops saying what to remove. Either way nothing in the folder it
// points to is deleted or written. Links at the files' names inside a real work folder:
// replaced themselves, and what they point to stays as it was.
TEST_F(SecurityTest, LinksInTheWorkFolderAreNeverFollowed) {
  const std::wstring victim = L"c:\\hdgr e2e victim";
  const std::vector<std::uint8_t> precious(3000, 0x42);
  struct Case {
    const char* name;
    const wchar_t* link;    // in the work folder, or the work folder itself
    const wchar_t* target;  // in the victim folder, or the victim folder itself
    bool at_work_folder;
  };
  const Case cases[] = {
      {"the work folder", kWorkFolder, L"c:\\hdgr e2e victim", true},
      {"setup_image.bmp", L"c:\\hdgr_temp_setup\\setup_image.bmp", L"c:\\hdgr e2e victim\\Setup.exe", false},
      {"Setup.exe", L"c:\\hdgr_temp_setup\\Setup.exe", L"c:\\hdgr e2e victim\\Setup.exe", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    wine_host::RemoveTree(victim);
    ASSERT_TRUE(CreateDirectoryW(victim.c_str(), nullptr));
    WriteWholeFile(victim + L"\\Setup.exe", precious);
    WriteWholeFile(victim + L"\\Setup.LST", precious);
    if (!c.at_work_folder) {
      MakePrivateWorkFolder();
    }
    ASSERT_TRUE(wine_host::MakeSymbolicLink(c.link, c.target));
    ASSERT_TRUE(Exists(c.link)) << "no symbolic link made";
    const std::wstring aside = std::wstring(kWorkFolder) + L".";  // and 16 hex digits, ".aside"

    HWND window = StartToWindow();
    ASSERT_NE(window, nullptr);
    if (c.at_work_folder && OpensLinksThemselves(c.link)) {
      Click(ControlOf(window, "Command1").window);
      const auto box = WaitForMessageBox(L"Halden Grid setup", kTimeout, setup_.Id());
      ASSERT_TRUE(box.has_value()) << "not told of the link moved aside";
      EXPECT_NE(box->text.find(L"It is kept as it was, now named " + aside), std::wstring::npos)
          << win32::Utf8(box->text);
      PressOk(box->window);
      EXPECT_EQ(setup_.WaitForExit(kTimeout), 0u);
      ExpectTheInstallerStartedFromTheWorkFolder();
    } else if (c.at_work_folder) {
      Click(ControlOf(window, "Command1").window);
      const auto box = WaitForMessageBox(L"Halden Grid - Setup", kTimeout, setup_.Id());
      ASSERT_TRUE(box.has_value()) << "no error";
      for (const std::wstring says :
           {L"Run-time error 75", L"Remove the link c:\\hdgr_temp_setup (not what it leads to)"})
        EXPECT_NE(box->text.find(says), std::wstring::npos) << win32::Utf8(box->text);
      PressOk(box->window);
      EXPECT_EQ(setup_.WaitForExit(10s), 1u);
      EXPECT_FALSE(Exists(DemoInstallerMarkerPath()));
      EXPECT_EQ(FolderEntries(c.link), (std::vector<std::wstring>{L"Setup.LST", L"Setup.exe"})) << "still the link";
    } else {
      ASSERT_TRUE(AcceptAndWaitForTheInstaller(window));
      EXPECT_EQ(setup_.WaitForExit(10s), 0u);
      ExpectTheInstallerStartedFromTheWorkFolder();
      EXPECT_TRUE(ReadWholeFile(InWorkFolder(L"Setup.exe")) == PayloadBytes(0));
    }
    EXPECT_EQ(FolderEntries(victim), (std::vector<std::wstring>{L"Setup.LST", L"Setup.exe"}));
    EXPECT_EQ(ReadWholeFile(victim + L"\\Setup.exe"), precious);
    EXPECT_EQ(ReadWholeFile(victim + L"\\Setup.LST"), precious);
  }
}

// With native DLLs preferred, as Windows prefers what it finds in a program's folder for a
// DLL that is not one of its known ones, no planted DLL may load into the setup beyond
// those Wine's own system DLLs pull in for any program (the yardstick shows which); the
// package's import table is judged on its own (PackageImportsOnlySystemDlls).
TEST_F(SecurityTest, NoDllPlantedBesideThePackageRunsInIt) {
  const std::wstring folder = L"c:\\hdgr e2e start folder";
  const std::wstring markers = folder + L"\\markers";
  std::vector<std::wstring> names;
  std::stringstream list(HDGR_PLANTED_NAMES);
  for (std::string name; std::getline(list, name, '|');) names.push_back(win32::Wide(name));
  // Some go alone: a planted msvcrt without its exports ends any process at its start, and
  // a planted version (which Wine's own user32 loads from the program's folder) makes
  // Wine's common controls fail and load again, pulling in whatever else lies there.
  const std::vector<std::wstring> alone = {L"msvcrt", L"version"};
  std::vector<std::vector<std::wstring>> plantings(1);
  for (const auto& name : names) {
    if (std::find(alone.begin(), alone.end(), name) == alone.end()) plantings[0].push_back(name);
    else plantings.push_back({name});
  }
  for (const auto& planted : plantings) {
    std::wstring joined;
    for (const auto& name : planted) joined += (joined.empty() ? L"" : L",") + name;
    SCOPED_TRACE(win32::Utf8(joined));
    Reset();
    wine_host::RemoveTree(folder);
    std::filesystem::create_directories(std::filesystem::path(markers));
    WriteWholeFile(folder + L"\\hdGR_3_4_Setup.exe", ReadWholeFile(SetupProgramPath()));
    WriteWholeFile(folder + L"\\yardstick.exe", ReadWholeFile(HostPath(HDGR_PLANTED_CALIBRATION)));
    for (const auto& name : planted)
      WriteWholeFile(folder + L"\\" + name + L".dll",
                     ReadWholeFile(HostPath(std::string(HDGR_PLANTED_DIR) + "/" + win32::Utf8(name) + ".dll")));
    ScopedVariable where(L"HDGR_PLANTED_MARKERS", markers);
    const NativeFirst for_yardstick(L"yardstick.exe", planted);
    const NativeFirst for_setup(L"hdGR_3_4_Setup.exe", planted);

    Process yardstick = Start(folder + L"\\yardstick.exe", L"", folder);
    yardstick.WaitForExit(30s);
    yardstick.Kill();
    const std::vector<std::wstring> wines_own = FolderEntries(markers);
    wine_host::RemoveTree(markers);
    std::filesystem::create_directories(std::filesystem::path(markers));

    setup_ = Start(folder + L"\\hdGR_3_4_Setup.exe", L"", folder);
    // Through an install run: the shell's start of the installer loads DLLs too. A planting
    // that breaks Wine's own DLLs (those that go alone) may keep the window from showing.
    const bool goes_alone = planted.size() == 1;
    if (HWND window = WaitForWindow(kSetupTitle, goes_alone ? 8s : 20s, setup_.Id(), kSetupFormClass)) {
      if (!goes_alone) {
        EXPECT_TRUE(AcceptAndWaitForTheInstaller(window));
      }
      setup_.WaitForExit(10s);
    }
    setup_.Kill();
    const std::vector<std::wstring> in_setup = FolderEntries(markers);
    std::wstring seen;
    for (const auto& name : in_setup) {
      seen += name + L" ";
      EXPECT_NE(std::find(wines_own.begin(), wines_own.end(), name), wines_own.end())
          << win32::Utf8(name) << " was loaded into the setup from its folder";
    }
    std::printf("planted %s: Wine itself loads [%zu], the setup [%s]\n", win32::Utf8(joined).c_str(), wines_own.size(),
                win32::Utf8(seen).c_str());
  }
}

TEST_F(SecurityTest, TwoSetupsStartedTogetherRunOneAtATime) {
  Process first = Start(SetupProgramPath());
  Process second = Start(SetupProgramPath());
  // One of them says so and ends; which one is up to the system.
  std::optional<MessageBoxInfo> box;
  Process* refused = nullptr;
  WaitUntil([&] {
    for (Process* p : {&first, &second}) {
      if ((box = WaitForMessageBox(L"Halden Grid - Setup", 0ms, p->Id()))) {
        refused = p;
        return true;
      }
    }
    return false;
  }, kTimeout);
  ASSERT_NE(refused, nullptr) << "no setup said another one runs";
  EXPECT_EQ(box->text, kAnotherSetupMessage);
  EXPECT_EQ(box->icon, BoxIcon::kError);
  EXPECT_EQ(WaitForWindow(kSetupTitle, 0ms, refused->Id(), kSetupFormClass), nullptr) << "it touched nothing";
  PressOk(box->window);
  EXPECT_EQ(refused->WaitForExit(10s), 5u);

  Process& running = refused == &first ? second : first;
  HWND window = WaitForWindow(kSetupTitle, kTimeout, running.Id(), kSetupFormClass);
  ASSERT_NE(window, nullptr);
  setup_ = std::move(running);
  ASSERT_TRUE(AcceptAndWaitForTheInstaller(window));
  EXPECT_EQ(setup_.WaitForExit(10s), 0u);
  for (int segment = 0; segment < 3; ++segment)
    EXPECT_TRUE(ReadWholeFile(InWorkFolder(PayloadName(segment))) == PayloadBytes(segment)) << segment;
}

// "." names whatever folder the setup was started in, and that folder's HaldenGrid.exe is
// no installed copy: an install run follows, and nothing outside the work folder changes.
TEST_F(SecurityTest, AStoredFolderThatIsNoFullPathNamesNoInstalledCopy) {
  const std::wstring start_folder = L"c:\\hdgr e2e start folder";
  wine_host::RemoveTree(start_folder);
  ASSERT_TRUE(CreateDirectoryW(start_folder.c_str(), nullptr));
  const std::vector<std::uint8_t> old_program(40'000, 0x17);
  WriteWholeFile(start_folder + L"\\HaldenGrid.exe", old_program);
  StoreInstalledCopy(L".", L"3", L"3", L"9");
  const std::vector<std::wstring> root_before = FolderEntries(L"c:\\");

  setup_ = Start(SetupProgramPath(), L"", start_folder);
  const auto box = WaitForMessageBox(L"hdGR", kTimeout, setup_.Id());
  ASSERT_TRUE(box.has_value()) << "no settings-found message";
  EXPECT_NE(box->text.find(L"HdGR settings were found in your registry"), std::wstring::npos);
  PressOk(box->window);
  HWND window = WaitForWindow(kSetupTitle, kTimeout, setup_.Id(), kSetupFormClass);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(ControlOf(window, "Command1").caption, L"Accept terms of install");
  ASSERT_TRUE(AcceptAndWaitForTheInstaller(window));
  EXPECT_EQ(setup_.WaitForExit(10s), 0u);

  EXPECT_EQ(ReadWholeFile(start_folder + L"\\HaldenGrid.exe"), old_program);
  EXPECT_EQ(FolderEntries(start_folder), std::vector<std::wstring>{L"HaldenGrid.exe"});
  std::vector<std::wstring> root_after = FolderEntries(L"c:\\");
  root_after.erase(std::remove(root_after.begin(), root_after.end(), L"hdgr_temp_setup"), root_after.end());
  std::vector<std::wstring> root_expected = root_before;
  root_expected.erase(std::remove(root_expected.begin(), root_expected.end(), L"hdgr_temp_setup"), root_expected.end());
  EXPECT_EQ(root_after, root_expected) << "nothing new at the drive's root";
  EXPECT_EQ(ReadInstalledCopy(), (StoredCopy{L".", L"3", L"4", L"0"}));
}

// A stored folder the upgrade must never write: the work folder itself, where another user
// put a copy to be "upgraded", a folder inside it, and a drive's root. Each is refused
// before anything changes: the work folder is not moved aside, the copy found stays, and
// nothing is reported as upgraded.
TEST_F(SecurityTest, AStoredFolderInTheWorkFolderOrAtADrivesRootIsNeverUpgraded) {
  const std::vector<std::uint8_t> planted(40'000, 0x17);
  struct Case {
    const wchar_t* folder;
    const char* says;
  };
  for (const Case& c : {Case{L"c:\\hdgr_temp_setup", "the setup's own work folder"},
                        Case{L"C:\\HDGR_TEMP_SETUP\\product", "the setup's own work folder"},
                        Case{L"c:\\", "the root of a drive"}}) {
    SCOPED_TRACE(win32::Utf8(c.folder));
    Reset();
    ASSERT_TRUE(CreateDirectoryW(kWorkFolder, nullptr));
    ASSERT_TRUE(wine_host::OpenToEveryone(kWorkFolder));
    const std::wstring folder = c.folder;
    if (folder.size() > 3) CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring program = (folder.back() == L'\\' ? folder : folder + L"\\") + L"HaldenGrid.exe";
    WriteWholeFile(program, planted);
    StoreInstalledCopy(folder, L"3", L"3", L"9");
    const std::wstring log = TempPath(L"hdgr_e2e_stored_folder.log");
    DeleteFileW(log.c_str());

    setup_ = Start(SetupProgramPath(), L"/quiet /log \"" + log + L"\"");
    EXPECT_EQ(setup_.WaitForExit(kTimeout), 1u);
    const std::string said = Text(ReadWholeFile(log));
    EXPECT_NE(said.find("mode upgrade"), std::string::npos) << said;
    EXPECT_NE(said.find("Run-time error 75"), std::string::npos) << said;
    EXPECT_NE(said.find(c.says), std::string::npos) << said;
    EXPECT_EQ(said.find("moved aside"), std::string::npos) << said;
    EXPECT_EQ(said.find("Upgrade complete"), std::string::npos) << said;
    EXPECT_EQ(ReadWholeFile(program), planted);
    EXPECT_EQ(ReadInstalledCopy().minor, L"3");
    DeleteFileW(program.c_str());
    DeleteFileW(log.c_str());
  }
}

}  // namespace
}  // namespace hdgr::e2e
