// Cancel, every way a user can, in every mode: the program ends, says so in its exit code,
// and has written nothing.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/win32/base/wide_text.h"
#include "tests/e2e/driver/e2e_input.h"
#include "tests/e2e/driver/e2e_message_box.h"
#include "tests/e2e/driver/e2e_windows.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/product_state.h"

namespace hdgr::e2e {
namespace {

constexpr auto kTimeout = 60s;

enum class Way { kButton, kCloseBox, kEnterOnTheFocusedButton };
enum class Mode { kInstall, kUpgrade, kCurrent };

void Cancel(HWND window, Way way) {
  const HWND cancel = ControlOf(window, "Command2").window;
  switch (way) {
    case Way::kButton:
      Click(cancel);
      break;
    case Way::kCloseBox:
      PressKeys(window, "Alt+F4");
      break;
    case Way::kEnterOnTheFocusedButton:
      for (int tabs = 0; tabs < 4 && FocusedControl(window) != cancel; ++tabs) PressKeys(window, "Tab");
      ASSERT_EQ(FocusedControl(window), cancel);
      PressKeys(window, "Enter");
      break;
  }
}

using CancelTest = ProgramRunTest;

TEST_F(CancelTest, EveryWayOfCancellingInEveryModeEndsTheProgramAndWritesNothing) {
  for (const Mode mode : {Mode::kInstall, Mode::kUpgrade, Mode::kCurrent}) {
    for (const Way way : {Way::kButton, Way::kCloseBox, Way::kEnterOnTheFocusedButton}) {
      SCOPED_TRACE("mode " + std::to_string(static_cast<int>(mode)) + ", way " + std::to_string(static_cast<int>(way)));
      Reset();
      std::optional<ProductFolder> folder;
      if (mode != Mode::kInstall) {
        folder.emplace();
        WriteWholeFile(folder->ProgramPath(), PayloadBytes(0));  // any old program
        StoreInstalledCopy(folder->Path(), L"3", mode == Mode::kUpgrade ? L"3" : L"4", L"0");
      }
      const StoredCopy before = ReadInstalledCopy();
      setup_ = Start(SetupProgramPath());
      if (mode == Mode::kCurrent) {
        const auto box = WaitForMessageBox(L"hdGR", kTimeout, setup_.Id());
        ASSERT_TRUE(box.has_value());
        PressOk(box->window);
      }
      HWND window = WaitForWindow(kSetupTitle, kTimeout, setup_.Id(), kSetupFormClass);
      ASSERT_NE(window, nullptr);
      SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10'000, nullptr);
      Cancel(window, way);
      EXPECT_EQ(setup_.WaitForExit(10s), mode == Mode::kCurrent ? 3u : 4u);
      EXPECT_FALSE(WorkFolderExists());
      EXPECT_EQ(ReadInstalledCopy(), before);
      if (folder) {
        EXPECT_EQ(ReadWholeFile(folder->ProgramPath()), PayloadBytes(0));
      }
    }
  }
}

}  // namespace
}  // namespace hdgr::e2e
