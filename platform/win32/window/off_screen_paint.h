#pragma once
// Painting composed off screen and copied in one go, so a repaint never flickers.

#include <windows.h>

#include <functional>

namespace hdgr::win32 {

// Paints `area` (in `target`'s coordinates) through `draw` into a memory bitmap, then copies
// it to `target` at `to`.
void PaintOffScreen(HDC target, const RECT& area, POINT to, const std::function<void(HDC)>& draw);

}  // namespace hdgr::win32
