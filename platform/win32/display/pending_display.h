#pragma once
// Something on screen whose updates are deferred to the display's pace: the services
// show what is pending whenever they pump events in earnest, and bring it exactly up to
// date when they close all files, which ends every copy run.

#include <cstdint>

namespace hdgr::win32 {

class PendingDisplay {
 public:
  virtual ~PendingDisplay() = default;
  // Brings the window up to date with the last values set where a pixel would change;
  // cheap when none would.
  virtual void ShowPending() = 0;
  // Brings the window exactly up to date with the last values set, painted when its
  // thread next handles messages (right after the run: a paint costs a millisecond under
  // Wine, as much as a third of a short run's copy).
  virtual void ShowExactlySoon() = 0;
  // GetTickCount64() when the window last showed a new value; the pace counts from it.
  virtual std::uint64_t LastShownMs() const = 0;
};

}  // namespace hdgr::win32
