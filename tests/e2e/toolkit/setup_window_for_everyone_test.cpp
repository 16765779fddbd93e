// The setup window itself, made in this process from its design and the package's
// resources: what a screen reader reads of each control, and the window in high contrast
// (Wine hands another process a generic object for every window, and cannot turn high
// contrast on: here the window is told).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <string>

#include "platform/win32/window/form_window.h"
#include "setup_window/design.h"
#include "tests/e2e/driver/e2e_process.h"
#include "tests/e2e/driver/e2e_screen.h"
#include "tests/e2e/toolkit/pump.h"
#include "tests/e2e/toolkit/screen_reader.h"

namespace hdgr::win32 {
namespace {

using namespace std::chrono_literals;

HWND ControlWindow(HWND top, std::string_view name, int index = kNoIndex) {
  const FormDesign& design = SetupWindowDesign();
  const ControlDesign& control = *FindControl(design, name, index);
  const HWND container =
      control.container.empty() ? top : GetDlgItem(top, ControlId(design, *FindControl(design, control.container)));
  return GetDlgItem(container, ControlId(design, control));
}

e2e::Rgb FromColorRef(COLORREF colour) { return e2e::Rgb{GetRValue(colour), GetGValue(colour), GetBValue(colour)}; }

class SetupWindowForEveryoneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.Show();
    SetWindowPos(Top(), HWND_TOPMOST, 50, 50, 0, 0, SWP_NOSIZE);
    Pump(300ms);
  }
  HWND Top() const { return reinterpret_cast<HWND>(window_.hWnd()); }
  FormWindow window_{SetupWindowDesign()};
};

// Each control as a person expects to hear it: the labels as static text with their
// captions, the version once, the first focus named after the window's purpose.
TEST_F(SetupWindowForEveryoneTest, AScreenReaderReadsEachControlsRoleAndName) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  struct Row {
    const char* name;
    int index;
    long role;             // -1: the system's object for the control's own class says
    std::wstring read_as;  // empty: left out of what is read
  };
  const Row rows[] = {
      {"Picture1", kNoIndex, ROLE_SYSTEM_CLIENT, L"Halden Grid - Setup"},
      {"Command1", kNoIndex, -1, L"Accept terms of install"},
      {"Command2", kNoIndex, -1, L"Cancel"},
      {"Text1", kNoIndex, ROLE_SYSTEM_TEXT, L"Terms of use"},
      {"ProgressBar1", kNoIndex, -1, L"Progress"},
      {"Label1", kNoIndex, ROLE_SYSTEM_STATICTEXT, L"Progress"},
      {"Label2", 0, ROLE_SYSTEM_STATICTEXT, L"Halden Grid"},
      {"Label3", 0, ROLE_SYSTEM_STATICTEXT, L"3.4.0"},
      {"Label3", 1, ROLE_SYSTEM_STATICTEXT, L""},
      {"Label3", 2, ROLE_SYSTEM_STATICTEXT, L""},
      {"Label4", 0, ROLE_SYSTEM_STATICTEXT, L""},
      {"Label4", 1, ROLE_SYSTEM_STATICTEXT, L""},
      {"Label5", kNoIndex, ROLE_SYSTEM_STATICTEXT, L"Your version: 0"},
      {"Label2", 1, ROLE_SYSTEM_STATICTEXT, L"Setup & Upgrade"},
      {"Label6", 0, ROLE_SYSTEM_STATICTEXT, L"Halden Labs"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.name) + " " + std::to_string(row.index));
    ExpectReadAs(ControlWindow(Top(), row.name, row.index), row.role, row.read_as);
  }
  CoUninitialize();
}

// High contrast on, with the black scheme's colours: every label in the system's text
// colour on the system's window colour, 4.5:1 or more, no picture behind it; off, the
// design exactly as it was.
TEST_F(SetupWindowForEveryoneTest, HighContrastShowsTheLabelsInTheSystemsColoursAndOffTheDesign) {
  const e2e::ScreenCapture designed = e2e::CaptureClient(Top());
  const std::array<int, 2> elements{COLOR_WINDOW, COLOR_WINDOWTEXT};
  const std::array<COLORREF, 2> before{GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT)};
  const std::array<COLORREF, 2> black{RGB(0, 0, 0), RGB(255, 255, 255)};
  bool on = false;
  window_.ReadHighContrastWith([&] { return on; });
  on = true;
  SetSysColors(static_cast<int>(elements.size()), elements.data(), black.data());  // sends WM_SYSCOLORCHANGE
  SendMessageW(Top(), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
  Pump(300ms);
  const e2e::ScreenCapture shown = e2e::CaptureClient(Top());
  const e2e::Rgb background = FromColorRef(black[0]);
  EXPECT_EQ(shown.At(0, 0), background) << "the picture still shows";
  for (const auto& [name, index] : {std::pair{"Label1", kNoIndex},
                                    {"Label2", 0},
                                    {"Label2", 1},
                                    {"Label3", 0},
                                    {"Label3", 1},
                                    {"Label3", 2},
                                    {"Label4", 0},
                                    {"Label4", 1},
                                    {"Label5", kNoIndex},
                                    {"Label6", 0}}) {
    SCOPED_TRACE(std::string(name) + " " + std::to_string(index));
    RECT box;
    GetWindowRect(ControlWindow(Top(), name, index), &box);
    MapWindowPoints(nullptr, Top(), reinterpret_cast<POINT*>(&box), 2);
    double best = 1.0;
    int around = 0;
    for (int y = std::max(0L, box.top); y < std::min<LONG>(box.bottom, shown.Height()); ++y) {
      for (int x = std::max(0L, box.left); x < std::min<LONG>(box.right, shown.Width()); ++x) {
        best = std::max(best, e2e::ContrastRatio(shown.At(x, y), background));
        around += shown.At(x, y) == background;
      }
    }
    EXPECT_GE(best, 4.5) << "letters of too little contrast";
    EXPECT_GT(around, 0) << "no system window colour around the letters";
  }
  std::filesystem::create_directories(std::filesystem::path(HDGR_TOOLKIT_ARTIFACTS));
  e2e::SaveBitmap(shown, e2e::HostPath(std::string(HDGR_TOOLKIT_ARTIFACTS) + "/setup-window-high-contrast-96dpi.bmp"));

  on = false;
  SetSysColors(static_cast<int>(elements.size()), elements.data(), before.data());
  Pump(300ms);
  const e2e::ScreenCapture back = e2e::CaptureClient(Top());
  int differing = 0;
  for (int y = 0; y < back.Height(); ++y)
    for (int x = 0; x < back.Width(); ++x) differing += !(back.At(x, y) == designed.At(x, y));
  EXPECT_EQ(differing, 0) << "the design did not come back";
}

}  // namespace
}  // namespace hdgr::win32
