// The window toolkit in this process, on a real window: repainting, closing and timing
// behaviour that the setup program's window relies on.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/win32/window/form_colours.h"
#include "platform/win32/window/form_window.h"
#include "platform/win32/window/gdi_handles.h"
#include "tests/e2e/driver/e2e_process.h"
#include "tests/e2e/driver/e2e_screen.h"
#include "tests/e2e/driver/e2e_windows.h"
#include "tests/e2e/toolkit/pump.h"

namespace hdgr::win32 {
namespace {

using namespace std::chrono_literals;

constexpr e2e::Rgb kBackground{1, 0, 66};
constexpr e2e::Rgb kYellow{255, 255, 0};

constexpr std::array kControls{
    ControlDesign{.name = "Box", .kind = ControlKind::kPictureBox, .twips = {0, 0, 6000, 3000},
                  .back_colour = Rgb(1, 0, 66), .tab_index = 0, .tab_stop = true, .sunken_border = true},
    ControlDesign{.name = "Status", .kind = ControlKind::kLabel, .container = "Box", .twips = {1500, 300, 3000, 300},
                  .caption = "A rather long status caption", .font = FontSpec{"Arial", 12.0f},
                  .fore_colour = Rgb(255, 255, 0), .tab_index = 1, .keeps_right_edge = true},
    ControlDesign{.name = "Title", .kind = ControlKind::kLabel, .container = "Box", .twips = {300, 1200, 1500, 360},
                  .caption = "Setup && Upgrade", .font = FontSpec{"Arial", 15.75f}, .fore_colour = Rgb(255, 255, 255),
                  .tab_index = 2},
    ControlDesign{.name = "Tick", .kind = ControlKind::kTimer, .container = "Box", .interval_ms = 50, .enabled = false},
};
constexpr FormDesign kDesign{.name = "toolkit",
                             .caption = "Window toolkit test",
                             .client_width_twips = 6000,
                             .client_height_twips = 3000,
                             .back_colour = {1, 0, 66},
                             .default_font = {"MS Sans Serif", 8.25f},
                             .controls = kControls};

class WindowToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.Show();
    SetWindowPos(Top(), HWND_TOPMOST, 100, 100, 0, 0, SWP_NOSIZE);
    Pump(300ms);
  }
  HWND Top() const { return reinterpret_cast<HWND>(window_.hWnd()); }
  // The label's box in the client area.
  RECT Box(std::string_view name) const {
    const int id = ControlId(kDesign, *FindControl(kDesign, name));
    for (const e2e::ControlInfo& control : e2e::ListControls(Top()))
      if (control.id == id) return control.rect;
    return RECT{};
  }
  static bool Inside(const RECT& rect, int x, int y) {
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
  }

  FormWindow window_{kDesign};
};

TEST_F(WindowToolkitTest, ACaptionChangeLeavesNoTraceOfTheOldText) {
  const RECT before = Box("Status");
  window_.LabelNamed("Status").SetCaption("Short");
  Pump(300ms);
  const RECT after = Box("Status");
  EXPECT_EQ(after.right, before.right) << "the right edge stays";
  EXPECT_LT(after.right - after.left, before.right - before.left);
  EXPECT_EQ(e2e::WindowText(e2e::ControlWithId(Top(), ControlId(kDesign, kControls[1])).window), L"Short");

  const e2e::ScreenCapture shown = e2e::CaptureClient(Top());
  int traces = 0, letters = 0;
  for (int y = before.top; y < before.bottom; ++y) {
    for (int x = before.left; x < before.right; ++x) {
      if (Inside(after, x, y)) letters += shown.At(x, y) == kYellow;
      else traces += shown.At(x, y) != kBackground;
    }
  }
  EXPECT_EQ(traces, 0);
  EXPECT_GT(letters, 0);
}

TEST_F(WindowToolkitTest, AHiddenLabelLeavesOnlyWhatLiesBeneath) {
  const RECT box = Box("Status");
  window_.LabelNamed("Status").SetVisible(false);
  Pump(300ms);
  const e2e::ScreenCapture shown = e2e::CaptureClient(Top());
  int traces = 0;
  for (int y = box.top; y < box.bottom; ++y)
    for (int x = box.left; x < box.right; ++x) traces += shown.At(x, y) != kBackground;
  EXPECT_EQ(traces, 0);
}

TEST_F(WindowToolkitTest, ADoubledAmpersandShowsAsOneAndReadsBackDoubled) {
  const RECT box = Box("Title");
  const Font font = CreateDesignFont(*kControls[2].font);
  const ScreenDc screen;
  const Selection selected(screen.Get(), font.Get());
  RECT one{0, 0, 0, 0}, two{0, 0, 0, 0};
  DrawTextW(screen.Get(), L"Setup & Upgrade", -1, &one, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
  DrawTextW(screen.Get(), L"Setup && Upgrade", -1, &two, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
  ASSERT_LT(one.right, two.right);
  EXPECT_EQ(box.right - box.left, one.right) << "the label is as wide as the text with one ampersand";
  EXPECT_EQ(window_.LabelNamed("Title").Caption(), "Setup && Upgrade");
}

TEST_F(WindowToolkitTest, CloseRequestsReachTheHandlerOnlyWhileClosingIsOn) {
  int requests = 0;
  window_.OnCloseRequest([&] { ++requests; });
  window_.SetCloseEnabled(false);
  SendMessageW(Top(), WM_SYSCOMMAND, SC_CLOSE, 0);  // Alt+F4 and the system menu
  SendMessageW(Top(), WM_CLOSE, 0, 0);
  EXPECT_EQ(requests, 0);
  EXPECT_TRUE(GetMenuState(GetSystemMenu(Top(), FALSE), SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_TRUE(IsWindow(Top()));
  window_.SetCloseEnabled(true);
  SendMessageW(Top(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(requests, 1);
  EXPECT_TRUE(IsWindow(Top())) << "the handler decides; the window does not close itself";
}

// A run copies inside the window's own messages: while closing is off, a system menu or a
// drag asked for, by key, mouse or message, opens no modal loop that would hold the copy.
// With closing on they open (a second thread ends them), which shows the test can tell.
TEST_F(WindowToolkitTest, WhileClosingIsOffNoMenuOrDragHoldsTheWindowsMessages) {
  const auto seconds_to_handle = [&](UINT message, WPARAM wparam, LPARAM lparam) {
    std::atomic<bool> handled{false};
    std::thread ender([&] {
      for (int i = 0; i < 150 && !handled; ++i) std::this_thread::sleep_for(10ms);
      while (!handled) {
        PostMessageW(Top(), WM_CANCELMODE, 0, 0);  // ends a menu's or a drag's loop
        keybd_event(VK_ESCAPE, 0, 0, 0);
        keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
        std::this_thread::sleep_for(100ms);
      }
    });
    const auto start = std::chrono::steady_clock::now();
    PostMessageW(Top(), message, wparam, lparam);
    Pump(50ms);
    handled = true;
    ender.join();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  struct Ask {
    const char* name;
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
  };
  for (const Ask& ask :
       {Ask{"Alt+Space", WM_SYSCOMMAND, SC_KEYMENU, VK_SPACE},
        Ask{"the title bar's menu", WM_SYSCOMMAND, SC_MOUSEMENU, 0},
        Ask{"a drag of the title bar", WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0},
        Ask{"a right click on the title bar", WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Top()), MAKELPARAM(150, 110)}}) {
    SCOPED_TRACE(ask.name);
    window_.SetCloseEnabled(false);
    EXPECT_LT(seconds_to_handle(ask.message, ask.wparam, ask.lparam), 1.0) << "a modal loop held the messages";
  }
  window_.SetCloseEnabled(true);
  EXPECT_GE(seconds_to_handle(WM_SYSCOMMAND, SC_KEYMENU, VK_SPACE), 1.4) << "the menu did not open: no proof";
}

// High contrast on (Wine cannot turn the system's setting on: the window is told): the
// labels in the system's text colour on the system's window colour, 4.5:1 or more, no
// picture or designed colour left; off again, the design as it was.
TEST_F(WindowToolkitTest, HighContrastDrawsTheLabelsInTheSystemsColoursAndOffTheDesign) {
  const e2e::ScreenCapture designed = e2e::CaptureClient(Top());
  bool on = false;
  window_.ReadHighContrastWith([&] { return on; });
  on = true;
  SendMessageW(Top(), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
  Pump(200ms);
  const e2e::ScreenCapture shown = e2e::CaptureClient(Top());
  const COLORREF window_colour = GetSysColor(COLOR_WINDOW), text_colour = GetSysColor(COLOR_WINDOWTEXT);
  const e2e::Rgb background{GetRValue(window_colour), GetGValue(window_colour), GetBValue(window_colour)};
  const e2e::Rgb text{GetRValue(text_colour), GetGValue(text_colour), GetBValue(text_colour)};
  for (const char* name : {"Status", "Title"}) {
    SCOPED_TRACE(name);
    const RECT box = Box(name);
    int letters = 0, other = 0;
    for (int y = box.top; y < box.bottom; ++y) {
      for (int x = box.left; x < box.right; ++x) {
        const e2e::Rgb pixel = shown.At(x, y);
        letters += pixel == text;
        // Anti-aliased letter edges lie between the two colours; nothing else may show.
        other += pixel == kYellow || pixel == kBackground;
      }
    }
    EXPECT_GT(letters, 0);
    EXPECT_EQ(other, 0) << "the designed colours still show";
  }
  EXPECT_GE(e2e::ContrastRatio(text, background), 4.5);
  EXPECT_EQ(shown.At(2, 2), background) << "the box's own colour, or a picture, still shows";
  std::filesystem::create_directories(std::filesystem::path(HDGR_TOOLKIT_ARTIFACTS));
  e2e::SaveBitmap(shown, e2e::HostPath(std::string(HDGR_TOOLKIT_ARTIFACTS) + "/toolkit-high-contrast.bmp"));

  on = false;
  SendMessageW(Top(), WM_SYSCOLORCHANGE, 0, 0);
  Pump(200ms);
  const e2e::ScreenCapture back = e2e::CaptureClient(Top());
  int differing = 0;
  for (int y = 0; y < back.Height(); ++y)
    for (int x = 0; x < back.Width(); ++x) differing += !(back.At(x, y) == designed.At(x, y));
  EXPECT_EQ(differing, 0) << "the design did not come back";
}

TEST_F(WindowToolkitTest, TheTimerTicksOnlyWhileOn) {
  int ticks = 0;
  window_.OnTimer("Tick", [&] { ++ticks; });
  Pump(200ms);
  EXPECT_EQ(ticks, 0) << "off as designed";
  window_.TimerNamed("Tick").SetEnabled(true);
  Pump(400ms);
  EXPECT_GE(ticks, 2);
  window_.TimerNamed("Tick").SetEnabled(false);
  const int stopped_at = ticks;
  Pump(200ms);
  EXPECT_EQ(ticks, stopped_at);
}

// Where the system tells monitors apart, a window moved to a monitor of twice the density
// hears of it in WM_DPICHANGED; back on the first monitor it is as it was.
TEST_F(WindowToolkitTest, AMoveToAMonitorOfAnotherDensityLaysTheDesignOutAgain) {
  const RECT status = Box("Status"), title = Box("Title");
  const SIZE client = e2e::ClientSize(Top());
  RECT outer;
  GetWindowRect(Top(), &outer);

  RECT suggested{50, 60, 50 + 2 * (outer.right - outer.left), 60 + 2 * (outer.bottom - outer.top)};
  SendMessageW(Top(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
  Pump(300ms);
  EXPECT_EQ(e2e::ClientSize(Top()).cx, 2 * client.cx);
  EXPECT_EQ(e2e::ClientSize(Top()).cy, 2 * client.cy);
  RECT moved;
  GetWindowRect(Top(), &moved);
  EXPECT_EQ(moved.left, 50);
  EXPECT_EQ(moved.top, 60);
  const RECT big_status = Box("Status"), big_title = Box("Title");
  EXPECT_NEAR(big_status.right, 2 * status.right, 1) << "the right edge it keeps";
  EXPECT_NEAR(big_title.left, 2 * title.left, 1);
  EXPECT_NEAR(big_title.top, 2 * title.top, 1);
  // Its font by its point size: twice as many pixels.
  EXPECT_NEAR(big_title.bottom - big_title.top, 2 * (title.bottom - title.top), 3);
  const e2e::ScreenCapture shown = e2e::CaptureClient(Top());
  int letters = 0;
  for (int y = big_status.top; y < big_status.bottom; ++y)
    for (int x = big_status.left; x < big_status.right; ++x) letters += shown.At(x, y) == kYellow;
  EXPECT_GT(letters, 0) << "the label paints at its new place";

  suggested = RECT{50, 60, 50 + outer.right - outer.left, 60 + outer.bottom - outer.top};
  SendMessageW(Top(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
  Pump(300ms);
  EXPECT_EQ(e2e::ClientSize(Top()).cx, client.cx);
  const RECT status_again = Box("Status"), title_again = Box("Title");
  EXPECT_TRUE(EqualRect(&status, &status_again));
  EXPECT_TRUE(EqualRect(&title, &title_again));
}

}  // namespace
}  // namespace hdgr::win32
