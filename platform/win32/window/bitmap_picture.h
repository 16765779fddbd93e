#pragma once
// A picture box's picture: the bytes of a whole bitmap file, kept where they are (the
// program's mapped resource) for SavePicture and for drawing. The carrier is 6 MB of which
// a window shows a corner: nothing copies the whole of it.

#include <windows.h>

#include <cstdint>
#include <span>
#include <vector>

#include "platform/application_services.h"
#include "platform/picture_scaling.h"
#include "platform/win32/window/gdi_handles.h"

namespace hdgr::win32 {

class BitmapPicture : public Picture {
 public:
  // `file` must outlive the picture (a locked resource does). A bitmap as ReadBitmapLayout
  // reads it; anything else is the RunTimeError it throws.
  explicit BitmapPicture(std::span<const std::uint8_t> file);

  std::span<const std::uint8_t> Bytes() const override { return file_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // The part of the image at `from` (top-down, in image pixels) of `size`, drawn with its
  // top-left corner at `to`; the part must lie inside the image.
  void DrawPart(HDC dc, POINT to, POINT from, SIZE size) const;
  // The pixels of that part, whatever the image's colour depth.
  PixelImage Pixels(POINT from, SIZE size) const;

 private:
  std::span<const std::uint8_t> file_;
  std::vector<std::uint8_t> info_;  // header and colour table, aligned as GDI reads them
  const std::uint8_t* bits_ = nullptr;
  bool bottom_up_ = true;
  int width_ = 0;
  int height_ = 0;
};

// The header of a device-independent bitmap of 32-bit 0x00RRGGBB pixels, rows top-down.
BITMAPINFO TopDownRgbInfo(int width, int height);

// The bytes of the program's own RCDATA resource `name`, valid for the program's life.
std::span<const std::uint8_t> ProgramResource(const wchar_t* name);

}  // namespace hdgr::win32
