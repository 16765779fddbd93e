#include "platform/bitmap_layout.h"

#include <string>

#include "platform/run_time_error.h"

namespace hdgr {

namespace {

constexpr std::uint32_t kUncompressed = 0;  // BI_RGB

std::uint32_t Le16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return bytes[at] | static_cast<std::uint32_t>(bytes[at + 1]) << 8;
}

std::uint32_t Le32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return Le16(bytes, at) | Le16(bytes, at + 2) << 16;
}

[[noreturn]] void NotABitmap(const std::string& why) {
  throw RunTimeError(ErrorNumber::kInvalidProcedureCall, "picture is not a bitmap: " + why);
}

bool IsGdiDepth(std::uint32_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

}  // namespace

BitmapLayout ReadBitmapLayout(std::span<const std::uint8_t> file) {
  if (file.size() < kBitmapFileHeaderBytes + kBitmapInfoHeaderBytes)
    NotABitmap(std::to_string(file.size()) + " bytes are too few for its headers");
  if (file[0] != 'B' || file[1] != 'M') NotABitmap("it does not start with \"BM\"");
  const std::uint64_t pixels_at = Le32(file, 10);
  const std::uint64_t info_bytes = Le32(file, kBitmapFileHeaderBytes);
  const std::span<const std::uint8_t> info = file.subspan(kBitmapFileHeaderBytes);
  const auto width = static_cast<std::int32_t>(Le32(info, 4));
  const auto height = static_cast<std::int32_t>(Le32(info, 8));
  const std::uint32_t planes = Le16(info, 12);
  const std::uint32_t bits = Le16(info, 14);
  const std::uint32_t compression = Le32(info, 16);
  const std::uint32_t colours_used = Le32(info, 32);
  if (info_bytes < kBitmapInfoHeaderBytes)
    NotABitmap("its information header of " + std::to_string(info_bytes) + " bytes is too short");
  if (planes != 1) NotABitmap(std::to_string(planes) + " colour planes");
  if (!IsGdiDepth(bits)) NotABitmap(std::to_string(bits) + " bits per pixel");
  if (compression != kUncompressed) NotABitmap("compressed (method " + std::to_string(compression) + ")");
  if (width <= 0 || height == 0) NotABitmap(std::to_string(width) + " x " + std::to_string(height) + " pixels");
  if (bits <= 8 && colours_used > (1u << bits))
    NotABitmap(std::to_string(colours_used) + " colours for " + std::to_string(bits) + " bits per pixel");
  // GDI reads the colour table right after the information header: all of it must lie
  // before the pixels, or drawing would read past the headers the window keeps.
  const std::uint64_t colours = colours_used != 0 ? colours_used : (bits <= 8 ? 1u << bits : 0u);
  const std::uint64_t headers = kBitmapFileHeaderBytes + info_bytes + 4 * colours;
  if (headers > pixels_at || pixels_at > file.size())
    NotABitmap("its headers end at " + std::to_string(headers) + ", its pixels start at " + std::to_string(pixels_at) +
               " of its " + std::to_string(file.size()) + " bytes");
  const std::uint64_t rows = height < 0 ? -static_cast<std::int64_t>(height) : height;
  const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
  if (stride * rows > file.size() - pixels_at)
    NotABitmap(std::to_string(width) + " x " + std::to_string(rows) + " pixels of " + std::to_string(bits) +
               " bits need " + std::to_string(stride * rows) + " bytes, it holds " +
               std::to_string(file.size() - pixels_at));
  return BitmapLayout{static_cast<std::size_t>(pixels_at), width, static_cast<int>(rows), height > 0,
                      static_cast<int>(bits)};
}

}  // namespace hdgr
