// The setup for everyone: what a screen reader hears, boxes that show above the setup's
// topmost window, focus cues once the keyboard is used. (What it reads of each control:
// the window toolkit's tests, in their own process, since Wine's accessibility layer hands
// another process a generic object for every window.) (High contrast: the window toolkit's tests, since Wine cannot
// turn it on.)
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

#include <string>
#include <thread>

#include "platform/win32/base/wide_text.h"
#include "tests/e2e/driver/e2e_input.h"
#include "tests/e2e/driver/e2e_message_box.h"
#include "tests/e2e/driver/e2e_screen.h"
#include "tests/e2e/driver/e2e_windows.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/product_state.h"

namespace hdgr::e2e {
namespace {

constexpr auto kTimeout = 60s;

class AccessibilityTest : public ProgramRunTest {};

// The status line is a live region: each change of it is told to a screen reader, which
// announces it without the focus on it.
TEST_F(AccessibilityTest, EachChangeOfTheStatusLineIsAnnouncedAsALiveRegion) {
  HWND window = StartToWindow();
  ASSERT_NE(window, nullptr);
  static std::vector<std::pair<DWORD, HWND>> events;
  events.clear();
  const HWINEVENTHOOK hook = SetWinEventHook(
      EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr,
      [](HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
        if (object == OBJID_CLIENT && child == CHILDID_SELF) events.emplace_back(event, hwnd);
      },
      setup_.Id(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  const HWND status = ControlOf(window, "Label5").window;
  Click(ControlOf(window, "Command1").window);
  for (const auto until = std::chrono::steady_clock::now() + kTimeout;
       std::chrono::steady_clock::now() < until && setup_.Running();) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    std::this_thread::sleep_for(5ms);
  }
  UnhookWinEvent(hook);
  EXPECT_EQ(setup_.WaitForExit(0ms), 0u);
  const auto count = [&](DWORD event) { return std::count(events.begin(), events.end(), std::pair{event, status}); };
  EXPECT_GE(count(EVENT_OBJECT_LIVEREGIONCHANGED), 1) << "\"Extracting...\" was not announced";
  EXPECT_EQ(count(EVENT_OBJECT_NAMECHANGE), count(EVENT_OBJECT_LIVEREGIONCHANGED));
}

// A second setup's box opens above the first one's topmost window, where the user sees
// it, not behind it holding the keyboard.
TEST_F(AccessibilityTest, TheAnotherSetupBoxShowsAboveTheFirstSetupsWindow) {
  HWND first = StartToWindow();
  ASSERT_NE(first, nullptr);
  Process second = Start(SetupProgramPath());
  const auto box = WaitForMessageBox(L"Halden Grid - Setup", kTimeout, second.Id());
  ASSERT_TRUE(box.has_value());
  std::this_thread::sleep_for(300ms);
  RECT rect;
  GetWindowRect(box->window, &rect);
  const POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  const HWND hit = GetAncestor(WindowFromPoint(centre), GA_ROOT);
  EXPECT_EQ(hit, box->window) << "another window lies above the box: " << win32::Utf8(ClassOf(hit)) << " "
                              << win32::Utf8(WindowText(hit)) << ", the box topmost: "
                              << ((GetWindowLongPtrW(box->window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
  // What the screen shows there is the box, not the setup window beneath it.
  const ScreenCapture screen(RECT{centre.x, centre.y, centre.x + 1, centre.y + 1});
  RECT first_rect;
  GetWindowRect(first, &first_rect);
  POINT in_first = centre;
  ScreenToClient(first, &in_first);
  const CarrierImage carrier;
  if (PtInRect(&first_rect, centre)) {
    EXPECT_NE(screen.At(0, 0), carrier.Pixel(in_first.x + 7, in_first.y + 53)) << "the setup's picture shows there";
  }
  PressOk(box->window);
  EXPECT_EQ(second.WaitForExit(10s), 5u);
}

// Tab shows the focus cues the system hides until the keyboard is used.
TEST_F(AccessibilityTest, TheFocusCuesShowOnceTabIsPressed) {
  HWND window = StartToWindow();
  ASSERT_NE(window, nullptr);
  BringToFront(window);
  PressKeys(window, "Tab");
  std::this_thread::sleep_for(300ms);
  const HWND accept = ControlOf(window, "Command1").window;
  const auto state = static_cast<DWORD>(SendMessageW(accept, WM_QUERYUISTATE, 0, 0));
  EXPECT_EQ(state & UISF_HIDEFOCUS, 0u);
}

}  // namespace
}  // namespace hdgr::e2e
