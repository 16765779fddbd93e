#pragma once
// A carrier's bitmap headers and its payload-free pixels, for a carrier of any number of rows.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "package/segment_layout.h"

namespace hdgr {

using Bytes = std::vector<std::uint8_t>;

// The 54 header bytes of a carrier of `rows` rows: 1000 wide, 24 bits, bottom-up, no
// compression.
std::array<std::uint8_t, kBitmapHeaderBytes> CarrierHeader(std::int32_t rows);

// Throws PackError naming `name` when `carrier` is not a bitmap, not the length of a
// carrier of `rows` rows, or any header field differs from CarrierHeader(rows).
void ValidateCarrier(std::span<const std::uint8_t> carrier, std::int32_t rows, std::string_view name);

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

// A whole carrier file of `rows` rows without payload: the headers, then the cover's pixels
// where the cover reaches, a dark-blue gradient elsewhere.
Bytes BlankCarrier(std::int32_t rows, const CoverPicture* cover);

}  // namespace hdgr
