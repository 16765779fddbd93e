#include "platform/win32/files/file_system.h"

#include <windows.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "platform/application_services.h"
#include "platform/path_text.h"
#include "platform/run_time_error.h"
#include "platform/win32/base/unique_handle.h"
#include "platform/win32/base/wide_text.h"
#include "platform/win32/files/file_error.h"
#include "platform/win32/files/file_handles.h"

namespace hdgr::win32 {

namespace {

bool MeansNothingThere(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_NO_MORE_FILES:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_READY:
    case ERROR_DIRECTORY:
      return true;
    default:
      return false;
  }
}

// Under Wine a symbolic link to a file looks like a plain file, and deleting it, even
// opened as the link, deletes what it points to. Renaming a file of our own over the
// entry replaces the link itself, and ours is then removed through its handle. A file in
// use stays: the system refuses to replace it. 0, or the code of the failing step; `made`
// tells whether the stand-in could be made at all.
DWORD RemoveEntryItself(const std::wstring& path, bool* made) {
  std::wstring ours;
  DWORD code = 0;
  const FileHandle stand_in = CreateFreshFile(path, &ours, &code);
  *made = stand_in.Valid();
  if (!stand_in) return code;
  MarkForRemoval(stand_in.Get(), false);  // a file marked for removal cannot be renamed
  const bool replaced = RenameOpenFile(stand_in.Get(), path);
  code = replaced ? 0 : GetLastError();
  MarkForRemoval(stand_in.Get(), true);
  return code;
}

// Drive letters belong to the logon session: a network or subst drive the user made is not
// there for the same user's run with administrator rights. "Not found" would read as
// "uninstalled" there, so a path on a drive this run does not have is an error of its own.
void RefuseMissingDrive(std::string_view path) {
  const std::string drive = DriveLetterOf(path);
  if (drive.empty() || GetDriveTypeW(Wide(drive + "\\").c_str()) != DRIVE_NO_ROOT_DIR) return;
  throw RunTimeError(ErrorNumber::kPathNotFound,
                     std::string(path) + ": drive " + drive +
                         " is not there for this run, so the setup cannot tell what lies there. A network or "
                         "subst drive belongs to the user who made it, and a run with administrator rights does "
                         "not see it: start the setup without administrator rights, or from the drive's own "
                         "letter");
}

}  // namespace

std::string FindEntry(std::string_view path, int mask) {
  if (HasWildcard(path))
    throw RunTimeError(ErrorNumber::kBadFileNameOrNumber, "Wildcards are not allowed: " + std::string(path));
  if (path.empty()) return {};
  WIN32_FIND_DATAW found{};
  // Without wildcards FindFirstFileW matches this one name only, and gives its stored spelling.
  const FindHandle find(FindFirstFileW(Wide(path).c_str(), &found));
  if (!find) {
    const DWORD code = GetLastError();
    if (!MeansNothingThere(code)) throw Win32Error(code, std::string(path));
    RefuseMissingDrive(path);
    return {};
  }
  // With folders asked for, whatever takes the name counts, as making a folder there fails.
  if ((mask & kFindFolders) == 0 &&
      (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
    return {};
  return Utf8(found.cFileName);
}

void RemoveFile(std::string_view path) {
  const std::wstring wide = Wide(path);
  const DWORD attributes = AttributesOf(wide);
  ThrowLastErrorIf(attributes == INVALID_FILE_ATTRIBUTES, wide);
  if (attributes & FILE_ATTRIBUTE_DIRECTORY)
    throw RunTimeError(ErrorNumber::kPathFileAccessError, std::string(path) + " is a folder");
  RefuseReadOnly(wide);
  bool made = false;
  const DWORD code = RemoveEntryItself(wide, &made);
  if (code == 0) return;
  if (!made) throw Win32Error(code, std::string(path));
  throw FileError(code, wide);
}

void ChangeFolder(std::string_view path) {
  const std::wstring wide = Wide(path);
  if (!SetCurrentDirectoryW(wide.c_str())) {
    const DWORD code = GetLastError();
    // A folder that is not there is a missing path, whichever way the system words it.
    throw FileError(code == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : code, wide);
  }
}

std::int32_t FileLength(std::string_view path) {
  const std::wstring wide = Wide(path);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ThrowLastErrorIf(!GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data), wide);
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
    throw RunTimeError(ErrorNumber::kPathFileAccessError, std::string(path) + " is a folder");
  const auto length = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  if (length > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
    throw RunTimeError(ErrorNumber::kOverflow, std::string(path) + " is longer than 2 GiB - 1");
  return static_cast<std::int32_t>(length);
}

std::vector<std::string> RemoveLeftovers(std::string_view final_path) {
  const std::wstring path = Wide(final_path);
  const std::wstring folder = FolderOf(path);
  const std::string name = Utf8(path.substr(folder.size() + 1));
  std::vector<std::string> removed;
  WIN32_FIND_DATAW entry{};
  const FindHandle find(FindFirstFileW((path + L".*.new").c_str(), &entry));
  if (!find) return removed;
  do {
    constexpr DWORD kKept = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY;
    if ((entry.dwFileAttributes & kKept) || !IsFreshNameOf(Utf8(entry.cFileName), name)) continue;
    const std::wstring leftover = folder + L"\\" + entry.cFileName;
    bool made = false;
    if (RemoveEntryItself(leftover, &made) == 0) removed.push_back(Utf8(leftover));
  } while (FindNextFileW(find.Get(), &entry));
  return removed;
}

}  // namespace hdgr::win32
