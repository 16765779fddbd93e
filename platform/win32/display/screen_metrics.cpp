#include "platform/win32/display/screen_metrics.h"

#include <windows.h>

#include "platform/run_time_error.h"
#include "platform/win32/base/unique_handle.h"

namespace hdgr::win32 {

ScreenMetrics ReadScreenMetrics() {
  const ScreenDc screen;
  const int dpi_x = screen.Get() != nullptr ? GetDeviceCaps(screen.Get(), LOGPIXELSX) : 0;
  const int dpi_y = screen.Get() != nullptr ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
  if (dpi_x <= 0 || dpi_y <= 0)
    throw RunTimeError(ErrorNumber::kInvalidProcedureCall, "The screen's resolution is unknown");
  const float per_pixel_x = 1440.0f / static_cast<float>(dpi_x);
  const float per_pixel_y = 1440.0f / static_cast<float>(dpi_y);
  return ScreenMetrics{static_cast<float>(GetSystemMetrics(SM_CXSCREEN)) * per_pixel_x,
                       static_cast<float>(GetSystemMetrics(SM_CYSCREEN)) * per_pixel_y,
                       per_pixel_x, per_pixel_y};
}

}  // namespace hdgr::win32
