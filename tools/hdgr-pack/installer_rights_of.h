#pragma once
// What the packed installer asks of the account that starts it, read at build time from
// its program file, as Windows reads it before a start.

#include <cstdint>
#include <string>
#include <vector>

#include "package/installer_rights.h"

namespace hdgr {

struct InstallerRightsFound {
  InstallerRights rights;
  std::string why;  // for the build's report
};

// The manifest's requestedExecutionLevel. Without one, a 32-bit program named as an
// installer ("Setup.exe") is elevated by Windows' installer detection, which applies to
// 32-bit programs without a requestedExecutionLevel only; a 64-bit one runs as invoked. A
// file that is no program asks for nothing.
InstallerRightsFound InstallerRightsOf(const std::vector<std::uint8_t>& installer);

}  // namespace hdgr
