#include "tools/hdgr-icon/canvas.h"

namespace hdgr::icon {

Canvas::Canvas(int width, int height, std::uint8_t fill)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width * height), fill) {}

void Canvas::Set(int x, int y, std::uint8_t colour) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[static_cast<std::size_t>(y * width_ + x)] = colour;
}

void Canvas::FillRect(int left, int top, int right, int bottom, std::uint8_t colour) {
  for (int y = top; y <= bottom; ++y)
    for (int x = left; x <= right; ++x) Set(x, y, colour);
}

void Canvas::Frame(int left, int top, int right, int bottom, std::uint8_t colour) {
  FillRect(left, top, right, top, colour);
  FillRect(left, bottom, right, bottom, colour);
  FillRect(left, top, left, bottom, colour);
  FillRect(right, top, right, bottom, colour);
}

Canvas DrawMark(int size) {
  Canvas canvas(size, size, kNavy);
  canvas.Frame(0, 0, size - 1, size - 1, kBlack);
  // The grid fills the lower three quarters: four cells each way.
  const int left = size / 8;
  const int right = size - 1 - size / 8;
  const int top = size * 3 / 8;
  const int bottom = size - 1 - size / 8;
  for (int i = 0; i <= 4; ++i) {
    const int x = left + (right - left) * i / 4;
    const int y = top + (bottom - top) * i / 4;
    canvas.FillRect(x, top, x, bottom, i == 0 || i == 4 ? kLime : kGreen);
    canvas.FillRect(left, y, right, y, i == 0 || i == 4 ? kLime : kGreen);
  }
  // The arrow: a shaft from the top edge and a head that ends on the grid's centre.
  const int centre = size / 2;
  const int shaft = size >= 32 ? 2 : 1;
  const int head_top = size * 5 / 16;
  canvas.FillRect(centre - shaft, size / 16 + 1, centre + shaft - 1, head_top, kYellow);
  const int head_depth = size / 4;
  for (int row = 0; row < head_depth; ++row) {
    const int half = head_depth - row;
    canvas.FillRect(centre - half, head_top + row, centre + half - 1, head_top + row, kYellow);
  }
  return canvas;
}

}  // namespace hdgr::icon
