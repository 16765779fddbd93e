#pragma once
// A picture as a picture box shows it at the window's density: the part the box shows, so
// the box shows the same part of the image at any density. At the design's density that
// part is drawn straight from the picture at each paint, nothing is made before the window
// shows; at any other it is resampled once and kept.

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

  // What of the part lies in `area` (the box's interior coordinates).
  void Draw(HDC dc, const RECT& area) const;

 private:
  const BitmapPicture* direct_ = nullptr;  // at the design's density
  POINT from_{};                           // the part's top-left corner in the picture
  Bitmap shown_;                           // at any other: the part resampled
  POINT at_{};  // where the part's top-left corner lies in the box
  SIZE size_{};
};

}  // namespace hdgr::win32
