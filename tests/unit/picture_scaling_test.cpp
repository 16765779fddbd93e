#include "platform/picture_scaling.h"

#include <gtest/gtest.h>

namespace hdgr {
namespace {

// Columns left of `edge` black, the others white; every row alike.
PixelImage SplitImage(int width, int height, int edge) {
  PixelImage image{width, height, {}};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.pixels.push_back(x < edge ? 0x000000 : 0xFFFFFF);
  return image;
}

std::uint32_t Grey(int level) {
  const auto l = static_cast<std::uint32_t>(level);
  return l << 16 | l << 8 | l;
}

TEST(ScaleImage, AtScaleOneAWholePixelCornerCopiesTheImage) {
  PixelImage image{5, 4, {}};
  for (std::uint32_t i = 0; i < 20; ++i) image.pixels.push_back(i * 0x010203);
  const PixelImage shown = ScaleImage(image, 1.0, -2, -1, PixelSize{3, 3});
  ASSERT_EQ(shown.pixels.size(), 9u);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(shown.At(x, y), image.At(x + 2, y + 1)) << x << "," << y;
}

TEST(ScaleImage, AnEdgeOfTheImageLandsWhereTheScaleAndCornerPutItBlendedAcrossIt) {
  struct Case {
    double scale, corner;
    int first_blend;  // the window column where the edge at image column 20 falls
    std::uint32_t left, right;
  };
  const Case cases[] = {
      // 20 x 1.5 - 10.5 = 19.5: window pixel 19's centre lies on the edge.
      {1.5, -10.5, 19, Grey(128), Grey(255)},
      // 20 x 2 - 14 = 26: pixels 25 and 26 sample a quarter of the way into either side.
      {2.0, -14, 25, Grey(64), Grey(191)},
  };
  const PixelImage image = SplitImage(40, 3, 20);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scale);
    const PixelImage shown = ScaleImage(image, c.scale, c.corner, 0, PixelSize{40, 2});
    for (int x = 0; x < c.first_blend; ++x) EXPECT_EQ(shown.At(x, 1), 0u) << x;
    EXPECT_EQ(shown.At(c.first_blend, 1), c.left);
    EXPECT_EQ(shown.At(c.first_blend + 1, 1), c.right);
    for (int x = c.first_blend + 2; x < 40; ++x) EXPECT_EQ(shown.At(x, 1), 0xFFFFFFu) << x;
  }
}

TEST(ScaleImage, PixelsPastTheImageTakeItsEdgeAndChannelsBlendApart) {
  PixelImage image{2, 1, {0xFF0000, 0x0000FF}};
  const PixelImage shown = ScaleImage(image, 2.0, 0, 0, PixelSize{6, 2});
  EXPECT_EQ(shown.At(0, 0), 0xFF0000u);
  EXPECT_EQ(shown.At(1, 0), 0xBF0040u);  // three quarters red, a quarter blue
  EXPECT_EQ(shown.At(2, 1), 0x4000BFu);
  EXPECT_EQ(shown.At(5, 1), 0x0000FFu);
  EXPECT_TRUE(ScaleImage(image, 2.0, 0, 0, PixelSize{0, 5}).pixels.empty());
}

// The window keeps only the part of the carrier it shows: scaled from that part alone, the
// pixels are those scaled from the whole image, corners inside, outside and at the edges.
TEST(ScaleImage, APartHoldingEverySampledPixelScalesAsTheWhole) {
  PixelImage image{97, 61, {}};
  for (int i = 0; i < 97 * 61; ++i) image.pixels.push_back(static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFFu);
  struct Case {
    double scale, corner_x, corner_y;
    PixelSize size;
  };
  for (const Case& c : {Case{1.5, -10.5, -37.25, {40, 30}}, Case{2.0, 3.0, -1.0, {150, 80}},
                        Case{1.25, -100.0, -60.0, {20, 20}}, Case{1.5, -130.0, 4.5, {25, 90}}}) {
    SCOPED_TRACE(c.scale);
    const SampledRange columns = SampledPixels(c.size.width, image.width, c.scale, c.corner_x);
    const SampledRange rows = SampledPixels(c.size.height, image.height, c.scale, c.corner_y);
    PixelImage part{columns.last - columns.first + 1, rows.last - rows.first + 1, {}};
    for (int y = rows.first; y <= rows.last; ++y)
      for (int x = columns.first; x <= columns.last; ++x) part.pixels.push_back(image.At(x, y));
    EXPECT_LT(part.pixels.size(), image.pixels.size());
    EXPECT_EQ(ScaleImagePart(part, PixelPoint{columns.first, rows.first}, PixelSize{image.width, image.height},
                             c.scale, c.corner_x, c.corner_y, c.size)
                  .pixels,
              ScaleImage(image, c.scale, c.corner_x, c.corner_y, c.size).pixels);
  }
}

}  // namespace
}  // namespace hdgr
