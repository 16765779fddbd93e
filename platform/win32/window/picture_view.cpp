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

PictureView::PictureView(const BitmapPicture& picture, int dpi, double corner_x, double corner_y, SIZE interior) {
  if (dpi == kDesignDpi && Whole(corner_x) && Whole(corner_y)) {
    // One image pixel per box pixel: the part of the image inside the box.
    const auto x = static_cast<LONG>(corner_x);
    const auto y = static_cast<LONG>(corner_y);
    at_ = POINT{std::max<LONG>(x, 0), std::max<LONG>(y, 0)};
    const POINT from{at_.x - x, at_.y - y};
    size_ = SIZE{std::min<LONG>(picture.Width() - from.x, interior.cx - at_.x),
                 std::min<LONG>(picture.Height() - from.y, interior.cy - at_.y)};
    if (size_.cx <= 0 || size_.cy <= 0) return;
    shown_ = TopDownBitmap(picture.Pixels(from, size_));
    return;
  }
  const double scale = static_cast<double>(dpi) / kDesignDpi;
  // The box's background shows past the image's scaled edges.
  const auto shown = [&](double corner, int extent, LONG room) {
    return std::clamp(static_cast<int>(std::ceil(corner + extent * scale)), 0, static_cast<int>(room));
  };
  const PixelSize size{shown(corner_x, picture.Width(), interior.cx), shown(corner_y, picture.Height(), interior.cy)};
  if (size.width == 0 || size.height == 0) return;
  const SampledRange columns = SampledPixels(size.width, picture.Width(), scale, corner_x);
  const SampledRange rows = SampledPixels(size.height, picture.Height(), scale, corner_y);
  const PixelPoint origin{columns.first, rows.first};
  const PixelImage part = picture.Pixels(POINT{columns.first, rows.first},
                                         SIZE{columns.last - columns.first + 1, rows.last - rows.first + 1});
  shown_ = TopDownBitmap(ScaleImagePart(part, origin, PixelSize{picture.Width(), picture.Height()}, scale, corner_x,
                                        corner_y, size));
  size_ = SIZE{size.width, size.height};
}

void PictureView::Draw(HDC dc) const {
  if (!shown_) return;
  MemoryDc source(dc);
  Selection selected(source.Get(), shown_.Get());
  BitBlt(dc, at_.x, at_.y, size_.cx, size_.cy, source.Get(), 0, 0, SRCCOPY);
}

}  // namespace hdgr::win32
