#include "platform/bitmap_layout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/run_time_error.h"

namespace hdgr {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& bytes, std::size_t offset, int size, std::uint32_t value) {
  for (int i = 0; i < size; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A bitmap file of `length` bytes whose headers say `width` x `height` of `bits`, pixels at
// `pixels_at`; the fields a row does not name are those of the shipped carrier.
struct Header {
  std::int32_t width = 1000;
  std::int32_t height = 2000;
  std::uint32_t bits = 24;
  std::uint32_t pixels_at = 54;
  std::uint32_t info_bytes = 40;
  std::uint32_t planes = 1;
  std::uint32_t compression = 0;
  std::uint32_t colours_used = 0;
  std::size_t length = 6'000'054;
};

Bytes File(const Header& h) {
  Bytes file(h.length);
  if (h.length < 54) return file;
  file[0] = 'B';
  file[1] = 'M';
  Put(file, 10, 4, h.pixels_at);
  Put(file, 14, 4, h.info_bytes);
  Put(file, 18, 4, static_cast<std::uint32_t>(h.width));
  Put(file, 22, 4, static_cast<std::uint32_t>(h.height));
  Put(file, 26, 2, h.planes);
  Put(file, 28, 2, h.bits);
  Put(file, 30, 4, h.compression);
  Put(file, 46, 4, h.colours_used);
  return file;
}

TEST(BitmapLayoutTest, ReadsWhatGdiDrawsFrom) {
  const struct {
    const char* what;
    Header header;
    BitmapLayout layout;
  } rows[] = {
      {"the shipped carrier", {}, {54, 1000, 2000, true, 24}},
      {"top-down rows", {.height = -2000}, {54, 1000, 2000, false, 24}},
      {"a longer file than the rows need", {.length = 7'000'000}, {54, 1000, 2000, true, 24}},
      {"rows that fill the file to its last byte", {.width = 3, .height = 4, .length = 54 + 4 * 12},
       {54, 3, 4, true, 24}},
      {"8 bits with the whole colour table", {.bits = 8, .pixels_at = 54 + 1024}, {1078, 1000, 2000, true, 8}},
      {"8 bits with the 16 colours it uses", {.bits = 8, .pixels_at = 54 + 64, .colours_used = 16},
       {118, 1000, 2000, true, 8}},
      {"a larger information header", {.pixels_at = 138, .info_bytes = 124, .length = 6'000'138},
       {138, 1000, 2000, true, 24}},
      {"1 bit", {.bits = 1, .pixels_at = 62, .length = 62 + 128 * 2000}, {62, 1000, 2000, true, 1}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    BitmapLayout layout;
    try {
      layout = ReadBitmapLayout(File(row.header));
    } catch (const RunTimeError& error) {
      ADD_FAILURE() << error.Detail();
      continue;
    }
    EXPECT_EQ(layout.pixels_at, row.layout.pixels_at);
    EXPECT_EQ(layout.width, row.layout.width);
    EXPECT_EQ(layout.height, row.layout.height);
    EXPECT_EQ(layout.bottom_up, row.layout.bottom_up);
    EXPECT_EQ(layout.bits_per_pixel, row.layout.bits_per_pixel);
  }
}

// Each refusal is error 5 and says what is wrong; none reads outside the file, and none
// lets GDI read a colour table past the headers the window keeps.
TEST(BitmapLayoutTest, RefusesWhatNoRunCouldDrawAndSaysWhy) {
  Bytes no_signature = File({});
  no_signature[0] = 'X';
  const struct {
    const char* what;
    Bytes file;
    const char* says;
  } rows[] = {
      {"nothing", Bytes{}, "0 bytes are too few for its headers"},
      {"one byte short of the headers", File({.length = 53}), "53 bytes are too few"},
      {"no signature", no_signature, "does not start with \"BM\""},
      {"32 bits in a 24-bit carrier's bytes", File({.bits = 32}),
       "1000 x 2000 pixels of 32 bits need 8000000 bytes, it holds 6000000"},
      {"one pixel wider", File({.width = 1001}), "1001 x 2000 pixels of 24 bits need 6008000 bytes"},
      {"the last row one byte short", File({.width = 3, .height = 4, .length = 54 + 4 * 12 - 1}), "need 48 bytes"},
      {"the largest sizes the fields hold", File({.width = 0x7FFF'FFFF, .height = INT32_MIN, .bits = 32}),
       "need 18446744065119617024 bytes"},
      {"pixels past the end", File({.pixels_at = 7'000'000}), "its pixels start at 7000000 of its 6000054 bytes"},
      {"pixels inside the information header", File({.pixels_at = 50}), "its headers end at 54"},
      {"8 bits without the colour table", File({.bits = 8}), "its headers end at 1078, its pixels start at 54"},
      {"more colours than 8 bits hold", File({.bits = 8, .pixels_at = 54 + 1200, .colours_used = 300}),
       "300 colours for 8 bits"},
      {"24 bits with a colour table past the headers", File({.colours_used = 2}), "its headers end at 62"},
      {"a 12-byte core header", File({.info_bytes = 12}), "information header of 12 bytes"},
      {"an information header past the pixels", File({.info_bytes = 0xFFFF'FFFF}), "its headers end at 4294967309"},
      {"no bits", File({.bits = 0}), "0 bits per pixel"},
      {"7 bits", File({.bits = 7}), "7 bits per pixel"},
      {"33 bits", File({.bits = 33}), "33 bits per pixel"},
      {"two planes", File({.planes = 2}), "2 colour planes"},
      {"run-length compressed", File({.bits = 8, .pixels_at = 1078, .compression = 1}), "compressed (method 1)"},
      {"bit fields", File({.bits = 32, .compression = 3}), "compressed (method 3)"},
      {"no width", File({.width = 0}), "0 x 2000 pixels"},
      {"a negative width", File({.width = -1000}), "-1000 x 2000 pixels"},
      {"no height", File({.height = 0}), "1000 x 0 pixels"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    try {
      ReadBitmapLayout(row.file);
      ADD_FAILURE() << "read as a bitmap";
    } catch (const RunTimeError& error) {
      EXPECT_EQ(error.Number(), ErrorNumber::kInvalidProcedureCall);
      EXPECT_EQ(error.Detail().rfind("picture is not a bitmap: ", 0), 0u) << error.Detail();
      EXPECT_NE(error.Detail().find(row.says), std::string::npos) << error.Detail();
    }
  }
}

}  // namespace
}  // namespace hdgr
