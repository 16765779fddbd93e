#include "platform/win32/window/off_screen_paint.h"

#include "platform/win32/window/bitmap_picture.h"
#include "platform/win32/window/gdi_handles.h"

namespace hdgr::win32 {

void PaintOffScreen(HDC target, const RECT& area, POINT to, const std::function<void(HDC)>& draw) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return;
  MemoryDc buffer(target);
  // A DIB section's pixels are pages of their own, given back whole when it goes; a
  // compatible bitmap's come from the heap (under Wine the host's), where the window's
  // largest buffer stayed as private bytes for the life of the window.
  const BITMAPINFO info = TopDownRgbInfo(width, height);
  void* bits = nullptr;
  Bitmap pixels(CreateDIBSection(target, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  Selection selected(buffer.Get(), pixels.Get());
  SetViewportOrgEx(buffer.Get(), -area.left, -area.top, nullptr);
  draw(buffer.Get());
  SetViewportOrgEx(buffer.Get(), 0, 0, nullptr);
  BitBlt(target, to.x, to.y, width, height, buffer.Get(), 0, 0, SRCCOPY);
}

}  // namespace hdgr::win32
