#include "platform/win32/win32_progress_bar.h"

#include <commctrl.h>

#include <cmath>

namespace hdgr::win32 {

Win32ProgressBar::Win32ProgressBar(HWND bar) : bar_(bar) {
  SendMessageW(bar_, PBM_SETRANGE32, 0, kPositions);
  ShowPending();
}

int Win32ProgressBar::PositionOf(float value, float max) {
  if (!(max > 0) || !(value > 0)) return 0;
  if (value >= max) return kPositions;
  return static_cast<int>(std::lround(static_cast<double>(value) / max * kPositions));
}

void Win32ProgressBar::SetMax(float max) {
  max_ = max;
  ShowPending();
}

void Win32ProgressBar::SetValue(float value) { value_ = value; }

void Win32ProgressBar::ShowPending() {
  const int position = PositionOf(value_, max_);
  if (position == shown_) return;
  shown_ = position;
  SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  UpdateWindow(bar_);
}

}  // namespace hdgr::win32
