#pragma once
// Where the parts of a bitmap file lie, read from its headers: the one reading of a picture
// that the window draws from and that /verify checks the package against, so that a
// picture /verify passes is one every run can read.

#include <cstddef>
#include <cstdint>
#include <span>

namespace hdgr {

inline constexpr std::size_t kBitmapFileHeaderBytes = 14;  // "BM", the file's length, where the pixels start
inline constexpr std::size_t kBitmapInfoHeaderBytes = 40;  // the smallest information header GDI reads

struct BitmapLayout {
  std::size_t pixels_at = 0;  // the first pixel row's offset in the file
  int width = 0;
  int height = 0;  // rows, whichever way they are stored
  bool bottom_up = true;
  int bits_per_pixel = 0;
};

// An uncompressed bitmap of 1, 4, 8, 16, 24 or 32 bits per pixel, whose information header,
// colour table and pixel rows all lie inside `file`, as GDI reads them. Anything else is an
// invalid procedure call (5) whose detail starts "picture is not a bitmap" and says why.
BitmapLayout ReadBitmapLayout(std::span<const std::uint8_t> file);

}  // namespace hdgr
