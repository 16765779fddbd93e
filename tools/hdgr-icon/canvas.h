#pragma once
// A small picture of palette indices, drawn with a few primitives, row 0 at the top.

#include <array>
#include <cstdint>
#include <vector>

namespace hdgr::icon {

struct PaletteColour {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
};

class Canvas {
 public:
  Canvas(int width, int height, std::uint8_t fill);
  int Width() const { return width_; }
  int Height() const { return height_; }
  std::uint8_t At(int x, int y) const { return pixels_[static_cast<std::size_t>(y * width_ + x)]; }
  // Points outside the canvas are ignored.
  void Set(int x, int y, std::uint8_t colour);
  // Inclusive corners.
  void FillRect(int left, int top, int right, int bottom, std::uint8_t colour);
  void Frame(int left, int top, int right, int bottom, std::uint8_t colour);

 private:
  int width_;
  int height_;
  std::vector<std::uint8_t> pixels_;
};

// The sixteen colours of the classic palette, by index.
inline constexpr std::array<PaletteColour, 16> kClassicPalette{{
    {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},  {0, 0, 128},     {128, 0, 128},
    {0, 128, 128},   {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},     {255, 255, 0},
    {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
}};
inline constexpr std::uint8_t kBlack = 0, kGreen = 2, kNavy = 4, kGrey = 8, kLime = 10, kYellow = 11,
                              kWhite = 15;

// The product's mark: a grid of green lines on navy with a yellow arrow pointing down
// into it, scaled to the canvas.
Canvas DrawMark(int size);

}  // namespace hdgr::icon
