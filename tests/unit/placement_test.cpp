#include "setup_window/placement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "fake_platform.h"

namespace hdgr::testing {
namespace {

constexpr WindowHandle kProduct = 0x2a0b4;
const std::string kRunningMessage =
    "ShowMessage(16,Halden Grid,The utility is running?\r\r[Please close any and all instances of "
    "hdGR before attempting to run this setup])";

std::string Pos(WindowHandle window, WindowHandle z, int x, int y, int width, int height) {
  return "SetWindowPos(" + std::to_string(window) + "," + std::to_string(z) + "," + std::to_string(x) +
         "," + std::to_string(y) + "," + std::to_string(width) + "," + std::to_string(height) + ",0)";
}

struct CentringCase {
  const char* name;
  WindowRect rect;
  ScreenMetrics screen;
  WindowHandle z;
  int x;
  int y;
};

constexpr ScreenMetrics k800x600{12000.0f, 9000.0f, 15.0f, 15.0f};

TEST(CentreWindowOnScreen, PlacesTheWindowInTheMiddleWithHalvesToEven) {
  const CentringCase cases[] = {
      {"159.5 rounds up to even", {0, 0, 481, 300}, k800x600, kHwndTopmost, 160, 150},
      {"158.5 rounds down to even", {0, 0, 483, 300}, k800x600, kHwndTop, 158, 150},
      {"size from the bounds, not the origin", {-7, 40, 474, 341}, k800x600, kHwndTop, 160, 150},
      {"larger than the screen: negative, not clamped", {0, 0, 1001, 701}, k800x600, kHwndTop, -100, -50},
      // 12,015.001 / 15.000001 is 801.000014 in double but exactly 801 in single precision.
      {"single-precision quotient", {0, 0, 480, 300}, {12015.0009765625f, 9000.0f, 15.000000953674316f, 15.0f},
       kHwndTop, 160, 150},
      {"120 dpi screen", {0, 0, 480, 300}, {14400.0f, 10800.0f, 12.0f, 12.0f}, kHwndTop, 360, 300},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform fake;
    fake.screen = c.screen;
    fake.window_rects[kProduct] = c.rect;
    auto platform = fake.platform();
    CentreWindowOnScreen(platform, kProduct, c.z);
    const int width = c.rect.right - c.rect.left;
    const int height = c.rect.bottom - c.rect.top;
    EXPECT_EQ(fake.calls.back(), Pos(kProduct, c.z, c.x, c.y, width, height));
  }
}

TEST(CentreWindowOnScreen, OutOfRangeIsAnOverflowAndMovesNothing) {
  constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
  constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
  const struct {
    const char* name;
    WindowRect rect;
    ScreenMetrics screen;
  } cases[] = {
      {"width past 32 bits", {kMin, 0, kMax, 300}, k800x600},
      {"height past 32 bits", {0, kMax, 300, kMin}, k800x600},
      {"position past 32 bits", {0, 0, 300, 300}, {1e30f, 9000.0f, 15.0f, 15.0f}},
      {"no twips per pixel", {0, 0, 300, 300}, {0.0f, 9000.0f, 0.0f, 15.0f}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform fake;
    fake.screen = c.screen;
    fake.window_rects[kProduct] = c.rect;
    auto platform = fake.platform();
    try {
      CentreWindowOnScreen(platform, kProduct, kHwndTop);
      ADD_FAILURE() << "no overflow";
    } catch (const RunTimeError& error) {
      EXPECT_EQ(error.Number(), ErrorNumber::kOverflow);
    }
    EXPECT_TRUE(fake.CallsStartingWith("SetWindowPos").empty());
  }
}

TEST(CentreWindowOnScreen, AFailingScreenReadStopsBeforeTheMove) {
  FakePlatform fake;
  fake.Fail(Op::kGetScreenMetrics, "", ErrorNumber::kInvalidProcedureCall);
  auto platform = fake.platform();
  EXPECT_THROW(CentreWindowOnScreen(platform, FakePlatform::kSetupWindow, kHwndTop), RunTimeError);
  EXPECT_TRUE(fake.CallsStartingWith("SetWindowPos").empty());
}

TEST(StopIfProductRunning, WithoutTheProductWindowOnlyLooks) {
  FakePlatform fake;
  fake.windows["Halden Grid - Setup"] = FakePlatform::kSetupWindow;
  fake.windows["Halden Grid - Main Window (2)"] = 77;
  auto platform = fake.platform();
  StopIfProductRunning(platform);
  EXPECT_EQ(fake.calls, std::vector<std::string>{"FindWindowByTitle(Halden Grid - Main Window)"});
}

TEST(StopIfProductRunning, TellsCentresFlashesAndEnds) {
  FakePlatform fake;
  fake.windows["Halden Grid - Main Window"] = kProduct;
  fake.window_rects[kProduct] = {10, 20, 491, 320};
  auto platform = fake.platform();
  EXPECT_THROW(StopIfProductRunning(platform), ProgramEnded);
  const std::string product = std::to_string(kProduct);
  EXPECT_EQ(fake.calls, (std::vector<std::string>{
                            "FindWindowByTitle(Halden Grid - Main Window)",
                            kRunningMessage,
                            "GetWindowRect(" + product + ")",
                            "GetScreenMetrics",
                            Pos(kProduct, kHwndTop, 160, 150, 481, 300),
                            "FlashWindow(" + product + ",1)",
                            "EndProgram",
                        }));
}

// A 64-bit system's window handles are sign-extended 32-bit values; one that reads
// negative is still a window.
TEST(StopIfProductRunning, AHandleNegativeAs32BitsIsStillTheProduct) {
  FakePlatform fake;
  const WindowHandle negative = static_cast<std::int32_t>(0x8001'0042u);
  fake.windows["Halden Grid - Main Window"] = negative;
  auto platform = fake.platform();
  EXPECT_THROW(StopIfProductRunning(platform), ProgramEnded);
  EXPECT_EQ(fake.calls[1], kRunningMessage);
}

TEST(PlaceSetupWindow, CentresAsTopmostThenFlashesBetweenTwoPumps) {
  FakePlatform fake;
  auto platform = fake.platform();
  PlaceSetupWindow(platform);
  const std::string setup = std::to_string(FakePlatform::kSetupWindow);
  EXPECT_EQ(fake.calls, (std::vector<std::string>{
                            "GetWindowRect(" + setup + ")",
                            "GetScreenMetrics",
                            Pos(FakePlatform::kSetupWindow, kHwndTopmost, 142, 140, 516, 319),
                            "PumpEvents",
                            "FlashWindow(" + setup + ",1)",
                            "PumpEvents",
                        }));
}

}  // namespace
}  // namespace hdgr::testing
