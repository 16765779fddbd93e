#pragma once
// The carrier's bitmap headers and its payload-free pixels.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "package/segment_table.h"

namespace hdgr {

using Bytes = std::vector<std::uint8_t>;

// The 54 header bytes of the shipped carrier: 1000 x 2000, 24 bits, bottom-up, no compression.
std::array<std::uint8_t, kBitmapHeaderBytes> CarrierHeader();

// Throws PackError naming `name` when `carrier` is not a bitmap, not the shipped carrier's
// length, or any header field differs from CarrierHeader().
void ValidateCarrier(std::span<const std::uint8_t> carrier, std::string_view name);

// A 24-bit uncompressed bitmap file's pixels, addressed as displayed (row 0 at the top).
class CoverPicture {
 public:
  // Throws PackError naming `name` when `file` is not such a bitmap or is cut short.
  CoverPicture(Bytes file, std::string_view name);
  std::int64_t Width() const { return width_; }
  std::int64_t Height() const { return height_; }
  // Blue, green, red of the pixel at column x, displayed row y.
  const std::uint8_t* Pixel(std::int64_t x, std::int64_t y) const;

 private:
  Bytes file_;
  std::int64_t width_ = 0;
  std::int64_t height_ = 0;
  bool bottom_up_ = true;
  std::int64_t pixel_offset_ = 0;
  std::int64_t row_stride_ = 0;
};

// A whole carrier file without payload: the headers, then the cover's pixels where the
// cover reaches, a dark-blue gradient elsewhere.
Bytes BlankCarrier(const CoverPicture* cover);

}  // namespace hdgr
