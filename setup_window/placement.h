#pragma once
// The running-product guard and the window placement.

#include "platform/controls.h"

namespace hdgr {

// Returns only when the product's main window is not open; otherwise ends the program.
void StopIfProductRunning(Platform& platform);
// Centres the setup window as a topmost window and flashes it.
void PlaceSetupWindow(Platform& platform);
void CentreWindowOnScreen(Platform& platform, WindowHandle window, WindowHandle insert_after);

}  // namespace hdgr
