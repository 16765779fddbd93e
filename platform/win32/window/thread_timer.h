#pragma once
// A timer of the thread, with no window: its ticks arrive as WM_TIMER without a window and
// run when the thread's message loop dispatches them. Making any window, even a
// message-only one, costs a process its display's start (Wine loads its display driver
// then, 10-35 ms): a run that shows nothing keeps its timers here.

#include <windows.h>

#include <functional>

#include "platform/controls.h"

namespace hdgr::win32 {

class ThreadTimer : public Timer {
 public:
  // `ticked` runs at each tick this timer's thread dispatches, on or off: anybody can post
  // the thread a WM_TIMER, so whoever handles it asks Enabled().
  ThreadTimer(UINT interval_ms, std::function<void()> ticked);
  ThreadTimer(const ThreadTimer&) = delete;
  ThreadTimer& operator=(const ThreadTimer&) = delete;
  ~ThreadTimer() override;

  void SetEnabled(bool enabled) override;
  bool Enabled() const { return enabled_; }

 private:
  static void CALLBACK Ticked(HWND window, UINT message, UINT_PTR id, DWORD time);

  UINT interval_ms_;
  std::function<void()> ticked_;
  // The system gives a thread's timer its id at each start; the last one is kept, so that
  // a tick posted for it after the stop still finds this timer off.
  UINT_PTR id_ = 0;
  bool enabled_ = false;
};

}  // namespace hdgr::win32
