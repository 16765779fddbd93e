#include "platform/picture_scaling.h"

#include <algorithm>
#include <cmath>

namespace hdgr {

namespace {

// Where a window row or column samples the image: the two neighbours and the far one's weight.
struct Sample {
  int near;
  int far;
  double weight;
};

std::vector<Sample> Samples(int count, int image_extent, double scale, double corner) {
  std::vector<Sample> samples(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const double at = (i + 0.5 - corner) / scale - 0.5;
    const double below = std::floor(at);
    const int near = std::clamp(static_cast<int>(below), 0, image_extent - 1);
    const int far = std::clamp(static_cast<int>(below) + 1, 0, image_extent - 1);
    samples[static_cast<std::size_t>(i)] = Sample{near, far, at - below};
  }
  return samples;
}

std::uint32_t Channel(std::uint32_t pixel, int shift) { return (pixel >> shift) & 0xFF; }

std::uint32_t Blend(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d, double fx, double fy) {
  std::uint32_t blended = 0;
  for (int shift : {0, 8, 16}) {
    const double top = Channel(a, shift) * (1 - fx) + Channel(b, shift) * fx;
    const double bottom = Channel(c, shift) * (1 - fx) + Channel(d, shift) * fx;
    blended |= static_cast<std::uint32_t>(std::lround(top * (1 - fy) + bottom * fy)) << shift;
  }
  return blended;
}

}  // namespace

PixelImage ScaleImage(const PixelImage& image, double scale, double corner_x, double corner_y, PixelSize size) {
  return ScaleImagePart(image, PixelPoint{0, 0}, PixelSize{image.width, image.height}, scale, corner_x, corner_y, size);
}

SampledRange SampledPixels(int window_extent, int image_extent, double scale, double corner) {
  SampledRange range{image_extent, -1};
  for (const Sample& sample : Samples(window_extent, image_extent, scale, corner)) {
    range.first = std::min(range.first, sample.near);
    range.last = std::max(range.last, sample.far);
  }
  return range;
}

PixelImage ScaleImagePart(const PixelImage& part, PixelPoint origin, PixelSize extent, double scale, double corner_x,
                          double corner_y, PixelSize size) {
  PixelImage scaled{size.width, size.height, {}};
  if (size.width <= 0 || size.height <= 0 || extent.width <= 0 || extent.height <= 0) return scaled;
  scaled.pixels.resize(static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height));
  const std::vector<Sample> columns = Samples(size.width, extent.width, scale, corner_x);
  const std::vector<Sample> rows = Samples(size.height, extent.height, scale, corner_y);
  const auto at = [&](int x, int y) { return part.At(x - origin.x, y - origin.y); };
  std::uint32_t* out = scaled.pixels.data();
  for (const Sample& row : rows) {
    for (const Sample& column : columns) {
      *out++ = Blend(at(column.near, row.near), at(column.far, row.near), at(column.near, row.far),
                     at(column.far, row.far), column.weight, row.weight);
    }
  }
  return scaled;
}

}  // namespace hdgr
