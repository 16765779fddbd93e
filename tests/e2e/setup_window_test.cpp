#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "platform/win32/base/unique_handle.h"
#include "platform/win32/base/wide_text.h"
#include "platform/win32/window/form_colours.h"
#include "setup_window/design.h"
#include "tests/e2e/driver/e2e_input.h"
#include "tests/e2e/driver/e2e_message_box.h"
#include "tests/e2e/e2e_fixture.h"

namespace hdgr::e2e {
namespace {

constexpr int kClientWidth = 510;
constexpr int kClientHeight = 290;

std::string Name(std::string_view name, int index) {
  return index == kNoIndex ? std::string(name) : std::string(name) + "(" + std::to_string(index) + ")";
}

RECT Rect(int x, int y, int width, int height) { return RECT{x, y, x + width, y + height}; }

testing::AssertionResult SameRect(const RECT& actual, const RECT& expected) {
  if (EqualRect(&actual, &expected)) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "at " << actual.left << "," << actual.top << " size "
                                     << actual.right - actual.left << "x" << actual.bottom - actual.top
                                     << ", expected " << expected.left << "," << expected.top << " size "
                                     << expected.right - expected.left << "x" << expected.bottom - expected.top;
}

// A caption's size set on one line in the label's font, as this system measures it.
SIZE TextExtent(const ControlDesign& label, const std::wstring& caption) {
  const win32::Font font = win32::CreateDesignFont(*label.font);
  const win32::ScreenDc screen;
  const win32::Selection selected(screen.Get(), font.Get());
  RECT measured{0, 0, 0, 0};
  DrawTextW(screen.Get(), caption.c_str(), static_cast<int>(caption.size()), &measured, DT_SINGLELINE | DT_CALCRECT);
  return SIZE{measured.right, measured.bottom};
}

TEST_F(SetupWindowTest, FixedDialogFrameOutOfTheTaskbarWithTheDesignedClientArea) {
  EXPECT_EQ(WindowText(window_), L"Halden Grid - Setup");
  const SIZE client = ClientSize(window_);
  EXPECT_EQ(client.cx, kClientWidth);
  EXPECT_EQ(client.cy, kClientHeight);
  const LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
  const LONG_PTR ex_style = GetWindowLongPtrW(window_, GWL_EXSTYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU) << "a close box";
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  // Out of the taskbar: owned by a hidden window, and neither an app window nor a tool window.
  HWND owner = GetWindow(window_, GW_OWNER);
  ASSERT_NE(owner, nullptr);
  EXPECT_FALSE(IsWindowVisible(owner));
  EXPECT_FALSE(ex_style & (WS_EX_APPWINDOW | WS_EX_TOOLWINDOW));
  EXPECT_TRUE(ex_style & WS_EX_TOPMOST) << "placed as a topmost window";
}

TEST_F(SetupWindowTest, WindowedControlsStandAtTheirDesignedPixels) {
  struct Expected {
    std::string_view name;
    int index;
    const wchar_t* class_name;
    RECT rect;
  };
  const Expected controls[] = {
      {"Picture1", kNoIndex, L"HdgrPictureBox", Rect(-9, -55, 599, 577)},
      {"Command1", kNoIndex, L"Button", Rect(236, 198, 142, 24)},
      {"Command2", kNoIndex, L"Button", Rect(384, 197, 72, 24)},
      {"Text1", kNoIndex, L"Edit", Rect(21, 103, 446, 84)},
      {"ProgressBar1", kNoIndex, L"msctls_progress32", Rect(146, 247, 317, 17)},
      {"Picture2", 0, L"HdgrPictureBox", Rect(27, 290, 63, 55)},
      {"Picture2", 1, L"HdgrPictureBox", Rect(-7, -57, 63, 55)},
      {"Picture2", 2, L"HdgrPictureBox", Rect(10, 291, 63, 55)},
      {"Picture2", 3, L"HdgrPictureBox", Rect(0, 292, 63, 55)},
  };
  for (const Expected& expected : controls) {
    SCOPED_TRACE(Name(expected.name, expected.index));
    const ControlInfo control = Control(expected.name, expected.index);
    EXPECT_EQ(control.class_name, expected.class_name);
    EXPECT_TRUE(SameRect(control.rect, expected.rect));
    EXPECT_TRUE(control.visible);
    EXPECT_TRUE(control.enabled);
  }
}

TEST_F(SetupWindowTest, LabelsFitTheirCaptionsAtTheirDesignedEdges) {
  struct Expected {
    std::string_view name;
    int index;
    const wchar_t* caption;
    int edge;  // the left edge, or the right edge for the two labels that keep it
    int top;
  };
  // Label5 has the install mode's caption: the store is empty.
  const Expected labels[] = {
      {"Label1", kNoIndex, L"Progress", 138, 248},        {"Label2", 0, L"Halden Grid", 20, 23},
      {"Label3", 0, L"3", 157, 24},                       {"Label3", 1, L"4", 176, 24},
      {"Label3", 2, L"0", 194, 24},                       {"Label4", 0, L".", 169, 23},
      {"Label4", 1, L".", 190, 23},                       {"Label5", kNoIndex, L"Ready to install!", 475, 53},
      {"Label2", 1, L"Setup && Upgrade", 212, 24},        {"Label6", 0, L"Halden Labs", 19, 9},
  };
  const FormDesign& design = SetupWindowDesign();
  for (const Expected& expected : labels) {
    SCOPED_TRACE(Name(expected.name, expected.index));
    const ControlInfo label = Control(expected.name, expected.index);
    EXPECT_EQ(label.caption, expected.caption);
    const ControlDesign& designed = *FindControl(design, expected.name, expected.index);
    const SIZE extent = TextExtent(designed, expected.caption);
    const int left = designed.keeps_right_edge ? expected.edge - extent.cx : expected.edge;
    EXPECT_TRUE(SameRect(label.rect, Rect(left, expected.top, extent.cx, extent.cy)));
    EXPECT_TRUE(label.visible);
  }
}

TEST_F(SetupWindowTest, ButtonsAndTermsReadAsDesigned) {
  EXPECT_EQ(Control("Command1").caption, L"Accept terms of install");
  EXPECT_EQ(Control("Command2").caption, L"Cancel");
  const std::wstring terms = Control("Text1").caption;
  EXPECT_EQ(terms.size(), 394u);
  EXPECT_EQ(terms, win32::Wide(kTermsText));
  const LONG_PTR style = GetWindowLongPtrW(Control("Text1").window, GWL_STYLE);
  EXPECT_TRUE(style & ES_MULTILINE);
  EXPECT_TRUE(style & WS_VSCROLL);
  EXPECT_FALSE(style & WS_HSCROLL);
  // Neither button is a default button: Enter has nothing to press by default.
  EXPECT_FALSE(GetWindowLongPtrW(Control("Command1").window, GWL_STYLE) & BS_DEFPUSHBUTTON);
  EXPECT_FALSE(GetWindowLongPtrW(Control("Command2").window, GWL_STYLE) & BS_DEFPUSHBUTTON);
}

TEST_F(SetupWindowTest, Picture1ShowsTheCarrierUnscaledFromColumn7Row53) {
  const CarrierImage carrier;
  const ScreenCapture shown = CaptureClient(window_);
  EXPECT_EQ(shown.At(0, 0), carrier.Pixel(7, 53));
  // The client area's edges hold nothing but the picture: no logo box reaches in, and
  // any scaling would shift these pixels.
  int differing = 0;
  for (int x = 0; x < kClientWidth; ++x)
    for (int y : {0, 1, kClientHeight - 2, kClientHeight - 1})
      differing += shown.At(x, y) != carrier.Pixel(x + 7, y + 53);
  for (int y = 0; y < kClientHeight; ++y)
    for (int x : {0, 2, 500, kClientWidth - 1}) differing += shown.At(x, y) != carrier.Pixel(x + 7, y + 53);
  EXPECT_EQ(differing, 0);
}

TEST_F(SetupWindowTest, ShapesAndLabelsPaintInTheirColoursOverThePicture) {
  const ScreenCapture shown = CaptureClient(window_);
  const Rgb green{0, 192, 0}, grey{128, 128, 128};
  // A point on each outline, away from the labels and controls.
  EXPECT_EQ(shown.At(300, 6), green) << "Shape1(3) top";
  EXPECT_EQ(shown.At(481, 40), green) << "Shape1(3) right";
  EXPECT_EQ(shown.At(100, 87), green) << "Shape1(2) top";
  EXPECT_EQ(shown.At(6, 150), green) << "Shape1(2) left";
  EXPECT_EQ(shown.At(300, 191), grey) << "Shape1(1) top";
  EXPECT_EQ(shown.At(250, 228), grey) << "Shape1(1) bottom";
  EXPECT_EQ(shown.At(100, 234), green) << "Shape1(0) top";
  EXPECT_EQ(shown.At(100, 278), green) << "Shape1(0) bottom";

  const CarrierImage carrier;
  struct Look {
    std::string_view name;
    int index;
    Rgb colour;
  };
  const Rgb white{255, 255, 255}, yellow{255, 255, 0}, orange{255, 128, 0};
  const Look looks[] = {{"Label1", kNoIndex, white}, {"Label2", 0, white}, {"Label2", 1, white},
                        {"Label3", 0, yellow},       {"Label3", 1, yellow}, {"Label3", 2, yellow},
                        {"Label4", 0, orange},       {"Label4", 1, orange}, {"Label5", kNoIndex, yellow},
                        {"Label6", 0, white}};
  for (const Look& look : looks) {
    SCOPED_TRACE(Name(look.name, look.index));
    const RECT box = Control(look.name, look.index).rect;
    int letters = 0, picture = 0;
    for (int y = box.top; y < box.bottom; ++y) {
      for (int x = box.left; x < box.right; ++x) {
        letters += shown.At(x, y) == look.colour;
        picture += shown.At(x, y) == carrier.Pixel(x + 7, y + 53);
      }
    }
    EXPECT_GT(letters, 0) << "no pixel in the label's colour";
    EXPECT_GT(picture, 0) << "the label hides the picture around its letters";
  }
}

TEST_F(SetupWindowTest, ChangedCaptionsKeepTheirRightEdgesAndLeaveNoTrace) {
  const RECT status_before = Control("Label5").rect;
  Click(Control("Command1").window);
  // The install run sets Label5, then Label1; the program ends a second after the copies.
  const auto until = std::chrono::steady_clock::now() + 20s;
  while (Control("Label1").caption != L"Extracting setup files" && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(20ms);
  std::this_thread::sleep_for(100ms);
  const ScreenCapture shown = CaptureClient(window_);
  const ControlInfo status = Control("Label5");
  const ControlInfo progress = Control("Label1");
  ASSERT_EQ(progress.caption, L"Extracting setup files");
  EXPECT_EQ(status.caption, L"Extracting...");
  EXPECT_EQ(status.rect.right, 475);
  EXPECT_EQ(progress.rect.right, 138);
  EXPECT_LT(progress.rect.right, Control("ProgressBar1").rect.left) << "clear of the bar";
  EXPECT_FALSE(Control("Command1").enabled);
  EXPECT_FALSE(Control("Command2").enabled);

  const CarrierImage carrier;
  int traces = 0;
  for (int y = status_before.top; y < status_before.bottom; ++y)
    for (int x = status_before.left; x < status.rect.left; ++x)
      traces += shown.At(x, y) != carrier.Pixel(x + 7, y + 53);
  EXPECT_EQ(traces, 0) << "what \"Ready to install!\" covered shows the picture again";
}

TEST_F(SetupWindowTest, EnterAndEscapeChangeNothing) {
  ASSERT_EQ(FocusedControl(window_), Control("Picture1").window);
  PressKeys(window_, "Enter");
  PressKeys(window_, "Escape");
  std::this_thread::sleep_for(1s);
  EXPECT_TRUE(process_.Running());
  EXPECT_FALSE(WaitForMessageBox(L"Halden Grid", 0ms, process_.Id()).has_value());
  EXPECT_EQ(Control("Label5").caption, L"Ready to install!");
  EXPECT_TRUE(Control("Command1").enabled);
  EXPECT_TRUE(Control("Command2").enabled);
  EXPECT_FALSE(WorkFolderExists());
  EXPECT_FALSE(ProductSettingsExist());
}

TEST_F(SetupWindowTest, TabMovesThroughAcceptCancelAndTermsAfterPicture1) {
  const HWND picture1 = Control("Picture1").window;
  const HWND accept_button = Control("Command1").window;
  const HWND cancel_button = Control("Command2").window;
  const HWND text1 = Control("Text1").window;
  EXPECT_EQ(FocusedControl(window_), picture1);
  for (HWND expected : {accept_button, cancel_button, text1, picture1}) {
    PressKeys(window_, "Tab");
    EXPECT_EQ(FocusedControl(window_), expected);
  }
  PressKeys(window_, "Shift+Tab");
  EXPECT_EQ(FocusedControl(window_), text1);
  EXPECT_EQ(Control("Text1").caption, win32::Wide(kTermsText)) << "Tab typed into the terms";
}

}  // namespace
}  // namespace hdgr::e2e
