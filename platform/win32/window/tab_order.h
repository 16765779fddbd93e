#pragma once
// Keyboard handling of a window without a dialog manager: Tab and Shift+Tab move the
// focus through the controls in tab order, Enter presses only a focused button, and
// Escape does nothing. It works in any message loop, the services' pump included,
// because each control is subclassed (through user32 alone: the common controls'
// subclassing helpers would be one more DLL to import).

#include <windows.h>

#include <vector>

namespace hdgr::win32 {

class TabOrder {
 public:
  TabOrder() = default;
  TabOrder(const TabOrder&) = delete;
  TabOrder& operator=(const TabOrder&) = delete;
  ~TabOrder();

  // Controls join in tab order.
  void Add(HWND control);
  // The first control that can take the focus now; nullptr when none can.
  HWND First() const;
  // The control after (or before) `from`, skipping disabled and hidden ones, wrapping around.
  HWND Next(HWND from, bool backwards) const;

 private:
  struct Subclassed {
    HWND control;
    WNDPROC previous;
  };
  static LRESULT CALLBACK KeyFilter(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  std::vector<HWND> controls_;
  std::vector<Subclassed> subclassed_;
};

}  // namespace hdgr::win32
