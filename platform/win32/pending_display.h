#pragma once
// Something on screen whose updates are deferred to the display's pace: the services
// show what is pending whenever they pump events in earnest and whenever a file closes.

namespace hdgr::win32 {

class PendingDisplay {
 public:
  virtual ~PendingDisplay() = default;
  // Brings the window up to date with the last values set; cheap when nothing changed.
  virtual void ShowPending() = 0;
};

}  // namespace hdgr::win32
