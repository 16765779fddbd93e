#include "platform/win32/window/off_screen_paint.h"

#include "platform/win32/window/gdi_handles.h"

namespace hdgr::win32 {

void PaintOffScreen(HDC target, const RECT& area, POINT to, const std::function<void(HDC)>& draw) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return;
  MemoryDc buffer(target);
  Bitmap pixels(CreateCompatibleBitmap(target, width, height));
  Selection selected(buffer.Get(), pixels.Get());
  SetViewportOrgEx(buffer.Get(), -area.left, -area.top, nullptr);
  draw(buffer.Get());
  SetViewportOrgEx(buffer.Get(), 0, 0, nullptr);
  BitBlt(target, to.x, to.y, width, height, buffer.Get(), 0, 0, SRCCOPY);
}

}  // namespace hdgr::win32
