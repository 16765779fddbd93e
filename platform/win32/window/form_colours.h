#pragma once
// Design colours and fonts as GDI sees them.

#include <windows.h>

#include "platform/form_design.h"
#include "platform/win32/window/gdi_handles.h"

namespace hdgr::win32 {

COLORREF ToColorRef(const ColourSpec& colour);
COLORREF ToColorRef(Colour colour);

// A system colour's own brush, or a new one; `owned` keeps a new one alive.
HBRUSH BrushFor(const ColourSpec& colour, Brush& owned);

// The design's font at `dpi`, by its point size. A face missing on the system falls back
// to a proportional sans-serif face of the same height.
Font CreateDesignFont(const FontSpec& font, int dpi = kDesignDpi);

}  // namespace hdgr::win32
