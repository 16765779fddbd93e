// The form a run without a screen uses, against the window it stands in for: the logic
// must see the same controls, captions and states, and the same failures, and its timer
// must tick as events; nothing may show, and no window is made at all.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "platform/run_time_error.h"
#include "platform/win32/window/form_window.h"
#include "platform/win32/window/headless_form.h"
#include "tests/e2e/toolkit/pump.h"

namespace hdgr::win32 {
namespace {

using namespace std::chrono_literals;

constexpr std::array kControls{
    ControlDesign{.name = "Box", .kind = ControlKind::kPictureBox, .twips = {0, 0, 6000, 4000},
                  .back_colour = Rgb(1, 0, 66)},
    ControlDesign{.name = "Status", .kind = ControlKind::kLabel, .container = "Box", .twips = {300, 300, 3000, 300},
                  .caption = "Ready to install!", .font = FontSpec{"Arial", 12.0f}, .keeps_right_edge = true},
    ControlDesign{.name = "Digit", .index = 0, .kind = ControlKind::kLabel, .container = "Box",
                  .twips = {300, 800, 300, 300}, .caption = "3"},
    ControlDesign{.name = "Digit", .index = 1, .kind = ControlKind::kLabel, .container = "Box",
                  .twips = {700, 800, 300, 300}, .caption = "4"},
    ControlDesign{.name = "Title", .kind = ControlKind::kLabel, .container = "Box", .twips = {300, 1300, 3000, 300},
                  .caption = "Setup && Upgrade"},
    ControlDesign{.name = "Terms", .kind = ControlKind::kTextBox, .container = "Box", .twips = {300, 1800, 3000, 900},
                  .caption = "Terms\r\nof use", .tab_index = 0, .tab_stop = true, .sunken_border = true},
    ControlDesign{.name = "Frame", .kind = ControlKind::kShape, .container = "Box", .twips = {200, 200, 5000, 3000}},
    ControlDesign{.name = "Accept", .kind = ControlKind::kCommandButton, .container = "Box",
                  .twips = {300, 3000, 2000, 400}, .caption = "Accept terms of install", .tab_index = 1,
                  .tab_stop = true},
    ControlDesign{.name = "Cancel", .kind = ControlKind::kCommandButton, .container = "Box",
                  .twips = {2500, 3000, 1200, 400}, .caption = "Cancel", .tab_index = 2, .tab_stop = true},
    ControlDesign{.name = "Bar", .kind = ControlKind::kProgressBar, .container = "Box", .twips = {300, 3500, 3000, 255}},
    ControlDesign{.name = "Tick", .kind = ControlKind::kTimer, .container = "Box", .interval_ms = 50, .enabled = false},
};
constexpr FormDesign kDesign{.name = "headless",
                             .caption = "Headless form test",
                             .client_width_twips = 6000,
                             .client_height_twips = 4000,
                             .back_colour = {1, 0, 66},
                             .default_font = {"MS Sans Serif", 8.25f},
                             .controls = kControls};

// What the logic reads back after `change`, in the window and in the headless form.
template <class Read>
void ExpectSameAfter(const std::function<void(Form&)>& change, const Read& read, const char* what) {
  FormWindow window(kDesign);
  HeadlessForm headless(kDesign);
  change(window);
  change(headless);
  EXPECT_EQ(read(headless), read(window)) << what;
}

TEST(HeadlessFormTest, TheLogicReadsWhatItWouldReadFromTheWindow) {
  struct Case {
    const char* what;
    std::function<void(Form&)> change;
  };
  const auto none = [](Form&) {};
  const Case cases[] = {
      {"as designed", none},
      {"a caption with ampersands", [](Form& f) { f.LabelNamed("Status").SetCaption("Tom && Jerry & co"); }},
      {"a caption beyond ASCII", [](Form& f) { f.LabelNamed("Status").SetCaption("Your version: 3.\xC3\xBC.0"); }},
      {"an empty caption", [](Form& f) { f.LabelNamed("Digit", 1).SetCaption(""); }},
      {"a button's new caption", [](Form& f) { f.ButtonNamed("Accept").SetCaption("Accept terms of upgrade"); }},
      {"a disabled button", [](Form& f) { f.ButtonNamed("Accept").SetEnabled(false); }},
      {"disabled and enabled again", [](Form& f) {
         f.ButtonNamed("Cancel").SetEnabled(false);
         f.ButtonNamed("Cancel").SetEnabled(true);
       }},
      {"hidden and coloured labels", [](Form& f) {
         f.LabelNamed("Title").SetVisible(false);
         f.LabelNamed("Digit", 0).SetForeColor(kWhite);
       }},
  };
  const auto captions = [](Form& f) {
    return f.LabelNamed("Status").Caption() + "|" + f.LabelNamed("Digit", 0).Caption() + "|" +
           f.LabelNamed("Digit", 1).Caption() + "|" + f.LabelNamed("Title").Caption() + "|" +
           f.ButtonNamed("Accept").Caption() + "|" + f.ButtonNamed("Cancel").Caption();
  };
  const auto states = [](Form& f) {
    return std::array{f.ButtonNamed("Accept").Enabled(), f.ButtonNamed("Cancel").Enabled()};
  };
  for (const Case& c : cases) {
    ExpectSameAfter(c.change, captions, c.what);
    ExpectSameAfter(c.change, states, c.what);
  }
}

TEST(HeadlessFormTest, ALookupFailsAsTheWindowsDoes) {
  struct Case {
    const char* what;
    std::function<void(Form&)> lookup;
  };
  const Case cases[] = {
      {"no such name", [](Form& f) { f.LabelNamed("Nothing"); }},
      {"an item past the array", [](Form& f) { f.LabelNamed("Digit", 2); }},
      {"an array without its index", [](Form& f) { f.LabelNamed("Digit"); }},
      {"a label asked for as a button", [](Form& f) { f.ButtonNamed("Status"); }},
      {"a text box as a label", [](Form& f) { f.LabelNamed("Terms"); }},
      {"a timer's handler on a button", [](Form& f) { f.OnTimer("Accept", [] {}); }},
      {"a click on a label", [](Form& f) { f.OnClick("Status", [] {}); }},
  };
  const auto failure = [](Form& form, const std::function<void(Form&)>& lookup) -> std::optional<std::string> {
    try {
      lookup(form);
    } catch (const RunTimeError& error) {
      return error.MessageText();
    }
    return std::nullopt;
  };
  FormWindow window(kDesign);
  HeadlessForm headless(kDesign);
  for (const Case& c : cases) {
    const std::optional<std::string> expected = failure(window, c.lookup);
    ASSERT_TRUE(expected.has_value()) << c.what;
    EXPECT_EQ(failure(headless, c.lookup), expected) << c.what;
  }
}

TEST(HeadlessFormTest, TheTimerTicksAsEventsOnlyWhileOn) {
  HeadlessForm form(kDesign);
  int ticks = 0;
  form.OnTimer("Tick", [&] { ++ticks; });
  Pump(200ms);
  EXPECT_EQ(ticks, 0) << "off as designed";
  form.TimerNamed("Tick").SetEnabled(true);
  Pump(400ms);
  EXPECT_GE(ticks, 2);
  form.TimerNamed("Tick").SetEnabled(false);
  const int stopped_at = ticks;
  Pump(200ms);
  EXPECT_EQ(ticks, stopped_at);
}

// The thread's windows, top-level and message-only.
int WindowsOfThisThread() {
  int count = 0;
  EnumThreadWindows(
      GetCurrentThreadId(), [](HWND, LPARAM counted) -> BOOL { return ++*reinterpret_cast<int*>(counted) > 0; },
      reinterpret_cast<LPARAM>(&count));
  for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); window != nullptr;
       window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr))
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) ++count;
  return count;
}

TEST(HeadlessFormTest, NothingShowsAndNoWindowIsMade) {
  const int before = WindowsOfThisThread();
  HeadlessForm form(kDesign);
  form.LabelNamed("Status").SetCaption("Extracting...");
  form.ProgressBarNamed("Bar").SetMax(10);
  form.ProgressBarNamed("Bar").SetValue(5);
  form.TimerNamed("Tick").SetEnabled(true);
  Pump(100ms);
  EXPECT_EQ(WindowsOfThisThread(), before);
  EXPECT_EQ(form.hWnd(), 0);
}

}  // namespace
}  // namespace hdgr::win32
