#include "platform/win32/display/win32_progress_bar.h"

#include <commctrl.h>

#include <cmath>
#include <cstdint>

namespace hdgr::win32 {

namespace {

int ClientWidth(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return client.right - client.left;
}

}  // namespace

Win32ProgressBar::Win32ProgressBar(HWND bar) : bar_(bar), width_(ClientWidth(bar)) {
  SendMessageW(bar_, PBM_SETRANGE32, 0, kPositions);
  ShowExactly();
}

int Win32ProgressBar::PositionOf(float value, float max) {
  if (!(max > 0) || !(value > 0)) return 0;
  if (value >= max) return kPositions;
  return static_cast<int>(std::lround(static_cast<double>(value) / max * kPositions));
}

int Win32ProgressBar::PixelsOf(int position, int width) {
  return static_cast<int>(std::int64_t{position} * width / kPositions);
}

// The pace of a run counts from here: its first points need no paint of their own.
void Win32ProgressBar::SetMax(float max) {
  max_ = max;
  width_ = ClientWidth(bar_);
  ShowExactly();
  shown_ms_ = GetTickCount64();
}

void Win32ProgressBar::ShowPending() {
  const int position = PositionOf(value_, max_);
  if (shown_ >= 0 && PixelsOf(position, width_) == PixelsOf(shown_, width_)) return;
  Show(position);
}

void Win32ProgressBar::ShowExactly() { Show(PositionOf(value_, max_)); }

void Win32ProgressBar::ShowExactlySoon() {
  const int position = PositionOf(value_, max_);
  if (position == shown_) return;
  shown_ = position;
  PostMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void Win32ProgressBar::Show(int position) {
  if (position == shown_) return;
  shown_ = position;
  SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  UpdateWindow(bar_);
  shown_ms_ = GetTickCount64();
}

}  // namespace hdgr::win32
