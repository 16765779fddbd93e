// The window's reading of a picture: any bytes are a layout or error 5, and a layout's
// headers, colour table and pixel rows all lie inside the bytes it was read from.
#include <cstdint>
#include <span>

#include "fuzz_contract.h"
#include "platform/bitmap_layout.h"

using hdgr::ErrorNumber;
using hdgr::fuzz::OnlyErrors;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> file(data, size);
  hdgr::BitmapLayout layout;
  if (!OnlyErrors({ErrorNumber::kInvalidProcedureCall}, [&] { layout = hdgr::ReadBitmapLayout(file); })) return 0;
  HDGR_FUZZ_REQUIRE(layout.width > 0 && layout.height > 0);
  HDGR_FUZZ_REQUIRE(layout.pixels_at >= hdgr::kBitmapFileHeaderBytes + hdgr::kBitmapInfoHeaderBytes);
  HDGR_FUZZ_REQUIRE(layout.pixels_at <= size);
  const std::uint64_t stride = (static_cast<std::uint64_t>(layout.width) * layout.bits_per_pixel + 31) / 32 * 4;
  HDGR_FUZZ_REQUIRE(stride * static_cast<std::uint64_t>(layout.height) <= size - layout.pixels_at);
  return 0;
}
