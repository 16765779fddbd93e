#include "tools/hdgr-pack/carrier_bitmap.h"

#include <gtest/gtest.h>

#include <string>

#include "tools/hdgr-pack/pack_error.h"

namespace hdgr {
namespace {

struct HeaderField {
  const char* name;  // as ValidateCarrier names it
  int offset;
  int size;
  std::uint32_t value;
};

// The shipped carrier's headers, field by field.
constexpr HeaderField kFields[] = {
    {"file size", 2, 4, 6'000'054},     {"reserved 1", 6, 2, 0},
    {"reserved 2", 8, 2, 0},            {"pixel data offset", 10, 4, 54},
    {"information header size", 14, 4, 40}, {"width", 18, 4, 1000},
    {"height", 22, 4, 2000},            {"planes", 26, 2, 1},
    {"bits per pixel", 28, 2, 24},      {"compression", 30, 4, 0},
    {"image size", 34, 4, 6'000'000},   {"horizontal resolution", 38, 4, 0},
    {"vertical resolution", 42, 4, 0},  {"colours used", 46, 4, 0},
    {"important colours", 50, 4, 0},
};

std::uint32_t LittleEndian(const std::uint8_t* bytes, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

void Put(Bytes& bytes, std::size_t offset, int size, std::uint32_t value) {
  for (int i = 0; i < size; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::string RefusalOf(const Bytes& carrier) {
  try {
    ValidateCarrier(carrier, kDesignedCarrierHeight, "c.bmp");
  } catch (const PackError& error) {
    return error.what();
  }
  return "";
}

TEST(CarrierBitmapTest, HeaderHoldsTheShippedCarriersFields) {
  const auto header = CarrierHeader(2000);
  EXPECT_EQ(header[0], 'B');
  EXPECT_EQ(header[1], 'M');
  for (const HeaderField& field : kFields)
    EXPECT_EQ(LittleEndian(header.data() + field.offset, field.size), field.value) << field.name;
}

// A taller carrier differs from the shipped one in its height and both sizes only.
TEST(CarrierBitmapTest, ATallerCarriersHeaderHasItsRowsAndSizes) {
  const auto header = CarrierHeader(2345);
  for (const HeaderField& field : kFields) {
    std::uint32_t expected = field.value;
    if (std::string(field.name) == "height") expected = 2345;
    if (std::string(field.name) == "image size") expected = 2345 * 3000;
    if (std::string(field.name) == "file size") expected = 54 + 2345 * 3000;
    EXPECT_EQ(LittleEndian(header.data() + field.offset, field.size), expected) << field.name;
  }
  const Bytes carrier = BlankCarrier(2345, nullptr);
  EXPECT_EQ(carrier.size(), 54u + 2345u * 3000u);
  EXPECT_NO_THROW(ValidateCarrier(carrier, 2345, "tall.bmp"));
  EXPECT_THROW(ValidateCarrier(carrier, 2000, "tall.bmp"), PackError);
  EXPECT_THROW(ValidateCarrier(BlankCarrier(2000, nullptr), 2345, "short.bmp"), PackError);
}

TEST(CarrierBitmapTest, ABlankCarrierIsValid) {
  const Bytes carrier = BlankCarrier(2000, nullptr);
  EXPECT_EQ(carrier.size(), 6'000'054u);
  EXPECT_EQ(RefusalOf(carrier), "");
}

TEST(CarrierBitmapTest, EveryWrongFieldIsRefusedByName) {
  const Bytes blank = BlankCarrier(2000, nullptr);
  for (const HeaderField& field : kFields) {
    Bytes carrier = blank;
    Put(carrier, field.offset, field.size, field.value ^ 1);
    EXPECT_NE(RefusalOf(carrier).find(std::string("bitmap ") + field.name + " is"), std::string::npos)
        << field.name << ": " << RefusalOf(carrier);
  }
  Bytes top_down = blank;
  Put(top_down, 22, 4, static_cast<std::uint32_t>(-2000));
  EXPECT_NE(RefusalOf(top_down).find("height is -2000"), std::string::npos) << RefusalOf(top_down);
}

TEST(CarrierBitmapTest, ANonBitmapOrAWrongSizeIsRefused) {
  Bytes carrier = BlankCarrier(2000, nullptr);
  carrier.push_back(0);
  EXPECT_NE(RefusalOf(carrier).find("wrong size for a carrier: 6000055 bytes, expected 6000054 (1000 x 2000)"),
            std::string::npos)
      << RefusalOf(carrier);
  carrier.resize(6'000'053);
  EXPECT_NE(RefusalOf(carrier).find("6000053"), std::string::npos);
  carrier.resize(6'000'054);
  carrier[0] = 'P';
  EXPECT_NE(RefusalOf(carrier).find("not a bitmap"), std::string::npos);
  EXPECT_NE(RefusalOf(Bytes{}).find("not a bitmap"), std::string::npos);
}

// A 24-bit cover of `width` x `height`, each pixel (x, y as displayed) coloured from x and y.
Bytes CoverFile(std::int32_t width, std::int32_t height, bool bottom_up) {
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
  Bytes file(54 + stride * static_cast<std::size_t>(height), 0xFF);
  file[0] = 'B';
  file[1] = 'M';
  Put(file, 2, 4, static_cast<std::uint32_t>(file.size()));
  Put(file, 10, 4, 54);
  Put(file, 14, 4, 40);
  Put(file, 18, 4, static_cast<std::uint32_t>(width));
  Put(file, 22, 4, static_cast<std::uint32_t>(bottom_up ? height : -height));
  Put(file, 26, 2, 1);
  Put(file, 28, 2, 24);
  Put(file, 30, 4, 0);
  for (std::int32_t y = 0; y < height; ++y)
    for (std::int32_t x = 0; x < width; ++x) {
      const std::size_t row = static_cast<std::size_t>(bottom_up ? height - 1 - y : y);
      std::uint8_t* pixel = file.data() + 54 + row * stride + static_cast<std::size_t>(x) * 3;
      pixel[0] = static_cast<std::uint8_t>(x);
      pixel[1] = static_cast<std::uint8_t>(y);
      pixel[2] = 0xC0;
    }
  return file;
}

// The carrier's pixel at column x, displayed row y (the file holds rows bottom-up).
const std::uint8_t* CarrierPixel(const Bytes& carrier, std::int64_t x, std::int64_t y) {
  return carrier.data() + 54 + (1999 - y) * 3000 + x * 3;
}

TEST(CarrierBitmapTest, TheCoverFillsWhatItReachesAndTheGradientTheRest) {
  for (const bool bottom_up : {true, false}) {
    const CoverPicture cover(CoverFile(5, 3, bottom_up), "cover.bmp");  // rows of 15 bytes + 1 fill byte
    const Bytes carrier = BlankCarrier(2000, &cover);
    for (std::int64_t y = 0; y < 3; ++y)
      for (std::int64_t x = 0; x < 5; ++x) {
        const std::uint8_t* pixel = CarrierPixel(carrier, x, y);
        EXPECT_EQ(pixel[0], x);
        EXPECT_EQ(pixel[1], y);
        EXPECT_EQ(pixel[2], 0xC0) << "x " << x << " y " << y << (bottom_up ? " bottom-up" : " top-down");
      }
    for (const auto& [x, y] : {std::pair{5, 0}, std::pair{0, 3}, std::pair{999, 1999}}) {
      const std::uint8_t* pixel = CarrierPixel(carrier, x, y);
      EXPECT_TRUE(pixel[0] > pixel[1] && pixel[1] > pixel[2] && pixel[0] < 128)
          << "not dark blue at x " << x << " y " << y;
    }
  }
}

TEST(CarrierBitmapTest, ACoverThatIsNotAWhole24BitBitmapIsRefused) {
  Bytes thirty_two_bits = CoverFile(4, 4, true);
  Put(thirty_two_bits, 28, 2, 32);
  Bytes compressed = CoverFile(4, 4, true);
  Put(compressed, 30, 4, 1);
  Bytes cut_short = CoverFile(4, 4, true);
  cut_short.pop_back();
  Bytes no_width = CoverFile(4, 4, true);
  Put(no_width, 18, 4, 0);
  for (const Bytes& file : {thirty_two_bits, compressed, cut_short, no_width, Bytes{'B', 'M'}, Bytes(100, 0)})
    EXPECT_THROW(CoverPicture(file, "cover.bmp"), PackError);
}

}  // namespace
}  // namespace hdgr
