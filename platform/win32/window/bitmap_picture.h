#pragma once
// A picture box's picture: the bytes of a whole bitmap file, kept as they are for
// SavePicture, and drawn from a device-independent copy.

#include <windows.h>

#include <cstdint>
#include <span>

#include "platform/application_services.h"
#include "platform/picture_scaling.h"
#include "platform/win32/window/gdi_handles.h"

namespace hdgr::win32 {

class BitmapPicture : public Picture {
 public:
  // `file` must outlive the picture (a locked resource does). An uncompressed bitmap of
  // 1 to 32 bits per pixel; anything else is a RunTimeError.
  explicit BitmapPicture(std::span<const std::uint8_t> file);

  std::span<const std::uint8_t> Bytes() const override { return file_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // The image's top-left corner at (x, y), unscaled; the device context clips.
  void Draw(HDC dc, int x, int y) const;
  // The image's pixels, whatever its colour depth.
  PixelImage Pixels() const;

 private:
  std::span<const std::uint8_t> file_;
  Bitmap bitmap_;
  int width_ = 0;
  int height_ = 0;
};

// The header of a device-independent bitmap of 32-bit 0x00RRGGBB pixels, rows top-down.
BITMAPINFO TopDownRgbInfo(int width, int height);

// The bytes of the program's own RCDATA resource `name`, valid for the program's life.
std::span<const std::uint8_t> ProgramResource(const wchar_t* name);

}  // namespace hdgr::win32
