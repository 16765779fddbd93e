#pragma once
// Program-wide state: the installed copy as read at start-up, read-only afterwards.

#include <cstdint>
#include <string>
#include <string_view>

namespace hdgr {

// Appended to the installed folder as stored: the product's main program.
inline constexpr std::string_view kProgramFileSuffix = "\\HaldenGrid.exe";

struct Module1 {
  std::string InstalledPath;  // app_path exactly as stored
  std::int16_t InstalledMajor = 0;
  std::int16_t InstalledMinor = 0;
  std::int16_t InstalledRevision = 0;
};

}  // namespace hdgr
