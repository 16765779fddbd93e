#pragma once
// The icon file (16-colour images) and the bitmap file (256-colour) the build embeds.

#include <cstdint>
#include <span>
#include <vector>

#include "tools/hdgr-icon/canvas.h"

namespace hdgr::icon {

// One icon file holding every canvas as a 4-bit image, all opaque.
std::vector<std::uint8_t> IconFile(std::span<const Canvas> images);

// An 8-bit bitmap file with a 256-entry palette (the classic sixteen first).
std::vector<std::uint8_t> BitmapFile(const Canvas& image);

}  // namespace hdgr::icon
