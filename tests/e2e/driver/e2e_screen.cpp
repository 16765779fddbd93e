#include "tests/e2e/driver/e2e_screen.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "platform/win32/base/unique_handle.h"
#include "platform/win32/window/gdi_handles.h"
#include "tests/e2e/driver/e2e_windows.h"

namespace hdgr::e2e {

ScreenCapture::ScreenCapture(const RECT& on_screen)
    : width_(on_screen.right - on_screen.left), height_(on_screen.bottom - on_screen.top) {
  if (width_ <= 0 || height_ <= 0) throw std::runtime_error("empty capture");
  const win32::ScreenDc screen;
  const win32::MemoryDc memory(screen.Get());
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -height_;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const win32::Bitmap bitmap(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap) throw std::runtime_error("no bitmap for the capture");
  const win32::Selection selected(memory.Get(), bitmap.Get());
  if (BitBlt(memory.Get(), 0, 0, width_, height_, screen.Get(), on_screen.left, on_screen.top, SRCCOPY)) {
    GdiFlush();
    pixels_.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
    std::memcpy(pixels_.data(), bits, pixels_.size() * sizeof(std::uint32_t));
  }
  if (pixels_.empty()) throw std::runtime_error("screen capture failed");
}

Rgb ScreenCapture::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) throw std::out_of_range("pixel outside the capture");
  const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
  const std::uint32_t pixel = pixels_[at];
  return Rgb{static_cast<std::uint8_t>(pixel >> 16), static_cast<std::uint8_t>(pixel >> 8),
             static_cast<std::uint8_t>(pixel)};
}

void SaveBitmap(const ScreenCapture& capture, const std::wstring& path) {
  const auto row_bytes = static_cast<std::uint32_t>((capture.Width() * 3 + 3) / 4 * 4);
  const std::uint32_t pixel_bytes = row_bytes * static_cast<std::uint32_t>(capture.Height());
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  file.bfSize = file.bfOffBits + pixel_bytes;
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = capture.Width();
  info.biHeight = capture.Height();  // bottom-up
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  std::vector<std::uint8_t> pixels(pixel_bytes);
  for (int y = 0; y < capture.Height(); ++y) {
    std::uint8_t* row = pixels.data() + static_cast<std::size_t>(capture.Height() - 1 - y) * row_bytes;
    for (int x = 0; x < capture.Width(); ++x) {
      const Rgb pixel = capture.At(x, y);
      row[x * 3] = pixel.blue;
      row[x * 3 + 1] = pixel.green;
      row[x * 3 + 2] = pixel.red;
    }
  }
  std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
  if (!out) throw std::runtime_error("cannot write the screenshot");
}

ScreenCapture CaptureClient(HWND window, const RECT& part) {
  const POINT origin = ClientOrigin(window);
  RECT on_screen = part;
  OffsetRect(&on_screen, origin.x, origin.y);
  return ScreenCapture(on_screen);
}

ScreenCapture CaptureClient(HWND window) {
  const SIZE size = ClientSize(window);
  return CaptureClient(window, RECT{0, 0, size.cx, size.cy});
}

Rgb ReadPixel(HWND window, int x, int y) { return CaptureClient(window, RECT{x, y, x + 1, y + 1}).At(0, 0); }

namespace {
// WCAG's relative luminance.
double Luminance(const Rgb& colour) {
  const auto linear = [](std::uint8_t value) {
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(colour.red) + 0.7152 * linear(colour.green) + 0.0722 * linear(colour.blue);
}
}  // namespace

double ContrastRatio(const Rgb& a, const Rgb& b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace hdgr::e2e
