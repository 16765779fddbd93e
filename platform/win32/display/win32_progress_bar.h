#pragma once
// ProgressBar over a common-controls progress bar window. Max and Value keep their
// single-precision values; the window follows Value at the display's pace, when the
// services pump events, and exactly once they close all files.

#include <windows.h>

#include "platform/controls.h"
#include "platform/win32/display/pending_display.h"

namespace hdgr::win32 {

class Win32ProgressBar : public ProgressBar, public PendingDisplay {
 public:
  // Fine enough that Value 28,277 of Max 28,277.73 stops short of the full bar.
  static constexpr int kPositions = 100'000'000;

  // `bar` is a msctls_progress32 window that outlives this object.
  // Value is only kept, and shown with the next ShowPending or ShowExactly.
  explicit Win32ProgressBar(HWND bar);

  // Shown at once, exactly.
  void SetMax(float max) override;
  // Only kept: shown with the next ShowPending or ShowExactly.
  void SetValue(float value) override { value_ = value; }
  // Skips a new position that fills no more or fewer pixels than the shown one: under
  // Wine the control repaints at every position set, about a millisecond each time.
  void ShowPending() override;
  void ShowExactlySoon() override;
  std::uint64_t LastShownMs() const override { return shown_ms_; }

  float Max() const { return max_; }
  // The control position for a value: value / max of kPositions, within 0..kPositions.
  static int PositionOf(float value, float max);
  // How many of `width` pixels a position fills.
  static int PixelsOf(int position, int width);

 private:
  void ShowExactly();
  void Show(int position);

  HWND bar_;
  int width_ = 0;  // the client width, in pixels
  float max_ = 100;
  float value_ = 0;
  int shown_ = -1;
  std::uint64_t shown_ms_ = 0;
};

}  // namespace hdgr::win32
