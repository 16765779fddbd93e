#include "tools/hdgr-icon/image_files.h"

namespace hdgr::icon {

namespace {

constexpr int kFileHeaderBytes = 14;
constexpr int kInfoHeaderBytes = 40;
constexpr int kIconDirBytes = 6;
constexpr int kIconEntryBytes = 16;
constexpr int kPaletteEntryBytes = 4;

class Writer {
 public:
  explicit Writer(std::vector<std::uint8_t>& out) : out_(out) {}
  void U8(unsigned value) { out_.push_back(static_cast<std::uint8_t>(value)); }
  void U16(unsigned value) {
    U8(value & 0xFF);
    U8(value >> 8 & 0xFF);
  }
  void U32(std::uint32_t value) {
    U16(value & 0xFFFF);
    U16(value >> 16);
  }

 private:
  std::vector<std::uint8_t>& out_;
};

int RowBytes(int width, int bits) { return (width * bits + 31) / 32 * 4; }

// BITMAPINFOHEADER; an icon image declares twice its height (colour rows, then mask rows).
void InfoHeader(Writer& out, int width, int height, int bits, int colours, std::uint32_t image_bytes) {
  out.U32(kInfoHeaderBytes);
  out.U32(static_cast<std::uint32_t>(width));
  out.U32(static_cast<std::uint32_t>(height));
  out.U16(1);
  out.U16(static_cast<unsigned>(bits));
  out.U32(0);  // no compression
  out.U32(image_bytes);
  out.U32(0);
  out.U32(0);
  out.U32(static_cast<std::uint32_t>(colours));
  out.U32(0);
}

void Palette(Writer& out, int entries) {
  for (int i = 0; i < entries; ++i) {
    const PaletteColour c = i < static_cast<int>(kClassicPalette.size()) ? kClassicPalette[i] : PaletteColour{0, 0, 0};
    out.U8(c.blue);
    out.U8(c.green);
    out.U8(c.red);
    out.U8(0);
  }
}

// Rows bottom-up, padded to four bytes.
void Pixels(Writer& out, const Canvas& image, int bits) {
  const int row_bytes = RowBytes(image.Width(), bits);
  for (int y = image.Height() - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(static_cast<std::size_t>(row_bytes), 0);
    for (int x = 0; x < image.Width(); ++x) {
      if (bits == 8) {
        row[static_cast<std::size_t>(x)] = image.At(x, y);
      } else if (bits == 4) {
        row[static_cast<std::size_t>(x / 2)] |= static_cast<std::uint8_t>((image.At(x, y) & 0x0F) << (x % 2 ? 0 : 4));
      }
      // 1 bit: the icon's mask, all zero (opaque).
    }
    for (std::uint8_t byte : row) out.U8(byte);
  }
}

}  // namespace

std::vector<std::uint8_t> IconFile(std::span<const Canvas> images) {
  std::vector<std::uint8_t> file;
  Writer out(file);
  out.U16(0);
  out.U16(1);  // icon
  out.U16(static_cast<unsigned>(images.size()));
  std::uint32_t offset = kIconDirBytes + kIconEntryBytes * static_cast<std::uint32_t>(images.size());
  std::vector<std::uint32_t> sizes;
  for (const Canvas& image : images) {
    const auto pixel_bytes = static_cast<std::uint32_t>((RowBytes(image.Width(), 4) + RowBytes(image.Width(), 1)) *
                                                        image.Height());
    const std::uint32_t size = kInfoHeaderBytes + 16 * kPaletteEntryBytes + pixel_bytes;
    out.U8(static_cast<unsigned>(image.Width()));
    out.U8(static_cast<unsigned>(image.Height()));
    out.U8(16);  // colours
    out.U8(0);
    out.U16(1);  // planes
    out.U16(4);  // bits per pixel
    out.U32(size);
    out.U32(offset);
    offset += size;
    sizes.push_back(pixel_bytes);
  }
  for (std::size_t i = 0; i < images.size(); ++i) {
    InfoHeader(out, images[i].Width(), images[i].Height() * 2, 4, 16, sizes[i]);
    Palette(out, 16);
    Pixels(out, images[i], 4);
    Pixels(out, images[i], 1);
  }
  return file;
}

std::vector<std::uint8_t> BitmapFile(const Canvas& image) {
  constexpr int kEntries = 256;
  const auto pixel_bytes = static_cast<std::uint32_t>(RowBytes(image.Width(), 8) * image.Height());
  const std::uint32_t pixels_at = kFileHeaderBytes + kInfoHeaderBytes + kEntries * kPaletteEntryBytes;
  std::vector<std::uint8_t> file;
  Writer out(file);
  out.U8('B');
  out.U8('M');
  out.U32(pixels_at + pixel_bytes);
  out.U32(0);
  out.U32(pixels_at);
  InfoHeader(out, image.Width(), image.Height(), 8, kEntries, pixel_bytes);
  Palette(out, kEntries);
  Pixels(out, image, 8);
  return file;
}

}  // namespace hdgr::icon
