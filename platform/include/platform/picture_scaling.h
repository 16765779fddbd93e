#pragma once
// A picture shown at another density than the design's: resampled smoothly (bilinear), so
// that a window shows the same part of the image as at the design's density.

#include <cstdint>
#include <vector>

#include "platform/form_design.h"

namespace hdgr {

// 0x00RRGGBB pixels, rows top-down.
struct PixelImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// What a window of `size` shows of `image` scaled by `scale` when the scaled image's
// top-left corner lies at (`corner_x`, `corner_y`) in the window, in pixels that may be
// fractional. Each window pixel takes the image where its centre falls; past the image's
// edges, the edge. At scale 1 with a whole-pixel corner the pixels are the image's own.
PixelImage ScaleImage(const PixelImage& image, double scale, double corner_x, double corner_y, PixelSize size);

// The image pixels such a window samples, first and last, along one axis of `extent` pixels.
struct SampledRange {
  int first;
  int last;
};
SampledRange SampledPixels(int window_extent, int image_extent, double scale, double corner);

// As ScaleImage, from a part of an image of `extent` whose top-left pixel lies at `origin`:
// the same pixels as from the whole, as long as the part holds every pixel sampled.
PixelImage ScaleImagePart(const PixelImage& part, PixelPoint origin, PixelSize extent, double scale, double corner_x,
                          double corner_y, PixelSize size);

}  // namespace hdgr
