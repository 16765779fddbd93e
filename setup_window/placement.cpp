#include "setup_window/placement.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/run_time_error.h"
#include "setup_window/texts.h"

namespace hdgr {

namespace {

constexpr std::uint32_t kNoPositionFlags = 0;

[[noreturn]] void ThrowOverflow(const char* what) { throw RunTimeError(ErrorNumber::kOverflow, what); }

std::int32_t ToInt32(double value, const char* what) {
  // The negated test also turns NaN (a zero twips-per-pixel) into an overflow.
  if (!(value >= std::numeric_limits<std::int32_t>::min() &&
        value <= std::numeric_limits<std::int32_t>::max()))
    ThrowOverflow(what);
  return static_cast<std::int32_t>(value);
}

// Half to even whatever the floating-point rounding mode is; x - floor(x) is exact.
double RoundHalfToEven(double value) {
  const double below = std::floor(value);
  const double fraction = value - below;
  if (fraction > 0.5) return below + 1;
  if (fraction < 0.5) return below;
  return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

std::int32_t Extent(std::int32_t low, std::int32_t high, const char* what) {
  return ToInt32(static_cast<double>(high) - static_cast<double>(low), what);
}

// The screen's pixels in a single-precision quotient, halved and less half the window, in double.
std::int32_t CentredPosition(float screen_twips, float twips_per_pixel, std::int32_t extent,
                             const char* what) {
  const float screen_pixels = screen_twips / twips_per_pixel;
  const double position = static_cast<double>(screen_pixels) * 0.5 - extent * 0.5;
  return ToInt32(RoundHalfToEven(position), what);
}

}  // namespace

void CentreWindowOnScreen(Platform& platform, WindowHandle window, WindowHandle insert_after) {
  const WindowRect rect = platform.user32.GetWindowRect(window);
  const std::int32_t width = Extent(rect.left, rect.right, "window width");
  const std::int32_t height = Extent(rect.top, rect.bottom, "window height");
  const ScreenMetrics screen = platform.app.GetScreenMetrics();
  const std::int32_t x = CentredPosition(screen.width_twips, screen.twips_per_pixel_x, width, "window left");
  const std::int32_t y = CentredPosition(screen.height_twips, screen.twips_per_pixel_y, height, "window top");
  platform.user32.SetWindowPos(window, insert_after, x, y, width, height, kNoPositionFlags);
}

void StopIfProductRunning(Platform& platform) {
  const WindowHandle product = platform.user32.FindWindowByTitle(kProductWindowTitle);
  // Any handle but 0 is a window: a 64-bit system's handles may read negative as 32 bits.
  if (product == 0) return;
  platform.app.Note("the product runs: its window \"" + std::string(kProductWindowTitle) + "\" is open");
  platform.app.ShowMessage(kProductRunningMessage, MessageIcon::kError, kProductMessageTitle);
  CentreWindowOnScreen(platform, product, kHwndTop);
  platform.user32.FlashWindow(product, true);
  platform.app.EndProgram(kExitProductRunning);
}

void PlaceSetupWindow(Platform& platform) {
  const WindowHandle setup = platform.form.hWnd();
  CentreWindowOnScreen(platform, setup, kHwndTopmost);
  platform.app.PumpEvents();
  platform.user32.FlashWindow(setup, true);
  platform.app.PumpEvents();
}

}  // namespace hdgr
