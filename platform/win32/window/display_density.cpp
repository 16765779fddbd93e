#include "platform/win32/window/display_density.h"

#include "platform/win32/base/unique_handle.h"

namespace hdgr::win32 {

namespace {

// Looked up, not imported: the program still starts on systems older than the function.
template <typename Function>
Function User32Function(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

}  // namespace

int WindowDpi(HWND window) {
  if (const auto get_dpi = User32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow")) {
    if (const UINT dpi = get_dpi(window); dpi != 0) return static_cast<int>(dpi);
  }
  const ScreenDc screen;
  const int dpi = screen.Get() != nullptr ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

int ScrollBarWidth(int dpi) {
  if (const auto metric = User32Function<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi"))
    return metric(SM_CXVSCROLL, static_cast<UINT>(dpi));
  return MulDiv(GetSystemMetrics(SM_CXVSCROLL), dpi, WindowDpi(nullptr));
}

RECT OuterRectForClient(SIZE client, DWORD style, DWORD ex_style, int dpi) {
  RECT outer{0, 0, client.cx, client.cy};
  // The frame of a window on a monitor of another density than the system's is that monitor's.
  const auto adjust = User32Function<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
  if (adjust == nullptr || !adjust(&outer, style, FALSE, ex_style, static_cast<UINT>(dpi)))
    AdjustWindowRectEx(&outer, style, FALSE, ex_style);
  return outer;
}

}  // namespace hdgr::win32
