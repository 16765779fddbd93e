// What a screen reader reads of a window made from a design: each control's role, name and
// whether it is read at all, asked through the system's accessibility library as a screen
// reader asks. In this process: Wine hands another process a generic object for every
// window, whatever the window answers.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <string>

#include "platform/win32/window/form_window.h"
#include "tests/e2e/toolkit/pump.h"
#include "tests/e2e/toolkit/screen_reader.h"

namespace hdgr::win32 {
namespace {

using namespace std::chrono_literals;

constexpr std::array kControls{
    ControlDesign{.name = "Box",
                  .kind = ControlKind::kPictureBox,
                  .twips = {0, 0, 6000, 3000},
                  .back_colour = Rgb(1, 0, 66),
                  .tab_index = 0,
                  .tab_stop = true,
                  .sunken_border = true,
                  .accessible_name = "Toolkit setup"},
    ControlDesign{.name = "Accept",
                  .kind = ControlKind::kCommandButton,
                  .container = "Box",
                  .twips = {300, 2400, 1500, 360},
                  .caption = "Accept",
                  .tab_index = 1,
                  .tab_stop = true},
    ControlDesign{.name = "Terms",
                  .kind = ControlKind::kTextBox,
                  .container = "Box",
                  .twips = {300, 1500, 3000, 600},
                  .caption = "Terms",
                  .tab_index = 2,
                  .tab_stop = true,
                  .accessible_name = "Terms of use"},
    ControlDesign{.name = "Bar",
                  .kind = ControlKind::kProgressBar,
                  .container = "Box",
                  .twips = {3600, 2400, 1500, 255},
                  .tab_index = 3,
                  .accessible_name = "Progress"},
    ControlDesign{.name = "Status",
                  .kind = ControlKind::kLabel,
                  .container = "Box",
                  .twips = {1500, 300, 3000, 300},
                  .caption = "Ready",
                  .font = FontSpec{"Arial", 12.0f},
                  .fore_colour = Rgb(255, 255, 0),
                  .tab_index = 4,
                  .live_region = true},
    ControlDesign{.name = "Digit",
                  .index = 0,
                  .kind = ControlKind::kLabel,
                  .container = "Box",
                  .twips = {300, 900, 165, 345},
                  .caption = "3",
                  .font = FontSpec{"Arial", 14.25f},
                  .fore_colour = Rgb(255, 255, 0),
                  .tab_index = 5,
                  .accessible_name = "3.4.0"},
    ControlDesign{.name = "Dot",
                  .index = 0,
                  .kind = ControlKind::kLabel,
                  .container = "Box",
                  .twips = {480, 900, 75, 360},
                  .caption = ".",
                  .font = FontSpec{"Arial", 14.25f},
                  .fore_colour = Rgb(255, 128, 0),
                  .tab_index = 6,
                  .read_with_another = true},
    ControlDesign{.name = "Title",
                  .kind = ControlKind::kLabel,
                  .container = "Box",
                  .twips = {300, 300, 1500, 360},
                  .caption = "Setup && Upgrade",
                  .font = FontSpec{"Arial", 15.75f},
                  .fore_colour = Rgb(255, 255, 255),
                  .tab_index = 7},
};
constexpr FormDesign kDesign{.name = "accessible",
                             .caption = "Accessible objects test",
                             .client_width_twips = 6000,
                             .client_height_twips = 3000,
                             .back_colour = {1, 0, 66},
                             .default_font = {"MS Sans Serif", 8.25f},
                             .controls = kControls};

TEST(AccessibleObjectTest, EachControlIsReadWithTheRoleAndNameAPersonExpects) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  {
    FormWindow window(kDesign);
    window.Show();
    Pump(200ms);
    const HWND top = reinterpret_cast<HWND>(window.hWnd());
    const auto control = [&](std::string_view name, int index = kNoIndex) {
      const ControlDesign& design = *FindControl(kDesign, name, index);
      const HWND container =
          design.container.empty() ? top : GetDlgItem(top, ControlId(kDesign, *FindControl(kDesign, design.container)));
      return GetDlgItem(container, ControlId(kDesign, design));
    };
    struct Row {
      const char* name;
      int index;
      long role;             // -1: whatever the system's object for a window of its own class says
      std::wstring read_as;  // empty: left out of what is read
    };
    const Row rows[] = {
        {"Box", kNoIndex, ROLE_SYSTEM_CLIENT, L"Toolkit setup"},
        {"Terms", kNoIndex, ROLE_SYSTEM_TEXT, L"Terms of use"},
        {"Bar", kNoIndex, -1, L"Progress"},
        {"Status", kNoIndex, ROLE_SYSTEM_STATICTEXT, L"Ready"},
        {"Digit", 0, ROLE_SYSTEM_STATICTEXT, L"3.4.0"},
        {"Dot", 0, ROLE_SYSTEM_STATICTEXT, L""},
        {"Title", kNoIndex, ROLE_SYSTEM_STATICTEXT, L"Setup & Upgrade"},
    };
    for (const Row& row : rows) {
      SCOPED_TRACE(row.name);
      const HWND hwnd = control(row.name, row.index);
      ASSERT_NE(hwnd, nullptr);
      ExpectReadAs(hwnd, row.role, row.read_as);
    }
    // A label's name follows its caption.
    window.LabelNamed("Status").SetCaption("Extracting...");
    EXPECT_EQ(ReadAsAScreenReader(control("Status")).name, L"Extracting...");
  }
  CoUninitialize();
}

// Without a screen reader nothing of the accessibility library is loaded: it comes with
// the first request only.
TEST(AccessibleObjectTest, NoAccessibilityLibraryIsLoadedUntilAScreenReaderAsks) {
  FormWindow window(kDesign);
  window.Show();
  Pump(200ms);
  window.LabelNamed("Status").SetCaption("Extracting...");  // notified, with nobody listening
  Pump(100ms);
  // This test program links the library itself; what matters is that the window did not
  // initialise COM on its thread.
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK) << "COM was already set up on this thread";
  CoUninitialize();
}

}  // namespace
}  // namespace hdgr::win32
