#include "platform/win32/window/picture_view.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/form_design.h"
#include "platform/win32/base/win32_error.h"

namespace hdgr::win32 {

namespace {

bool Whole(double value) { return value == std::floor(value); }

Bitmap TopDownBitmap(const PixelImage& image) {
  const BITMAPINFO info = TopDownRgbInfo(image.width, image.height);
  void* bits = nullptr;
  Bitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  ThrowLastErrorIf(!bitmap, "scaled picture");
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
    from_ = POINT{at_.x - x, at_.y - y};
    size_ = SIZE{std::min<LONG>(picture.Width() - from_.x, interior.cx - at_.x),
                 std::min<LONG>(picture.Height() - from_.y, interior.cy - at_.y)};
    if (size_.cx > 0 && size_.cy > 0) direct_ = &picture;
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

void PictureView::Draw(HDC dc, const RECT& area) const {
  const RECT part{at_.x, at_.y, at_.x + size_.cx, at_.y + size_.cy};
  RECT drawn;
  if ((!direct_ && !shown_) || !IntersectRect(&drawn, &part, &area)) return;
  const POINT to{drawn.left, drawn.top};
  const SIZE size{drawn.right - drawn.left, drawn.bottom - drawn.top};
  const POINT within{drawn.left - at_.x, drawn.top - at_.y};
  if (direct_) {
    direct_->DrawPart(dc, to, POINT{from_.x + within.x, from_.y + within.y}, size);
    return;
  }
  MemoryDc source(dc);
  Selection selected(source.Get(), shown_.Get());
  BitBlt(dc, to.x, to.y, size.cx, size.cy, source.Get(), within.x, within.y, SRCCOPY);
}

}  // namespace hdgr::win32
