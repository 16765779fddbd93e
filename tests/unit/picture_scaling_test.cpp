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

}  // namespace
}  // namespace hdgr
