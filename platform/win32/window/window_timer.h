#pragma once
// A timer whose ticks arrive as WM_TIMER with its id at its window.

#include <windows.h>

#include "platform/controls.h"

namespace hdgr::win32 {

class Win32Timer : public Timer {
 public:
  Win32Timer(HWND window, UINT_PTR id, UINT interval_ms) : window_(window), id_(id), interval_ms_(interval_ms) {}
  Win32Timer(const Win32Timer&) = delete;
  Win32Timer& operator=(const Win32Timer&) = delete;
  ~Win32Timer() override { SetEnabled(false); }

  void SetEnabled(bool enabled) override;
  UINT_PTR Id() const { return id_; }
  // As the program set it: a WM_TIMER anybody posts while it is off is no tick of it.
  bool Enabled() const { return enabled_; }

 private:
  HWND window_;
  UINT_PTR id_;
  UINT interval_ms_;
  bool enabled_ = false;
};

}  // namespace hdgr::win32
