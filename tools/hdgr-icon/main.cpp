// hdgr-icon icon OUT.ico   the program's icon: 32 x 32 and 16 x 16, 16 colours
// hdgr-icon logo OUT.bmp   the window's logo picture: 56 x 57, 256 colours
#include <cstdio>
#include <fstream>
#include <string_view>
#include <vector>

#include "tools/hdgr-icon/canvas.h"
#include "tools/hdgr-icon/image_files.h"

namespace {

constexpr int kLogoWidth = 56;
constexpr int kLogoHeight = 57;

// The logo: the mark centred on the window's background colour's nearest classic colour.
hdgr::icon::Canvas DrawLogo() {
  hdgr::icon::Canvas logo(kLogoWidth, kLogoHeight, hdgr::icon::kNavy);
  const hdgr::icon::Canvas mark = hdgr::icon::DrawMark(48);
  const int left = (kLogoWidth - mark.Width()) / 2;
  const int top = (kLogoHeight - mark.Height()) / 2;
  for (int y = 0; y < mark.Height(); ++y)
    for (int x = 0; x < mark.Width(); ++x) logo.Set(left + x, top + y, mark.At(x, y));
  return logo;
}

bool WriteFile(const char* path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "hdgr-icon: cannot write %s\n", path);
    std::remove(path);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view what = argc == 3 ? argv[1] : "";
  if (what == "icon") {
    const hdgr::icon::Canvas images[] = {hdgr::icon::DrawMark(32), hdgr::icon::DrawMark(16)};
    return WriteFile(argv[2], hdgr::icon::IconFile(images)) ? 0 : 1;
  }
  if (what == "logo") return WriteFile(argv[2], hdgr::icon::BitmapFile(DrawLogo())) ? 0 : 1;
  std::fprintf(stderr, "usage: hdgr-icon icon OUT.ico | hdgr-icon logo OUT.bmp\n");
  return 2;
}
