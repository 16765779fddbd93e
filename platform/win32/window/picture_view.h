#pragma once
// A picture as a picture box shows it at the window's density: drawn as it is at the
// design's density, else resampled once for the box, so the box shows the same part of
// the image at any density.

#include <windows.h>

#include "platform/win32/window/bitmap_picture.h"
#include "platform/win32/window/gdi_handles.h"

namespace hdgr::win32 {

class PictureView {
 public:
  // The image's top-left corner lies at `corner` in the box's interior, in pixels at `dpi`
  // that may be fractional; `interior` is the size the box shows. `picture` outlives the view.
  PictureView(const BitmapPicture& picture, int dpi, double corner_x, double corner_y, SIZE interior);

  void Draw(HDC dc) const;

 private:
  const BitmapPicture& picture_;
  bool unscaled_ = false;
  POINT corner_{};  // unscaled
  Bitmap scaled_;
  SIZE scaled_size_{};
};

}  // namespace hdgr::win32
