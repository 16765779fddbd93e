#include "platform/win32/window/tab_order.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

namespace hdgr::win32 {

namespace {

constexpr UINT_PTR kKeyFilterId = 1;

bool CanTakeFocus(HWND control) { return IsWindowEnabled(control) && IsWindowVisible(control); }

bool IsPushButton(HWND control) {
  wchar_t name[16] = {};
  GetClassNameW(control, name, static_cast<int>(std::size(name)));
  return _wcsicmp(name, L"Button") == 0;
}

}  // namespace

TabOrder::~TabOrder() {
  for (HWND control : controls_)
    if (IsWindow(control)) RemoveWindowSubclass(control, KeyFilter, kKeyFilterId);
}

void TabOrder::Add(HWND control) {
  controls_.push_back(control);
  SetWindowSubclass(control, KeyFilter, kKeyFilterId, reinterpret_cast<DWORD_PTR>(this));
}

HWND TabOrder::First() const {
  const auto found = std::find_if(controls_.begin(), controls_.end(), CanTakeFocus);
  return found == controls_.end() ? nullptr : *found;
}

HWND TabOrder::Next(HWND from, bool backwards) const {
  const auto at = std::find(controls_.begin(), controls_.end(), from);
  if (at == controls_.end()) return First();
  const std::size_t count = controls_.size();
  std::size_t index = static_cast<std::size_t>(at - controls_.begin());
  for (std::size_t step = 1; step < count; ++step) {
    index = backwards ? (index + count - 1) % count : (index + 1) % count;
    if (CanTakeFocus(controls_[index])) return controls_[index];
  }
  return from;
}

LRESULT CALLBACK TabOrder::KeyFilter(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                     DWORD_PTR order) {
  const auto& tab_order = *reinterpret_cast<const TabOrder*>(order);
  if (message == WM_KEYDOWN) {
    switch (wparam) {
      case VK_TAB:
        if (HWND next = tab_order.Next(window, GetKeyState(VK_SHIFT) < 0)) SetFocus(next);
        return 0;
      case VK_RETURN:
        if (IsPushButton(window)) SendMessageW(window, BM_CLICK, 0, 0);
        return 0;
      case VK_ESCAPE:  // no cancel button
        return 0;
      default:
        break;
    }
  }
  // The characters TranslateMessage makes of those keys go nowhere either.
  if (message == WM_CHAR && (wparam == L'\t' || wparam == L'\r' || wparam == 0x1b)) return 0;
  return DefSubclassProc(window, message, wparam, lparam);
}

}  // namespace hdgr::win32
