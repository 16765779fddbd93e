#pragma once
// Something on screen whose updates are deferred to the display's pace: the services
// show what is pending whenever they pump events in earnest, and show it exactly when
// they close all files, which ends every copy run.

namespace hdgr::win32 {

class PendingDisplay {
 public:
  virtual ~PendingDisplay() = default;
  // Brings the window up to date with the last values set where a pixel would change;
  // cheap when none would.
  virtual void ShowPending() = 0;
  // Brings the window exactly up to date with the last values set.
  virtual void ShowExactly() = 0;
};

}  // namespace hdgr::win32
