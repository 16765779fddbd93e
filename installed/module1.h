#pragma once
// Program-wide state: the installed copy as read at start-up, read-only afterwards.

#include <cstdint>
#include <string>

namespace hdgr {

struct Module1 {
  std::string InstalledPath;  // app_path exactly as stored
  std::int16_t InstalledMajor = 0;
  std::int16_t InstalledMinor = 0;
  std::int16_t InstalledRevision = 0;
};

}  // namespace hdgr
