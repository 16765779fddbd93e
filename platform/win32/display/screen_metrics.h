#pragma once
// The screen's size and density, as the portable code measures: in twips.

#include "platform/application_services.h"

namespace hdgr::win32 {

// The primary screen in twips; twips per pixel = 1440 / the screen's dots per inch.
ScreenMetrics ReadScreenMetrics();

}  // namespace hdgr::win32
