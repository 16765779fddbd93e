// Another program on the same desktop posts the setup's window what it never asked for: a
// click on a disabled button, a new caption, a timer tick, a second accept, a quit, the
// session's end. Nothing it posts installs, replaces or records what the user did not
// accept, and every exit code says how the run really ended.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/form_design.h"
#include "platform/win32/base/wide_text.h"
#include "setup_window/design.h"
#include "tests/e2e/driver/e2e_input.h"
#include "tests/e2e/driver/e2e_message_box.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/product_state.h"
#include "tests/wine/wine_host.h"

namespace hdgr::e2e {
namespace {

constexpr auto kTimeout = 60s;
constexpr wchar_t kLogFolder[] = L"c:\\hdgr e2e forged";
constexpr wchar_t kLog[] = L"c:\\hdgr e2e forged\\run.log";
constexpr UINT kQuit = WM_QUIT;
const std::vector<std::uint8_t> kOldProgram(40'000, 0x5A);

int IdOf(std::string_view name) {
  const FormDesign& design = SetupWindowDesign();
  return ControlId(design, *FindControl(design, name));
}
WPARAM ClickOf(std::string_view button) { return MAKEWPARAM(IdOf(button), BN_CLICKED); }
std::wstring Number(std::uintptr_t value) { return std::to_wstring(value); }
std::wstring Handle(HWND window) { return Number(reinterpret_cast<std::uintptr_t>(window)); }

std::string LogText() {
  const std::vector<std::uint8_t> bytes = Exists(kLog) ? ReadWholeFile(kLog) : std::vector<std::uint8_t>{};
  return std::string(bytes.begin(), bytes.end());
}

class ForgedMessagesTest : public ProgramRunTest {
 protected:
  enum class Installed { kNothing, kOlder, kNewer };

  void SetUp() override {
    ProgramRunTest::SetUp();
    Clear();
  }
  void TearDown() override {
    forger_.Kill();
    ProgramRunTest::TearDown();
    wine_host::RemoveTree(kLogFolder);
  }
  void Clear() {
    forger_.Kill();
    Reset();
    product_folder_.reset();
    wine_host::RemoveTree(kLogFolder);
    std::filesystem::create_directories(std::filesystem::path(kLogFolder));
  }
  void Install(Installed installed) {
    if (installed == Installed::kNothing) return;
    product_folder_.emplace();
    WriteWholeFile(product_folder_->ProgramPath(), kOldProgram);
    if (installed == Installed::kOlder) StoreInstalledCopy(product_folder_->Path(), L"3", L"3", L"9");
    else StoreInstalledCopy(product_folder_->Path(), L"9", L"0", L"0");
  }
  // The message posted to `window` (WM_QUIT to its thread) by the forger; its exit code.
  DWORD Post(HWND window, UINT message, WPARAM wparam) {
    return Forge(L"post " + Handle(window) + L" " + Number(message) + L" " + Number(wparam) + L" 0");
  }
  // The message sent to `window` by the forger: 100 + the window's answer.
  DWORD Send(HWND window, UINT message, WPARAM wparam) {
    return Forge(L"send " + Handle(window) + L" " + Number(message) + L" " + Number(wparam) + L" 0");
  }
  // The forger run to its end, for one message; its exit code.
  DWORD Forge(const std::wstring& arguments) {
    Process forger = Start(HostPath(HDGR_FORGER_EXE), arguments);
    return forger.WaitForExit(kTimeout).value_or(999);
  }
  // The forger posting `message` to every window of `window_class` until the test ends.
  void Flood(const wchar_t* window_class, UINT message, WPARAM wparam, LPARAM lparam = 0) {
    forger_ = Start(HostPath(HDGR_FORGER_EXE), L"flood " + std::wstring(window_class) + L" " + Number(message) + L" " +
                                                   Number(wparam) + L" " + Number(static_cast<std::uintptr_t>(lparam)));
  }
  // The forger posting `message` to every thread of the setup's program until the test
  // ends: a quiet run has no window to post to.
  void FloodThreads(UINT message, WPARAM wparam, LPARAM lparam = 0) {
    const std::wstring program = std::filesystem::path(SetupProgramPath()).filename().wstring();
    forger_ = Start(HostPath(HDGR_FORGER_EXE), L"floodthreads \"" + program + L"\" " + Number(message) + L" " +
                                                   Number(wparam) + L" " + Number(static_cast<std::uintptr_t>(lparam)));
  }
  // Starts the setup with `switches` and its log; with a window, waits until it shows,
  // answering the version check's box when one comes first.
  HWND StartSetup(const std::wstring& switches, bool with_window = true) {
    setup_ = Start(SetupProgramPath(), switches + L" /log \"" + kLog + L"\"");
    if (!with_window) return nullptr;
    for (const auto until = std::chrono::steady_clock::now() + kTimeout; std::chrono::steady_clock::now() < until;) {
      if (HWND window = WaitForWindow(kSetupTitle, 0ms, setup_.Id(), kSetupFormClass)) {
        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10'000, nullptr);
        return window;
      }
      if (const auto box = WaitForMessageBox(L"hdGR", 0ms, setup_.Id())) PressOk(box->window);
      std::this_thread::sleep_for(10ms);
    }
    return nullptr;
  }
  void ExpectStillWaiting() {
    std::this_thread::sleep_for(1500ms);
    EXPECT_TRUE(setup_.Running()) << LogText();
  }
  // What an install run leaves, or that nothing was installed.
  void ExpectInstalled(bool installed) const {
    EXPECT_EQ(Exists(DemoInstallerMarkerPath()), installed);
    if (installed) {
      for (int segment = 0; segment < 3; ++segment)
        EXPECT_TRUE(ReadWholeFile(std::wstring(kWorkFolder) + L"\\" + PayloadName(segment)) == PayloadBytes(segment));
      EXPECT_EQ(ReadSetting(L"app_Major"), L"3");
      EXPECT_EQ(ReadSetting(L"app_Minor"), L"4");
    } else {
      EXPECT_FALSE(WorkFolderExists());
    }
  }
  void ExpectProgram(const std::vector<std::uint8_t>& bytes) const {
    ASSERT_TRUE(product_folder_.has_value());
    EXPECT_TRUE(ReadWholeFile(product_folder_->ProgramPath()) == bytes);
  }
  void ExpectLogHas(const std::vector<std::string>& lines) const {
    const std::string log = LogText();
    for (const std::string& line : lines) EXPECT_NE(log.find(line), std::string::npos) << line << "\nin\n" << log;
  }

  Process forger_;
  std::optional<ProductFolder> product_folder_;
};

// While the window waits, only what the user could do counts: a click on the button the
// setup has disabled, whatever the window shows, and a tick or a quit nobody asked for
// change nothing; a caption changed to "upgrade" chooses no upgrade.
TEST_F(ForgedMessagesTest, WhileTheWindowWaitsOnlyWhatTheUserCanDoCounts) {
  struct Case {
    const char* name;
    Installed installed = Installed::kNothing;
    std::function<void(HWND window)> forge;
    bool then_accept = false;  // the user accepts afterwards; otherwise cancels
    DWORD code = 4;
    std::vector<std::string> log;
  };
  const Case cases[] = {
      {.name = "a click on the disabled accept button", .installed = Installed::kNewer,
       .forge = [this](HWND window) { EXPECT_EQ(Post(window, WM_COMMAND, ClickOf("Command1")), 0u); }, .code = 3,
       .log = {"ignored a click for the disabled button Command1, which another program posted"}},
      {.name = "the accept button enabled and captioned upgrade, then clicked", .installed = Installed::kNewer,
       .forge =
           [this](HWND window) {
             const HWND button = ControlOf(window, "Command1").window;
             EXPECT_EQ(Forge(L"settext " + Handle(button) + L" \"Accept terms of upgrade\""), 0u);
             EXPECT_EQ(Forge(L"enable " + Handle(button)), 0u);
             EXPECT_EQ(ControlOf(window, "Command1").caption, L"Accept terms of upgrade");
             Click(button);  // a real click on what the window now shows
             EXPECT_EQ(Post(window, WM_COMMAND, ClickOf("Command1")), 0u);
           },
       .code = 3, .log = {"nothing to do", "exit code 3"}},
      {.name = "no copy stored, the caption changed to upgrade",
       .forge =
           [this](HWND window) {
             const HWND button = ControlOf(window, "Command1").window;
             EXPECT_EQ(Forge(L"settext " + Handle(button) + L" \"Accept terms of upgrade\""), 0u);
           },
       .then_accept = true, .code = 0, .log = {"started c:\\hdgr_temp_setup\\Setup.exe", "exit code 0"}},
      {.name = "a timer tick before accept",
       .forge = [this](HWND window) { EXPECT_EQ(Post(window, WM_TIMER, IdOf("Timer1")), 0u); },
       .log = {"ignored a tick for the timer Timer1, which is off", "cancelled", "exit code 4"}},
      {.name = "a density change pointing nowhere",
       .forge =
           [this](HWND window) {
             EXPECT_EQ(Forge(L"post " + Handle(window) + L" " + Number(WM_DPICHANGED) + L" " +
                             Number(MAKEWPARAM(192, 192)) + L" 1"),
                       0u);
           },
       .log = {"cancelled", "exit code 4"}},
      {.name = "a timer tick naming code to call",
       .forge =
           [this](HWND window) {
             EXPECT_EQ(Forge(L"post " + Handle(window) + L" " + Number(WM_TIMER) + L" 7 " + Number(0x140001000)), 0u);
           },
       .log = {"cancelled", "exit code 4"}},
      {.name = "a quit with 0 before accept",
       .forge = [this](HWND window) { EXPECT_EQ(Forge(L"quit " + Handle(window) + L" 0"), 0u); },
       .log = {"ignored a quit message with exit code 0", "exit code 4"}},
      {.name = "the session asked to end before accept",
       .forge =
           [this](HWND window) {
             EXPECT_EQ(Send(window, WM_QUERYENDSESSION, 0), 101u) << "may end";
             EXPECT_EQ(Send(window, WM_ENDSESSION, FALSE), 100u);
             // Windows would end the process now; Wine leaves it running.
             EXPECT_EQ(Send(window, WM_ENDSESSION, TRUE), 100u);
           },
       .log = {"the session goes on", "the session ends: the setup changed nothing", "exit code 4"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Clear();
    Install(c.installed);
    HWND window = StartSetup(L"");
    ASSERT_NE(window, nullptr);
    c.forge(window);
    ExpectStillWaiting();
    Click(ControlOf(window, c.then_accept ? "Command1" : "Command2").window);
    EXPECT_EQ(setup_.WaitForExit(kTimeout), c.code) << LogText();
    ExpectInstalled(c.then_accept);
    EXPECT_FALSE(Exists(L"c:\\HaldenGrid.exe"));
    if (c.installed == Installed::kNewer) {
      ExpectProgram(kOldProgram);
      EXPECT_EQ(ReadSetting(L"app_Major"), L"9");
    }
    ExpectLogHas(c.log);
  }
}

// Once accepted, the run goes its way to its own end: a cancel, a second accept, a tick, a
// quit and the session's end are posted while it shows a box in the middle of it (a work
// folder others could change is moved aside), and none of them stops, repeats or ends it.
TEST_F(ForgedMessagesTest, AnAcceptedRunGoesOnWhateverIsPostedInTheMiddleOfIt) {
  ASSERT_TRUE(CreateDirectoryW(kWorkFolder, nullptr));
  ASSERT_TRUE(wine_host::OpenToEveryone(kWorkFolder));
  HWND window = StartSetup(L"");
  ASSERT_NE(window, nullptr);
  Click(ControlOf(window, "Command1").window);
  const auto box = WaitForMessageBox(L"Halden Grid setup", kTimeout, setup_.Id());
  ASSERT_TRUE(box.has_value()) << LogText();

  EXPECT_EQ(Post(window, WM_COMMAND, ClickOf("Command2")), 0u);
  EXPECT_EQ(Post(window, WM_COMMAND, ClickOf("Command1")), 0u);
  EXPECT_EQ(Post(window, WM_TIMER, IdOf("Timer1")), 0u);
  EXPECT_EQ(Send(window, WM_QUERYENDSESSION, 0), 100u) << "refused";
  EXPECT_EQ(Send(window, WM_ENDSESSION, FALSE), 100u);
  std::this_thread::sleep_for(500ms);
  EXPECT_TRUE(setup_.Running());
  // A quit ends the box's own loop, as OK would (Windows posts it again for the program's
  // loop, which notes and drops it; Wine's box keeps it).
  EXPECT_EQ(Forge(L"quit " + Handle(window) + L" 3"), 0u);
  if (!setup_.WaitForExit(5s)) {
    if (const auto still = WaitForMessageBox(L"Halden Grid setup", 0ms, setup_.Id())) {
      ADD_FAILURE() << "the quit did not close the box";
      PressOk(still->window);
    }
  }
  EXPECT_EQ(setup_.WaitForExit(kTimeout), 0u) << LogText();
  ExpectInstalled(true);
  ExpectLogHas({"ignored a click for the disabled button Command2", "ignored a click for the disabled button Command1",
                "ignored a tick for the timer Timer1", "asked to end the session during the run: refused",
                "the session goes on", "exit code 0"});
}

// Messages posted again and again from before the setup starts to its end reach every
// phase of unattended runs that pumps, and the run ends as it would have alone; a quiet run,
// which makes no window, gets them at its threads. (A quiet upgrade under Wine copies faster
// than the pump's pace: its ticks may land only at the start-up's pumps.)
TEST_F(ForgedMessagesTest, AFloodOfForgedMessagesChangesNoUnattendedRun) {
  struct Case {
    const char* name;
    const wchar_t* switches = L"/passive";
    const wchar_t* window_class = kSetupFormClass;  // nullptr: to the setup's threads
    UINT message;
    WPARAM wparam = 0;
    LPARAM lparam = 0;
    Installed installed = Installed::kNothing;
    std::vector<std::string> log;
  };
  const Case cases[] = {
      // Alt+Space, as a user may press it mid-copy: the system menu's loop would hold the copy.
      {.name = "the system menu asked for during a passive install",
       .message = WM_SYSCOMMAND,
       .wparam = SC_KEYMENU,
       .lparam = VK_SPACE,
       .log = {"exit code 0"}},
      {.name = "cancel clicks during a passive install",
       .message = WM_COMMAND,
       .wparam = ClickOf("Command2"),
       .log = {"ignored a click for the disabled button Command2", "exit code 0"}},
      {.name = "quits with 3 during a passive install",
       .message = kQuit,
       .wparam = 3,
       .log = {"ignored a quit message with exit code 3", "exit code 0"}},
      {.name = "accept clicks during a passive upgrade",
       .message = WM_COMMAND,
       .wparam = ClickOf("Command1"),
       .installed = Installed::kOlder,
       .log = {"message \"Halden Grid\": Upgrade complete", "exit code 0"}},
      {.name = "timer ticks during a quiet upgrade",
       .switches = L"/quiet",
       .window_class = nullptr,
       .message = WM_TIMER,
       .wparam = static_cast<WPARAM>(IdOf("Timer1")),
       .installed = Installed::kOlder,
       .log = {"message \"Halden Grid\": Upgrade complete", "exit code 0"}},
      {.name = "close requests during a quiet install",
       .switches = L"/quiet",
       .window_class = nullptr,
       .message = WM_CLOSE,
       .log = {"exit code 0"}},
      {.name = "quits with 0 during a quiet upgrade",
       .switches = L"/quiet",
       .window_class = nullptr,
       .message = kQuit,
       .installed = Installed::kOlder,
       .log = {"message \"Halden Grid\": Upgrade complete", "exit code 0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Clear();
    Install(c.installed);
    if (c.window_class != nullptr) Flood(c.window_class, c.message, c.wparam, c.lparam);
    else FloodThreads(c.message, c.wparam, c.lparam);
    std::this_thread::sleep_for(200ms);  // the forger is watching before the setup starts
    StartSetup(c.switches, false);
    EXPECT_EQ(setup_.WaitForExit(kTimeout), 0u) << LogText();
    forger_.Kill();
    if (c.installed == Installed::kOlder) {
      ExpectProgram(PayloadBytes(3));
      EXPECT_EQ(ReadSetting(L"app_Minor"), L"3") << "an upgrade records nothing";
      const std::string log = LogText();
      EXPECT_EQ(log.find("Upgrade complete"), log.rfind("Upgrade complete")) << "one upgrade, not two";
    } else {
      ExpectInstalled(true);
    }
    ExpectLogHas(c.log);
  }
}

}  // namespace
}  // namespace hdgr::e2e
