#pragma once
// What the window tells a screen reader of its controls. Each control answers the
// system's request for its object (WM_GETOBJECT) with the system's standard object for its
// window, adjusted where it says too little: a label reads as static text with its caption
// (the standard object of a window of our own class is a generic "client"), a name the
// design gives, or that another control reads it. The accessibility library is loaded from
// System32 at the first request: a run without a screen reader loads none of it.

#include <windows.h>

#include <optional>
#include <string>

namespace hdgr::win32 {

struct AccessibleFacts {
  std::optional<long> role;        // ROLE_SYSTEM_*; none: the standard object's
  std::wstring name;               // empty: as below
  bool name_is_text = false;       // with no name: the window's text, a label's caption
  bool read_with_another = false;  // left out of what is read: another control reads it
};

// The answer to WM_GETOBJECT for `window`'s client object; 0 for any other object, and
// when the system's accessibility library cannot be had (the caller then lets the system
// answer as it would).
LRESULT AnswerAccessibleObject(HWND window, WPARAM wparam, LPARAM lparam, const AccessibleFacts& facts);

// A system control (a text box, a progress bar) answering for itself with `facts`, as the
// window's own controls do: its procedure is wrapped for the control's life.
void AnswerForSystemControl(HWND control, AccessibleFacts facts);

// Tells a screen reader that `window`'s text changed; a live region's change is announced
// without the focus on it.
void NotifyTextChanged(HWND window, bool live_region);

}  // namespace hdgr::win32
