#include "bench_window.h"

#include <commctrl.h>

#include <stdexcept>

#include "platform/win32/display/common_controls.h"

namespace hdgr::bench {

namespace {

constexpr wchar_t kClassName[] = L"HdgrBenchWindow";

ATOM RegisterOnce() {
  static const ATOM atom = [] {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = kClassName;
    return RegisterClassW(&window_class);
  }();
  return atom;
}

}  // namespace

BenchWindow::BenchWindow() {
  win32::LoadCommonControls();
  if (RegisterOnce() == 0) throw std::runtime_error("RegisterClassW failed");
  // The setup window's size at 96 dpi.
  window_.Reset(CreateWindowExW(0, kClassName, L"Halden Grid - Setup (benchmark)",
                                WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 100, 100, 516, 319, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr));
  if (!window_) throw std::runtime_error("CreateWindowExW failed");
  // Where, how large and in which style the setup window has its bar.
  HWND bar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | PBS_SMOOTH, 146,
                             247, 317, 17, window_.Get(), nullptr, GetModuleHandleW(nullptr), nullptr);
  if (bar == nullptr) throw std::runtime_error("progress bar not created");
  bar_ = std::make_unique<win32::Win32ProgressBar>(bar);
  ShowWindow(window_.Get(), SW_SHOWNORMAL);
  UpdateWindow(window_.Get());
}

}  // namespace hdgr::bench
