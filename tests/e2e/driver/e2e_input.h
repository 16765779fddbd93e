#pragma once
// Real input for another program's window: mouse clicks and keys, through the system's
// input queue, so disabled controls and focus behave as for a user.

#include <windows.h>

#include <string_view>

namespace hdgr::e2e {

// Makes `top` the foreground window, so that keys reach it.
void BringToFront(HWND top);
// A left click at the centre of `control`.
void Click(HWND control);
// Keys by name, optionally with modifiers: "Tab", "Shift+Tab", "Enter", "Escape",
// "Space", "Alt+F4". Throws std::invalid_argument for an unknown name.
void PressKeys(HWND top, std::string_view keys);

}  // namespace hdgr::e2e
