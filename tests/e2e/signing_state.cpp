#include "tests/e2e/signing_state.h"

#include <windows.h>

namespace hdgr::e2e {

std::uint32_t CertificateTableSize(const std::vector<std::uint8_t>& program) {
  const auto at = [&](std::size_t offset) {
    return static_cast<std::uint32_t>(program.at(offset) | program.at(offset + 1) << 8 | program.at(offset + 2) << 16 |
                                      program.at(offset + 3) << 24);
  };
  const std::size_t optional_header = at(0x3C) + 24;  // after "PE\0\0" and the file header
  const std::size_t directories = optional_header + 112;  // PE32+
  return at(directories + IMAGE_DIRECTORY_ENTRY_SECURITY * 8 + 4);
}

}  // namespace hdgr::e2e
