#include "platform/win32/base/administrator_rights.h"

#include <windows.h>

#include <cstdint>

namespace hdgr::win32 {

bool HasAdministratorRights() {
  std::uint8_t sid[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof sid;
  BOOL member = FALSE;
  return CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &size) &&
         CheckTokenMembership(nullptr, sid, &member) && member;
}

}  // namespace hdgr::win32
