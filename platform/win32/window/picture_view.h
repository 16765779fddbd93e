#pragma once
// A picture as a picture box shows it at the window's density: the part the box shows,
// taken once from the picture (as it is at the design's density, else resampled), so the
// box shows the same part of the image at any density and nothing more is kept.

#include <windows.h>

#include "platform/win32/window/bitmap_picture.h"
#include "platform/win32/window/gdi_handles.h"

namespace hdgr::win32 {

class PictureView {
 public:
  // The image's top-left corner lies at `corner` in the box's interior, in pixels at `dpi`
  // that may be fractional; `interior` is the size the box shows. `picture` outlives the view.
  PictureView(const BitmapPicture& picture, int dpi, double corner_x, double corner_y, SIZE interior);
  PictureView(const PictureView&) = delete;
  PictureView& operator=(const PictureView&) = delete;

  void Draw(HDC dc) const;

 private:
  Bitmap shown_;
  POINT at_{};  // where the part's top-left corner lies in the box
  SIZE size_{};
};

}  // namespace hdgr::win32
