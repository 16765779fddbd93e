#pragma once
// ProgressBar over a common-controls progress bar window. Max and Value keep their
// single-precision values; the window follows Value at the display's pace, when the
// services pump events or close a file.

#include <windows.h>

#include "platform/controls.h"
#include "platform/win32/pending_display.h"

namespace hdgr::win32 {

class Win32ProgressBar : public ProgressBar, public PendingDisplay {
 public:
  // Fine enough that Value 28,277 of Max 28,277.73 stops short of the full bar.
  static constexpr int kPositions = 100'000'000;

  // `bar` is a msctls_progress32 window that outlives this object.
  explicit Win32ProgressBar(HWND bar);

  void SetMax(float max) override;
  // Recorded only; shown with the next ShowPending.
  void SetValue(float value) override;
  void ShowPending() override;

  float Max() const { return max_; }
  float Value() const { return value_; }
  // The control position for a value: value / max of kPositions, within 0..kPositions.
  static int PositionOf(float value, float max);

 private:
  HWND bar_;
  float max_ = 100;
  float value_ = 0;
  int shown_ = -1;
};

}  // namespace hdgr::win32
