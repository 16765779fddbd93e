#include "tools/hdgr-pack/installer_rights_of.h"

#include "tools/hdgr-pe/pe_image.h"
#include "tools/hdgr-pe/requested_level.h"

namespace hdgr {

InstallerRightsFound InstallerRightsOf(const std::vector<std::uint8_t>& installer) {
  pe::ProgramRequest request;
  try {
    request = pe::ReadProgramRequest(installer);
  } catch (const pe::PeError& error) {
    return {InstallerRights::kAsInvoker, std::string("no program file (") + error.what() + "): asks for nothing"};
  }
  switch (request.level) {
    case pe::RequestedLevel::kAsInvoker:
      return {InstallerRights::kAsInvoker, "its manifest asks for asInvoker"};
    case pe::RequestedLevel::kHighestAvailable:
      return {InstallerRights::kHighestAvailable, "its manifest asks for highestAvailable"};
    case pe::RequestedLevel::kRequireAdministrator:
      return {InstallerRights::kRequireAdministrator, "its manifest asks for requireAdministrator"};
    case pe::RequestedLevel::kNone:
      break;
  }
  if (request.is_64bit) return {InstallerRights::kAsInvoker, "a 64-bit program without a requested level"};
  return {InstallerRights::kRequireAdministrator,
          "a 32-bit program without a requested level: installer detection elevates it"};
}

}  // namespace hdgr
