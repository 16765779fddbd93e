// Start-up of the real program under Wine: the mode the stored settings lead to, the
// messages before the window, placement, and the running-product guard.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/win32/base/wide_text.h"
#include "tests/e2e/driver/e2e_input.h"
#include "tests/e2e/driver/e2e_message_box.h"
#include "tests/e2e/driver/e2e_screen.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/product_state.h"

namespace hdgr::e2e {
namespace {

constexpr auto kTimeout = 60s;
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kYellow{255, 255, 0};
constexpr wchar_t kCurrentMessage[] = L"You have the most current copy of hdGR.";
constexpr wchar_t kSettingsFoundMessage[] =
    L"HdGR settings were found in your registry, but the program had either been uninstalled or its "
    L"executable has been deleted.  You may install this copy.";
constexpr wchar_t kRunningMessage[] =
    L"The utility is running?\r\r[Please close any and all instances of hdGR before attempting to run this setup]";

// Pixels of `colour` inside a label's box where the picture beneath has another colour:
// the label's letters, not the carrier's own pixels.
int LetterPixels(const ScreenCapture& shown, const CarrierImage& carrier, const RECT& box, Rgb colour) {
  int count = 0;
  for (int y = box.top; y < box.bottom; ++y)
    for (int x = box.left; x < box.right; ++x)
      count += shown.At(x, y) == colour && carrier.Pixel(x + 7, y + 53) != colour;
  return count;
}

using StartUpTest = ProgramRunTest;

TEST_F(StartUpTest, EmptyStoreOpensInInstallModeCentredAndTopmost) {
  HWND window = StartToWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(WaitForMessageBox(L"hdGR", 0ms, setup_.Id()).has_value());
  EXPECT_EQ(ControlOf(window, "Label5").caption, L"Ready to install!");
  const ControlInfo accept = ControlOf(window, "Command1");
  EXPECT_EQ(accept.caption, L"Accept terms of install");
  EXPECT_TRUE(accept.enabled);
  EXPECT_TRUE(ControlOf(window, "Command2").enabled);

  RECT rect{};
  GetWindowRect(window, &rect);
  const POINT centred = CentredOnScreen(rect);
  EXPECT_EQ(rect.left, centred.x);
  EXPECT_EQ(rect.top, centred.y);
  EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_FALSE(ProductSettingsExist()) << "start-up writes no setting";
}

// With the program file found, the first package component greater than the installed
// one turns white, and so does the status line.
TEST_F(StartUpTest, OlderInstalledCopiesOpenInUpgradeModeWithTheFirstNewerDigitWhite) {
  struct Case {
    const wchar_t* major;
    const wchar_t* minor;
    const wchar_t* revision;
    int white_item;
    const wchar_t* status;
  };
  const Case cases[] = {{L"3", L"3", L"9", 1, L"Your version: 3.3.9"},
                        {L"2", L"9", L"9", 0, L"Your version: 2.9.9"},
                        {L"3", L"4", L"-1", 2, L"Your version: 3.4.-1"}};
  const CarrierImage carrier;
  for (const Case& c : cases) {
    SCOPED_TRACE(win32::Utf8(c.status));
    Reset();
    const ProductFolder folder;
    WriteWholeFile(folder.ProgramPath(), PayloadBytes(3));
    StoreInstalledCopy(folder.Path(), c.major, c.minor, c.revision);
    HWND window = StartToWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(WaitForMessageBox(L"hdGR", 0ms, setup_.Id()).has_value());
    const ControlInfo accept = ControlOf(window, "Command1");
    EXPECT_EQ(accept.caption, L"Accept terms of upgrade");
    EXPECT_TRUE(accept.enabled);
    const ControlInfo status = ControlOf(window, "Label5");
    EXPECT_EQ(status.caption, c.status);

    const ScreenCapture shown = CaptureClient(window);
    EXPECT_GT(LetterPixels(shown, carrier, status.rect, kWhite), 0) << "Label5 is not white";
    EXPECT_EQ(LetterPixels(shown, carrier, status.rect, kYellow), 0) << "Label5 is still yellow";
    for (int item = 0; item < 3; ++item) {
      SCOPED_TRACE("Label3(" + std::to_string(item) + ")");
      const RECT digit = ControlOf(window, "Label3", item).rect;
      const bool white = item == c.white_item;
      EXPECT_EQ(LetterPixels(shown, carrier, digit, kWhite) > 0, white);
      EXPECT_EQ(LetterPixels(shown, carrier, digit, kYellow) > 0, !white);
    }
    EXPECT_EQ(ReadInstalledCopy(), (StoredCopy{folder.Path(), c.major, c.minor, c.revision}));
    setup_.Kill();
  }
}

// Equal or newer installed copies are current: the package never downgrades.
TEST_F(StartUpTest, CurrentOrNewerCopiesShowTheMostCurrentMessageThenOnlyCancelWorks) {
  struct Case {
    const wchar_t* major;
    const wchar_t* minor;
    const wchar_t* revision;
    const wchar_t* status;
  };
  const Case cases[] = {{L"3", L"4", L"0", L"Your version: 3.4.0"}, {L"4", L"0", L"0", L"Your version: 4.0.0"}};
  const CarrierImage carrier;
  for (const Case& c : cases) {
    SCOPED_TRACE(win32::Utf8(c.status));
    Reset();
    const ProductFolder folder;
    WriteWholeFile(folder.ProgramPath(), PayloadBytes(3));
    StoreInstalledCopy(folder.Path(), c.major, c.minor, c.revision);
    StartThroughMessage(L"hdGR", kCurrentMessage, BoxIcon::kInformation);
    HWND window = WaitForWindow(kSetupTitle, kTimeout, setup_.Id(), kSetupFormClass);
    ASSERT_NE(window, nullptr);
    Sleep(500);
    const ControlInfo accept = ControlOf(window, "Command1");
    EXPECT_EQ(accept.caption, L"Accept terms of install");
    EXPECT_FALSE(accept.enabled);
    const ControlInfo status = ControlOf(window, "Label5");
    EXPECT_EQ(status.caption, c.status);
    const ScreenCapture shown = CaptureClient(window);
    EXPECT_GT(LetterPixels(shown, carrier, status.rect, kYellow), 0) << "Label5 changed colour";
    EXPECT_EQ(LetterPixels(shown, carrier, status.rect, kWhite), 0) << "Label5 changed colour";

    Click(ControlOf(window, "Command2").window);
    EXPECT_EQ(setup_.WaitForExit(10s), 3u) << "cancel ends the program: nothing to do";
    EXPECT_FALSE(WorkFolderExists());
    EXPECT_EQ(ReadInstalledCopy(), (StoredCopy{folder.Path(), c.major, c.minor, c.revision}));
    EXPECT_EQ(ReadWholeFile(folder.ProgramPath()), PayloadBytes(3));
  }
}

TEST_F(StartUpTest, AFolderWithoutTheProgramShowsTheSettingsFoundMessageThenInstallMode) {
  const ProductFolder folder;  // there, but without HaldenGrid.exe
  StoreInstalledCopy(folder.Path(), L"3", L"3", L"9");
  StartThroughMessage(L"hdGR", kSettingsFoundMessage, BoxIcon::kInformation);
  HWND window = WaitForWindow(kSetupTitle, kTimeout, setup_.Id(), kSetupFormClass);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(ControlOf(window, "Label5").caption, L"Ready to install!");
  const ControlInfo accept = ControlOf(window, "Command1");
  EXPECT_EQ(accept.caption, L"Accept terms of install");
  EXPECT_TRUE(accept.enabled);
}

// A stored version that is no 16-bit number ends the program before its window shows,
// naming the error and the setting, and leaves the store as it was.
TEST_F(StartUpTest, AStoredVersionThatIsNoNumberEndsWithTheErrorBeforeTheWindow) {
  struct Case {
    const wchar_t* setting;
    const wchar_t* value;
    const wchar_t* error;
  };
  const Case cases[] = {{L"app_Revision", L"abc", L"Run-time error 13: Type mismatch"},
                        {L"app_Major", L"40000", L"Run-time error 6: Overflow"},
                        {L"app_Minor", L"", L"Run-time error 13: Type mismatch"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(win32::Utf8(c.setting));
    Reset();
    StoreInstalledCopy(L"c:\\no such folder", L"3", L"3", L"9");
    StoreSetting(c.setting, c.value);
    const StoredCopy before = ReadInstalledCopy();
    setup_ = Start(SetupProgramPath());
    bool window_shown = false;
    const auto box = WaitForBoxBeforeAnyWindow(kSetupTitle, setup_, &window_shown);
    ASSERT_TRUE(box.has_value());
    EXPECT_FALSE(window_shown);
    EXPECT_EQ(box->text.rfind(c.error, 0), 0u) << win32::Utf8(box->text);
    EXPECT_NE(box->text.find(c.setting), std::wstring::npos) << win32::Utf8(box->text);
    EXPECT_EQ(box->icon, BoxIcon::kError);
    EXPECT_FALSE(WaitForMessageBox(L"hdGR", 0ms, setup_.Id()).has_value()) << "the version check ran";
    PressOk(box->window);
    EXPECT_EQ(setup_.WaitForExit(kTimeout), 1u);
    EXPECT_EQ(WaitForWindow(kSetupTitle, 0ms, setup_.Id(), kSetupFormClass), nullptr);
    EXPECT_EQ(ReadInstalledCopy(), before);
  }
}

// A network or subst drive belongs to the logon session that made it, and a run with
// administrator rights does not have it: what lies there is unknown, and the run says so
// instead of calling the product uninstalled and offering an install over it.
TEST_F(StartUpTest, AStoredFolderOnADriveThisRunDoesNotHaveEndsWithPathNotFoundNamingTheDrive) {
  ASSERT_EQ(GetDriveTypeW(L"Q:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR)) << "the prefix has a drive Q:";
  StoreInstalledCopy(L"Q:\\Halden Grid", L"3", L"3", L"9");
  setup_ = Start(SetupProgramPath());
  bool window_shown = false;
  const auto box = WaitForBoxBeforeAnyWindow(kSetupTitle, setup_, &window_shown);
  ASSERT_TRUE(box.has_value());
  EXPECT_FALSE(window_shown);
  EXPECT_EQ(box->text.rfind(L"Run-time error 76: Path not found", 0), 0u) << win32::Utf8(box->text);
  for (const wchar_t* says : {L"drive Q: is not there for this run",
                              L"start the setup without administrator rights, or from the drive's own letter"})
    EXPECT_NE(box->text.find(says), std::wstring::npos) << win32::Utf8(box->text);
  EXPECT_FALSE(WaitForMessageBox(L"hdGR", 0ms, setup_.Id()).has_value()) << "taken for an uninstalled copy";
  PressOk(box->window);
  EXPECT_EQ(setup_.WaitForExit(kTimeout), 1u);
  EXPECT_FALSE(WorkFolderExists());
}

// The guard runs before any setting is read: settings that would bring a message of
// their own (a missing folder, a revision of letters) bring none.
TEST_F(StartUpTest, ARunningProductStopsStartUpWithItsMessageOnlyAndIsCentredAfterwards) {
  StoreInstalledCopy(L"c:\\no such folder", L"3", L"3", L"abc");
  HWND product_window = nullptr;
  product_ = StartDemoProduct(&product_window);
  SetWindowPos(product_window, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
  Sleep(300);

  StartThroughMessage(L"Halden Grid", kRunningMessage, BoxIcon::kError);
  EXPECT_EQ(setup_.WaitForExit(kTimeout), 2u);
  EXPECT_EQ(WaitForWindow(kSetupTitle, 0ms, setup_.Id(), kSetupFormClass), nullptr);
  EXPECT_FALSE(WaitForMessageBox(L"hdGR", 0ms).has_value());
  EXPECT_FALSE(WaitForMessageBox(kSetupTitle, 0ms).has_value());

  RECT rect{};
  GetWindowRect(product_window, &rect);
  const POINT centred = CentredOnScreen(rect);
  EXPECT_EQ(rect.left, centred.x);
  EXPECT_EQ(rect.top, centred.y);
  EXPECT_NE(rect.left, 0) << "not moved";
  EXPECT_FALSE(GetWindowLongPtrW(product_window, GWL_EXSTYLE) & WS_EX_TOPMOST) << "raised, not made topmost";
  EXPECT_TRUE(product_.Running());
  EXPECT_EQ(ReadInstalledCopy(), (StoredCopy{L"c:\\no such folder", L"3", L"3", L"abc"}));
}

}  // namespace
}  // namespace hdgr::e2e
