#include "platform/win32/system/run_rights.h"

#include <windows.h>

#include <vector>

#include "platform/win32/base/current_user.h"
#include "platform/win32/base/unique_handle.h"
#include "platform/win32/base/win32_error.h"
#include "platform/win32/files/file_handles.h"

namespace hdgr::win32 {

bool RunsAsServiceAccount() {
  const CurrentUser current;
  const PSID user = current.Sid();
  for (const WELL_KNOWN_SID_TYPE service : {WinLocalSystemSid, WinLocalServiceSid, WinNetworkServiceSid})
    if (IsWellKnownSid(user, service)) return true;
  return false;
}

namespace {

// Whether opening `path` with `access` is refused for the rights alone.
bool RefusedForRights(const std::wstring& path, DWORD access, DWORD flags) {
  const FileHandle opened(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, flags | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  return !opened && GetLastError() == ERROR_ACCESS_DENIED;
}

}  // namespace

bool MayReplace(const std::wstring& program) {
  // A new file made in the folder, then renamed over the program: adding a file to the
  // folder, and removing the old entry (DELETE on it, or deleting a child of the folder).
  const std::wstring folder = FolderOf(program);
  if (RefusedForRights(folder + L"\\", FILE_ADD_FILE, FILE_FLAG_BACKUP_SEMANTICS)) return false;
  if (!RefusedForRights(program, DELETE, 0)) return true;
  return !RefusedForRights(folder + L"\\", FILE_DELETE_CHILD, FILE_FLAG_BACKUP_SEMANTICS);
}

}  // namespace hdgr::win32
