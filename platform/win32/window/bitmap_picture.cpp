#include "platform/win32/window/bitmap_picture.h"

#include <vector>

#include "platform/bitmap_layout.h"
#include "platform/win32/base/unique_handle.h"
#include "platform/win32/base/wide_text.h"
#include "platform/win32/base/win32_error.h"

namespace hdgr::win32 {

BitmapPicture::BitmapPicture(std::span<const std::uint8_t> file) : file_(file) {
  const BitmapLayout layout = ReadBitmapLayout(file);
  info_.assign(file.begin() + kBitmapFileHeaderBytes, file.begin() + static_cast<std::ptrdiff_t>(layout.pixels_at));
  width_ = layout.width;
  height_ = layout.height;
  bottom_up_ = layout.bottom_up;
  bits_ = file.data() + layout.pixels_at;
}

void BitmapPicture::DrawPart(HDC dc, POINT to, POINT from, SIZE size) const {
  // A bottom-up image counts its source rows from the bottom.
  const int source_y = bottom_up_ ? height_ - static_cast<int>(from.y + size.cy) : static_cast<int>(from.y);
  SetDIBitsToDevice(dc, to.x, to.y, static_cast<DWORD>(size.cx), static_cast<DWORD>(size.cy), from.x, source_y, 0,
                    static_cast<UINT>(height_), bits_, reinterpret_cast<const BITMAPINFO*>(info_.data()),
                    DIB_RGB_COLORS);
}

PixelImage BitmapPicture::Pixels(POINT from, SIZE size) const {
  PixelImage image{static_cast<int>(size.cx), static_cast<int>(size.cy), {}};
  const BITMAPINFO info = TopDownRgbInfo(image.width, image.height);
  const ScreenDc screen;
  void* bits = nullptr;
  const Bitmap part(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  ThrowLastErrorIf(!part, "picture's pixels");
  {
    MemoryDc target(screen.Get());
    Selection selected(target.Get(), part.Get());
    DrawPart(target.Get(), POINT{0, 0}, from, size);
    GdiFlush();
  }
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  image.pixels.assign(pixels, pixels + static_cast<std::size_t>(image.width) * image.height);
  return image;
}

BITMAPINFO TopDownRgbInfo(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

std::span<const std::uint8_t> ProgramResource(const wchar_t* name) {
  HRSRC found = FindResourceW(nullptr, name, RT_RCDATA);
  HGLOBAL loaded = found != nullptr ? LoadResource(nullptr, found) : nullptr;
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  ThrowLastErrorIf(bytes == nullptr, [name] { return "resource " + Utf8(name); });
  return {static_cast<const std::uint8_t*>(bytes), SizeofResource(nullptr, found)};
}

}  // namespace hdgr::win32
