#include "platform/win32/window/tab_order.h"

#include <algorithm>
#include <cwchar>

namespace hdgr::win32 {

namespace {

// Window properties of a subclassed control: its tab order and its own procedure.
constexpr wchar_t kOrderProperty[] = L"HdgrTabOrder";
constexpr wchar_t kPreviousProperty[] = L"HdgrTabOrderPrevious";

bool CanTakeFocus(HWND control) { return IsWindowEnabled(control) && IsWindowVisible(control); }

bool IsPushButton(HWND control) {
  wchar_t name[16] = {};
  GetClassNameW(control, name, static_cast<int>(std::size(name)));
  return _wcsicmp(name, L"Button") == 0;
}

}  // namespace

TabOrder::~TabOrder() {
  for (const Subclassed& item : subclassed_) {
    if (!IsWindow(item.control)) continue;
    SetWindowLongPtrW(item.control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(item.previous));
    RemovePropW(item.control, kOrderProperty);
    RemovePropW(item.control, kPreviousProperty);
  }
}

void TabOrder::Add(HWND control) {
  controls_.push_back(control);
  // The properties first: the filter may see a message as soon as it is in place.
  const auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_WNDPROC));
  SetPropW(control, kOrderProperty, this);
  SetPropW(control, kPreviousProperty, reinterpret_cast<HANDLE>(previous));
  SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&KeyFilter));
  subclassed_.push_back(Subclassed{control, previous});
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

LRESULT CALLBACK TabOrder::KeyFilter(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  const auto& tab_order = *static_cast<const TabOrder*>(GetPropW(window, kOrderProperty));
  const auto previous = reinterpret_cast<WNDPROC>(GetPropW(window, kPreviousProperty));
  if (message == WM_KEYDOWN) {
    switch (wparam) {
      case VK_TAB:
        if (HWND next = tab_order.Next(window, GetKeyState(VK_SHIFT) < 0)) SetFocus(next);
        // The keyboard is in use: the focus cues the system hides until then show from now
        // on, as a dialog's Tab shows them.
        SendMessageW(GetAncestor(window, GA_ROOT), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
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
  return CallWindowProcW(previous, window, message, wparam, lparam);
}

}  // namespace hdgr::win32
