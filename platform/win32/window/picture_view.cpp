#include "platform/win32/window/picture_view.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/form_design.h"
#include "platform/win32/win32_error.h"

namespace hdgr::win32 {

namespace {

bool Whole(double value) { return value == std::floor(value); }

Bitmap TopDownBitmap(const PixelImage& image) {
  const BITMAPINFO info = TopDownRgbInfo(image.width, image.height);
  void* bits = nullptr;
  Bitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap) {
    const DWORD code = GetLastError();
    throw Win32Error(code, "scaled picture");
  }
  std::memcpy(bits, image.pixels.data(), image.pixels.size() * sizeof(std::uint32_t));
  return bitmap;
}

}  // namespace

PictureView::PictureView(const BitmapPicture& picture, int dpi, double corner_x, double corner_y, SIZE interior)
    : picture_(picture) {
  if (dpi == kDesignDpi && Whole(corner_x) && Whole(corner_y)) {
    unscaled_ = true;
    corner_ = POINT{static_cast<LONG>(corner_x), static_cast<LONG>(corner_y)};
    return;
  }
  const double scale = static_cast<double>(dpi) / kDesignDpi;
  // The box's background shows past the image's scaled edges.
  const auto shown = [&](double corner, int extent, LONG room) {
    return std::clamp(static_cast<int>(std::ceil(corner + extent * scale)), 0, static_cast<int>(room));
  };
  const PixelSize size{shown(corner_x, picture.Width(), interior.cx), shown(corner_y, picture.Height(), interior.cy)};
  if (size.width == 0 || size.height == 0) return;
  scaled_ = TopDownBitmap(ScaleImage(picture.Pixels(), scale, corner_x, corner_y, size));
  scaled_size_ = SIZE{size.width, size.height};
}

void PictureView::Draw(HDC dc) const {
  if (unscaled_) {
    picture_.Draw(dc, corner_.x, corner_.y);
    return;
  }
  if (!scaled_) return;
  MemoryDc source(dc);
  Selection selected(source.Get(), scaled_.Get());
  BitBlt(dc, 0, 0, scaled_size_.cx, scaled_size_.cy, source.Get(), 0, 0, SRCCOPY);
}

}  // namespace hdgr::win32
