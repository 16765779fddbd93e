#pragma once
// A real top-level window with a real progress bar, shown, for the extractor to drive.

#include <windows.h>

#include <memory>

#include "platform/win32/display/win32_progress_bar.h"
#include "platform/win32/window/gdi_handles.h"

namespace hdgr::bench {

class BenchWindow {
 public:
  BenchWindow();

  HWND Handle() const { return window_.Get(); }
  win32::Win32ProgressBar& Bar() { return *bar_; }

 private:
  std::unique_ptr<win32::Win32ProgressBar> bar_;
  win32::OwnedWindow window_;  // destroyed first, its bar with it
};

}  // namespace hdgr::bench
