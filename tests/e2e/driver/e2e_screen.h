#pragma once
// Reading what a window shows, from the screen.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace hdgr::e2e {

struct Rgb {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The pixels of a screen rectangle, taken at one moment.
class ScreenCapture {
 public:
  explicit ScreenCapture(const RECT& on_screen);
  int Width() const { return width_; }
  int Height() const { return height_; }
  Rgb At(int x, int y) const;  // relative to the rectangle

 private:
  int width_;
  int height_;
  std::vector<std::uint32_t> pixels_;  // top-down, 0x00RRGGBB
};

// Writes `capture` as a 24-bit bitmap file at `path`; throws std::runtime_error when it cannot.
void SaveBitmap(const ScreenCapture& capture, const std::wstring& path);

// The client area of `window`, or a part of it given in client coordinates.
ScreenCapture CaptureClient(HWND window);
ScreenCapture CaptureClient(HWND window, const RECT& part);
Rgb ReadPixel(HWND window, int x, int y);  // client coordinates

// WCAG's contrast ratio of two colours, from 1 to 21.
double ContrastRatio(const Rgb& a, const Rgb& b);

}  // namespace hdgr::e2e
