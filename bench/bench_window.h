#pragma once
// A real top-level window with a real progress bar, shown, for the extractor to drive.

#include <windows.h>

#include <memory>

#include "platform/win32/win32_progress_bar.h"

namespace hdgr::bench {

class BenchWindow {
 public:
  BenchWindow();
  BenchWindow(const BenchWindow&) = delete;
  BenchWindow& operator=(const BenchWindow&) = delete;
  ~BenchWindow();

  HWND Handle() const { return window_; }
  win32::Win32ProgressBar& Bar() { return *bar_; }

 private:
  HWND window_ = nullptr;
  std::unique_ptr<win32::Win32ProgressBar> bar_;
};

}  // namespace hdgr::bench
