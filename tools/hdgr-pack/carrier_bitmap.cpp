#include "tools/hdgr-pack/carrier_bitmap.h"

#include <algorithm>
#include <string>

#include "tools/hdgr-pack/pack_error.h"

namespace hdgr {
namespace {

constexpr std::int32_t kInfoHeaderBytes = 40;
constexpr std::int32_t kBitsPerPixel = 24;

struct Field {
  std::string_view name;
  int offset;
  int size;  // 2 or 4 bytes, little-endian
  std::int64_t value;
};

// Every header field after the "BM" signature, in file order, of a carrier of `rows` rows.
std::array<Field, 15> HeaderFields(std::int32_t rows) {
  return {{
      {"file size", 2, 4, CarrierLengthFor(rows)},
      {"reserved 1", 6, 2, 0},
      {"reserved 2", 8, 2, 0},
      {"pixel data offset", 10, 4, kBitmapHeaderBytes},
      {"information header size", 14, 4, kInfoHeaderBytes},
      {"width", 18, 4, kCarrierWidth},
      {"height", 22, 4, rows},
      {"planes", 26, 2, 1},
      {"bits per pixel", 28, 2, kBitsPerPixel},
      {"compression", 30, 4, 0},
      {"image size", 34, 4, std::int64_t{kCarrierRowBytes} * rows},
      {"horizontal resolution", 38, 4, 0},
      {"vertical resolution", 42, 4, 0},
      {"colours used", 46, 4, 0},
      {"important colours", 50, 4, 0},
  }};
}

std::uint32_t ReadLittleEndian(std::span<const std::uint8_t> bytes, int offset, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes[offset + i];
  return value;
}

std::int64_t ReadSigned32(std::span<const std::uint8_t> bytes, int offset) {
  return static_cast<std::int32_t>(ReadLittleEndian(bytes, offset, 4));
}

bool HasBitmapSignature(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
}

// A pleasant dark blue, lighter toward the bottom and the right.
void PaintGradient(std::uint8_t* bgr, std::int64_t x, std::int64_t y, std::int64_t rows) {
  const std::int64_t down = y * 64 / rows;
  const std::int64_t across = x * 16 / kCarrierWidth;
  bgr[0] = static_cast<std::uint8_t>(40 + down * 3 / 4 + across);
  bgr[1] = static_cast<std::uint8_t>(16 + down / 3 + across / 2);
  bgr[2] = static_cast<std::uint8_t>(8 + down / 6);
}

}  // namespace

std::array<std::uint8_t, kBitmapHeaderBytes> CarrierHeader(std::int32_t rows) {
  std::array<std::uint8_t, kBitmapHeaderBytes> header{'B', 'M'};
  for (const Field& field : HeaderFields(rows))
    for (int i = 0; i < field.size; ++i)
      header[field.offset + i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(field.value) >> (8 * i));
  return header;
}

void ValidateCarrier(std::span<const std::uint8_t> carrier, std::int32_t rows, std::string_view name) {
  const std::string where(name);
  if (!HasBitmapSignature(carrier)) throw PackError(where + ": not a bitmap (no \"BM\" signature)");
  if (carrier.size() != static_cast<std::size_t>(CarrierLengthFor(rows)))
    throw PackError(where + ": wrong size for a carrier: " + std::to_string(carrier.size()) + " bytes, expected " +
                    std::to_string(CarrierLengthFor(rows)) + " (1000 x " + std::to_string(rows) + ")");
  for (const Field& field : HeaderFields(rows)) {
    const std::int64_t actual = field.name == "height" ? ReadSigned32(carrier, field.offset)
                                                       : ReadLittleEndian(carrier, field.offset, field.size);
    if (actual != field.value)
      throw PackError(where + ": bitmap " + std::string(field.name) + " is " + std::to_string(actual) +
                      ", expected " + std::to_string(field.value));
  }
}

CoverPicture::CoverPicture(Bytes file, std::string_view name) : file_(std::move(file)) {
  const std::string where(name);
  if (!HasBitmapSignature(file_) || file_.size() < static_cast<std::size_t>(kBitmapHeaderBytes))
    throw PackError(where + ": not a bitmap");
  const std::span<const std::uint8_t> bytes(file_);
  const std::int64_t signed_height = ReadSigned32(bytes, 22);
  width_ = ReadSigned32(bytes, 18);
  height_ = signed_height < 0 ? -signed_height : signed_height;
  bottom_up_ = signed_height > 0;
  pixel_offset_ = ReadLittleEndian(bytes, 10, 4);
  if (ReadLittleEndian(bytes, 14, 4) < static_cast<std::uint32_t>(kInfoHeaderBytes) ||
      ReadLittleEndian(bytes, 28, 2) != static_cast<std::uint32_t>(kBitsPerPixel) ||
      ReadLittleEndian(bytes, 30, 4) != 0)
    throw PackError(where + ": the cover must be a 24-bit uncompressed bitmap");
  if (width_ <= 0 || height_ <= 0 || width_ > 1'000'000 || height_ > 1'000'000)
    throw PackError(where + ": the cover's width and height must be positive");
  row_stride_ = (width_ * 3 + 3) / 4 * 4;
  if (pixel_offset_ + row_stride_ * height_ > static_cast<std::int64_t>(file_.size()))
    throw PackError(where + ": the cover's pixel data is cut short");
}

const std::uint8_t* CoverPicture::Pixel(std::int64_t x, std::int64_t y) const {
  const std::int64_t row = bottom_up_ ? height_ - 1 - y : y;
  return file_.data() + pixel_offset_ + row * row_stride_ + x * 3;
}

Bytes BlankCarrier(std::int32_t rows, const CoverPicture* cover) {
  Bytes carrier(static_cast<std::size_t>(CarrierLengthFor(rows)));
  const auto header = CarrierHeader(rows);
  std::copy(header.begin(), header.end(), carrier.begin());
  for (std::int64_t file_row = 0; file_row < rows; ++file_row) {
    const std::int64_t y = rows - 1 - file_row;
    std::uint8_t* row = carrier.data() + kBitmapHeaderBytes + file_row * kCarrierRowBytes;
    for (std::int64_t x = 0; x < kCarrierWidth; ++x) {
      if (cover && x < cover->Width() && y < cover->Height())
        std::copy_n(cover->Pixel(x, y), 3, row + x * 3);
      else
        PaintGradient(row + x * 3, x, y, rows);
    }
  }
  return carrier;
}

}  // namespace hdgr
