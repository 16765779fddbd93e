#pragma once
// The density a window is shown at, and its frame at that density.

#include <windows.h>

namespace hdgr::win32 {

// The window's dots per inch: its monitor's where the system tells windows apart (Windows 10
// 1607 and later), otherwise the system's.
int WindowDpi(HWND window);

// A vertical scroll bar's width at `dpi`.
int ScrollBarWidth(int dpi);

// The outer rectangle of a window whose client area is `client` at `dpi`, at (0, 0).
RECT OuterRectForClient(SIZE client, DWORD style, DWORD ex_style, int dpi);

}  // namespace hdgr::win32
