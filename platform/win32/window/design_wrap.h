#pragma once
// A multi-line text box at another density than the design's wraps its text at the same
// words as at the design's density. Font sizes, scroll bars and borders do not all scale by
// the same factor, so a word that nearly fits a line at 96 DPI could otherwise move to the
// next line, or back, at 150 % or 200 %.

#include <windows.h>

#include "platform/form_design.h"

namespace hdgr::win32 {

// After the box has its size and its font at `dpi`: where a formatting width within a few
// pixels of the box's own gives the lines of the design's density (the box `design_width`
// pixels wide, in `font` at 96 DPI), the box takes it; otherwise it keeps its own.
void KeepDesignWrap(HWND text_box, const FontSpec& font, int design_width, int dpi);

}  // namespace hdgr::win32
