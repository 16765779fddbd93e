#pragma once
// The installed copy of the product as its settings describe it, read once at start-up and
// read-only afterwards: the program's one piece of state shared between its handlers.

#include <cstdint>
#include <string>
#include <string_view>

namespace hdgr {

// Appended to the installed folder as stored: the product's main program.
inline constexpr std::string_view kProgramFileSuffix = "\\HaldenGrid.exe";

struct InstalledCopy {
  std::string folder;  // app_path exactly as stored: blanks, separators and all
  std::int16_t major = 0;
  std::int16_t minor = 0;
  std::int16_t revision = 0;
};

}  // namespace hdgr
