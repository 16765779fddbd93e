#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <chrono>
#include <thread>

#include "platform/win32/base/unique_handle.h"
#include "platform/win32/base/wide_text.h"
#include "platform/win32/display/common_controls.h"
#include "platform/win32/display/paced_event_pump.h"
#include "platform/win32/display/win32_progress_bar.h"
#include "platform/win32/display/win32_user32.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/window/gdi_handles.h"
#include "win32_test_support.h"

namespace hdgr::win32::testing {
namespace {

// A top-level window with a progress bar, destroyed with the test.
class WindowTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    LoadCommonControls();
    owned_window_.Reset(CreateWindowExW(0, L"STATIC", Wide(title).c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10,
                                        10, 400, 200, nullptr, nullptr, nullptr, nullptr));
    window = owned_window_.Get();
    ASSERT_NE(window, nullptr);
    bar_window = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 10, 10, 300, 20,
                                 window, nullptr, nullptr, nullptr);
    ASSERT_NE(bar_window, nullptr);
  }
  void TearDown() override {
    app.SetPendingDisplay(nullptr);  // the tests' bars are gone by now
    app.CloseAllFiles();
    owned_window_.Reset();
    TempFolderTest::TearDown();
  }

  int Shown() const { return static_cast<int>(SendMessageW(bar_window, PBM_GETPOS, 0, 0)); }
  bool Waiting() const {
    MSG message;
    return PeekMessageW(&message, window, WM_APP, WM_APP, PM_NOREMOVE) != 0;
  }

  const std::string title = "Halden Grid – Prüf Ωindow " + std::to_string(GetCurrentProcessId());
  OwnedWindow owned_window_;
  HWND window = nullptr;
  HWND bar_window = nullptr;
  Win32Services app;
};

TEST_F(WindowTest, ThePumpRunsAtTheDisplaysPaceAndShowsTheLastValue) {
  Win32ProgressBar bar(bar_window);
  app.SetPendingDisplay(&bar);
  bar.SetMax(28'277.73f);
  PostMessageW(window, WM_APP, 0, 0);
  app.PumpEvents();
  EXPECT_TRUE(Waiting()) << "the pace counts from the bar's last show";

  Sleep(40);  // past the next tick of the system's tick count
  const ULONGLONG before = GetTickCount64();
  app.PumpEvents();
  EXPECT_FALSE(Waiting()) << "a due pump handles what waits";

  bar.SetValue(1484);
  PostMessageW(window, WM_APP, 0, 0);
  app.PumpEvents();
  if (GetTickCount64() - before < 15) {  // else the tick moved on: the pump was due
    EXPECT_TRUE(Waiting()) << "a pump within 15 ms of the last returns at once";
    EXPECT_EQ(Shown(), 0) << "Value is only recorded until the pump runs";
  }
  Sleep(40);  // past the next tick of the system's tick count
  app.PumpEvents();
  EXPECT_FALSE(Waiting());
  EXPECT_EQ(Shown(), Win32ProgressBar::PositionOf(1484, 28'277.73f));

  bar.SetValue(1500);  // a sixth of a pixel on
  Sleep(40);
  app.PumpEvents();
  EXPECT_EQ(Shown(), Win32ProgressBar::PositionOf(1484, 28'277.73f)) << "no repaint that changes no pixel";
  bar.SetValue(28'000);
  app.OpenRandomFile(Path("segment.bin"), 1);
  app.CloseFile(1);
  EXPECT_EQ(Shown(), Win32ProgressBar::PositionOf(1484, 28'277.73f)) << "a file's close keeps the pace";

  // A due pump comes at the first call after the interval.
  Sleep(40);
  PostMessageW(window, WM_APP, 0, 0);
  app.PumpEvents();
  EXPECT_FALSE(Waiting());

  bar.SetValue(28'277);
  app.CloseAllFiles();  // every run ends so: its last Value goes on screen
  PumpAllMessages();    // as the window's loop does right after the run
  EXPECT_EQ(Shown(), Win32ProgressBar::PositionOf(28'277, 28'277.73f));
  EXPECT_LT(Shown(), Win32ProgressBar::kPositions) << "the bar stops just short of full";
  EXPECT_GT(Shown(), Win32ProgressBar::kPositions / 10000 * 9999);
}

TEST(ProgressBarPosition, IsValueOverMaxOfTheRangeWithinItsEnds) {
  constexpr int kAll = Win32ProgressBar::kPositions;
  EXPECT_EQ(Win32ProgressBar::PositionOf(0, 28'277.73f), 0);
  EXPECT_EQ(Win32ProgressBar::PositionOf(1, 100), kAll / 100);
  EXPECT_EQ(Win32ProgressBar::PositionOf(28'277, 28'277.73f), 99'997'417);
  EXPECT_EQ(Win32ProgressBar::PositionOf(18'104.3f, 18'104.32f), 99'999'892);
  EXPECT_EQ(Win32ProgressBar::PositionOf(200, 100), kAll);
  EXPECT_EQ(Win32ProgressBar::PositionOf(-5, 100), 0);
  EXPECT_EQ(Win32ProgressBar::PositionOf(5, 0), 0);
  // The setup window's bar is 317 pixels wide: both runs end a pixel short of full.
  EXPECT_EQ(Win32ProgressBar::PixelsOf(99'997'417, 317), 316);
  EXPECT_EQ(Win32ProgressBar::PixelsOf(99'999'892, 317), 316);
  EXPECT_EQ(Win32ProgressBar::PixelsOf(kAll, 317), 317);
  EXPECT_EQ(Win32ProgressBar::PixelsOf(315'457, 317), 0) << "a first point fills nothing";
}

struct AnsweredBox {
  bool found = false;
  std::string text;
  HWND owner = nullptr;
};

// Runs `show`, which shows a message box titled `title`, and answers the box with OK from
// another thread, noting its text and owner.
AnsweredBox AnswerMessageBox(const std::string& title, const std::function<void()>& show) {
  AnsweredBox box;
  std::thread answerer([&] {
    for (int tries = 0; tries < 200; ++tries) {
      if (HWND found = FindWindowW(L"#32770", Wide(title).c_str())) {
        wchar_t text[512] = {};
        GetDlgItemTextW(found, 0xFFFF, text, 512);  // the box's text control
        box = {true, Utf8(text), GetWindow(found, GW_OWNER)};
        PostMessageW(found, WM_COMMAND, IDOK, 0);
        return;
      }
      Sleep(50);
    }
  });
  show();
  answerer.join();
  return box;
}

TEST_F(WindowTest, MessageBoxesPassTheirTextAndAreOwnedByTheSetupWindowOnceItExists) {
  const std::string text = "The utility is running?\r\r[Please close Prodütto first]";
  const AnsweredBox before = AnswerMessageBox("hdGR test: no owner", [&] {
    app.ShowMessage(text, MessageIcon::kInformation, "hdGR test: no owner");
  });
  ASSERT_TRUE(before.found);
  EXPECT_EQ(before.text, text);
  EXPECT_EQ(before.owner, nullptr);

  app.SetOwnerWindow(window);
  const AnsweredBox owned = AnswerMessageBox("hdGR test: owned", [&] {
    app.ShowMessage(text, MessageIcon::kError, "hdGR test: owned");
  });
  ASSERT_TRUE(owned.found);
  EXPECT_EQ(owned.owner, window);
}

TEST_F(WindowTest, User32FindsTopLevelWindowsByTheirExactTitle) {
  Win32User32 user32;
  EXPECT_EQ(user32.FindWindowByTitle(title), reinterpret_cast<WindowHandle>(window));
  EXPECT_EQ(user32.FindWindowByTitle(title + " "), 0);
  EXPECT_EQ(user32.FindWindowByTitle("Halden Grid - no such window"), 0);
  const auto handle = reinterpret_cast<WindowHandle>(window);
  user32.SetWindowPos(handle, kHwndTop, 30, 40, 300, 150, SWP_NOACTIVATE);
  const WindowRect rect = user32.GetWindowRect(handle);
  EXPECT_EQ(rect.left, 30);
  EXPECT_EQ(rect.top, 40);
  EXPECT_EQ(rect.right - rect.left, 300);
  EXPECT_EQ(rect.bottom - rect.top, 150);
}

TEST(ScreenMetrics, AreTheScreensPixelsInTwips) {
  Win32Services app;
  const ScreenMetrics metrics = app.GetScreenMetrics();
  const ScreenDc screen;
  const int dpi = GetDeviceCaps(screen.Get(), LOGPIXELSX);
  EXPECT_FLOAT_EQ(metrics.twips_per_pixel_x, 1440.0f / static_cast<float>(dpi));
  EXPECT_FLOAT_EQ(metrics.width_twips / metrics.twips_per_pixel_x,
                  static_cast<float>(GetSystemMetrics(SM_CXSCREEN)));
  EXPECT_FLOAT_EQ(metrics.height_twips / metrics.twips_per_pixel_y,
                  static_cast<float>(GetSystemMetrics(SM_CYSCREEN)));
}

}  // namespace
}  // namespace hdgr::win32::testing
