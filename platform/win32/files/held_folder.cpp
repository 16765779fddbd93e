#include "platform/win32/files/held_folder.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "platform/path_text.h"
#include "platform/win32/base/administrator_rights.h"
#include "platform/win32/base/current_user.h"
#include "platform/win32/base/wide_text.h"
#include "platform/win32/files/file_error.h"
#include "platform/win32/files/file_handles.h"
#include "platform/win32/files/link_check.h"

namespace hdgr::win32 {

namespace {

[[noreturn]] void Refuse(ErrorNumber number, const std::wstring& path, const std::string& why) {
  throw RunTimeError(number, Utf8(path) + " " + why);
}

// The current user's SID as text ("S-1-5-21-...").
std::wstring CurrentUserSid() {
  LocalMemory<wchar_t*> text;
  ThrowLastErrorIf(!ConvertSidToStringSidW(CurrentUser().Sid(), text.Receive()), "The current user");
  return text.Get();
}

LocalMemory<PSECURITY_DESCRIPTOR> PrivateDescriptor(const std::wstring& path) {
  const bool administrator = HasAdministratorRights();
  const std::wstring sddl = PrivateAccessList(administrator, administrator ? std::wstring() : CurrentUserSid());
  LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
  ThrowLastErrorIf(!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                                         descriptor.Receive(), nullptr),
                   [&path] { return "The access list for " + Utf8(path); });
  return descriptor;
}

// A folder's owner and access list as the system reads them back, as text to compare.
std::wstring ReadBack(HANDLE folder, const std::wstring& path) {
  constexpr SECURITY_INFORMATION kWhat = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
  const DWORD code =
      GetSecurityInfo(folder, SE_FILE_OBJECT, kWhat, nullptr, nullptr, nullptr, nullptr, descriptor.Receive());
  if (code != ERROR_SUCCESS) throw Win32Error(code, "The access list of " + Utf8(path));
  LocalMemory<wchar_t*> text;
  ThrowLastErrorIf(!ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor.Get(), SDDL_REVISION_1, kWhat,
                                                                         text.Receive(), nullptr),
                   [&path] { return "The access list of " + Utf8(path); });
  return text.Get();
}

// What a folder made now beside `path` reads back as: a file system may keep the list as
// given (Windows) or show one of its own making (Wine derives it from the host's
// permissions), and only the same system's answer is the measure. The probe has a name
// nobody can guess, and goes at once.
std::wstring PrivateReadBackBeside(const std::wstring& path) {
  const LocalMemory<PSECURITY_DESCRIPTOR> descriptor = PrivateDescriptor(path);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.Get(), FALSE};
  const std::wstring probe = FreshNameBeside(path, L".probe");
  ThrowLastErrorIf(!CreateDirectoryW(probe.c_str(), &attributes), probe);
  const FileHandle made(CreateFileW(probe.c_str(), READ_CONTROL | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!made) {
    const DWORD code = GetLastError();
    RemoveDirectoryW(probe.c_str());
    throw FileError(code, probe);
  }
  MarkForRemoval(made.Get(), true);
  return ReadBack(made.Get(), probe);
}

// The volume's flags, read through a handle to anything on it. Flags only: Wine answers
// nothing else for some host file systems (tmpfs).
DWORD VolumeFlagsOf(HANDLE on_volume, const std::wstring& path) {
  DWORD flags = 0;
  ThrowLastErrorIf(!GetVolumeInformationByHandleW(on_volume, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0), path);
  return flags;
}

// The folder `path` would be made in, as a folder: the root of "c:\x" is "c:\", not "c:".
std::wstring ParentFolderOf(const std::wstring& path) {
  const std::wstring parent = FolderOf(path);
  return !parent.empty() && parent.back() == L':' ? parent + L"\\" : parent;
}

// No FILE_SHARE_DELETE: while this is open the folder cannot be renamed or removed. The
// listing access is what makes the handle count: one for attributes only shares all.
FileHandle OpenFolderHold(const std::wstring& path, DWORD* code) {
  FileHandle folder(CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | READ_CONTROL | SYNCHRONIZE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!folder) *code = GetLastError();
  return folder;
}

// As HoldRealFolder below judges, without a word: no link there or above, and no file.
bool IsRealFolder(HANDLE folder, const std::wstring& path) {
  BY_HANDLE_FILE_INFORMATION held{};
  ThrowLastErrorIf(!GetFileInformationByHandle(folder, &held), path);
  return !((held.dwFileAttributes | AttributesOf(path)) & FILE_ATTRIBUTE_REPARSE_POINT) &&
         (held.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && ReachedWithoutLink(folder, path);
}

// A folder that is a real one of its own: no link at its name or on the way to it.
FileHandle HoldRealFolder(const std::wstring& path) {
  FileHandle folder = HoldAnyFolder(path, Utf8(path));
  BY_HANDLE_FILE_INFORMATION held{};
  ThrowLastErrorIf(!GetFileInformationByHandle(folder.Get(), &held), path);
  // Windows opens a link itself and says so; Wine opens what it points to, but the entry's
  // own attributes still say link, and the final path tells a link above.
  const DWORD entry = AttributesOf(path);
  if ((held.dwFileAttributes | entry) & FILE_ATTRIBUTE_REPARSE_POINT || !ReachedWithoutLink(folder.Get(), path))
    Refuse(ErrorNumber::kPathFileAccessError, path, "is a link to another place, not a folder of its own");
  if (!(held.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    Refuse(ErrorNumber::kPathFileAccessError, path, "is a file, not a folder");
  return folder;
}

std::string CannotMove(const std::wstring& path, const std::string& why) {
  return "could be changed by other users of this computer, and it cannot be moved aside: " + why +
         ". Close the programs that use it, or remove " + Utf8(path) + ", then start the setup again";
}

std::string CannotMoveLink(const std::wstring& path) {
  return "could be changed by other users of this computer, and it cannot be moved aside: it is a link, and this "
         "system would move what it leads to instead. Remove the link " +
         Utf8(path) + " (not what it leads to), then start the setup again";
}

// Windows refuses to rename a folder while a file inside is open; Wine renames it anyway,
// and the program holding the file would keep it. Asked first, both behave alike.
void RefuseOpenEntries(const std::wstring& path) {
  WIN32_FIND_DATAW entry{};
  FindHandle find(FindFirstFileW((path + L"\\*").c_str(), &entry));
  if (!find) return;
  do {
    const std::wstring name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring inside = path + L"\\" + name;
    // Shared with nobody: any other open handle that reads, writes or removes says no, and
    // so does a program running from the folder.
    if (OpenElsewhere(inside, 0))
      Refuse(ErrorNumber::kPathFileAccessError, path, CannotMove(path, Utf8(inside) + " is open in another program"));
  } while (FindNextFileW(find.Get(), &entry));
}

}  // namespace

void RequireAccessLists(DWORD volume_flags, const std::wstring& path) {
  if (volume_flags & FILE_PERSISTENT_ACLS) return;
  const std::string drive = DriveLetterOf(Utf8(path));
  Refuse(ErrorNumber::kPathFileAccessError, path,
         "lies on " + (drive.empty() ? std::string("a drive") : "drive " + drive) +
             ", which keeps no access lists (as FAT and exFAT drives): every user could change what is in it. "
             "The work folder must be on a drive that keeps access lists");
}

FolderAccess JudgeFolderAccess(const std::wstring& found, const std::wstring& made_now, bool administrator_rights) {
  // Exactly the owner and the entries a folder made now would get: anything more lets
  // someone else put a file there, and a handle opened before any repair keeps its rights.
  if (found == made_now) return FolderAccess::kPrivate;
  if (administrator_rights) return FolderAccess::kOthersMayChange;
  // The system may mark the list as set up for inheritance ("PAI"), which lets nobody in.
  std::wstring plain = found;
  if (const auto flags = plain.find(L"D:PAI("); flags != std::wstring::npos) plain.erase(flags + 3, 2);
  return plain == PrivateAccessList(true, std::wstring()) ? FolderAccess::kAdministratorsOnly
                                                          : FolderAccess::kOthersMayChange;
}

std::wstring PrivateAccessList(bool administrator_rights, const std::wstring& user_sid) {
  // Protected (P): nothing comes from the drive's root, where every user may create and
  // change; inherited (OICI) by everything made inside. The installer started from the
  // folder runs elevated: with those rights, not even the same user's other programs may
  // put a file in it.
  const std::wstring entries = L"(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
  if (administrator_rights) return L"O:BAD:P" + entries;
  return L"O:" + user_sid + L"D:P" + entries + L"(A;OICI;FA;;;" + user_sid + L")";
}

FileHandle HoldAnyFolder(const std::wstring& path, const std::string& named) {
  DWORD code = ERROR_SUCCESS;
  FileHandle folder = OpenFolderHold(path, &code);
  // A folder that is not there is a missing path, whichever way the system words it.
  if (!folder) throw Win32Error(code == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : code, named);
  return folder;
}

FileHandle HoldPrivateFolder(const std::wstring& path) {
  DWORD code = ERROR_SUCCESS;
  FileHandle folder = OpenFolderHold(path, &code);
  // Open elsewhere or closed to us: not ours, and MoveFolderAside says what is in the way.
  if (!folder && code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND) return FileHandle();
  if (!folder) throw Win32Error(ERROR_PATH_NOT_FOUND, Utf8(path));
  if (!IsRealFolder(folder.Get(), path)) return FileHandle();
  RequireAccessLists(VolumeFlagsOf(folder.Get(), path), path);
  switch (JudgeFolderAccess(ReadBack(folder.Get(), path), PrivateReadBackBeside(path), HasAdministratorRights())) {
    case FolderAccess::kPrivate:
      return folder;
    case FolderAccess::kAdministratorsOnly:
      // Locked down, not open: moving it aside would fail, and would be wrong.
      Refuse(ErrorNumber::kPermissionDenied, path,
             "was made by an administrator's run: start the setup as administrator");
    case FolderAccess::kOthersMayChange:
      break;
  }
  return FileHandle();
}

FileHandle MakePrivateFolder(const std::wstring& path) {
  {
    const std::wstring parent = ParentFolderOf(path);
    const FileHandle above(CreateFileW(parent.c_str(), FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!above) {
      // A folder that is not there is a missing path, whichever way the system words it.
      const DWORD code = GetLastError();
      throw FileError(code == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : code, path);
    }
    RequireAccessLists(VolumeFlagsOf(above.Get(), parent), path);
  }
  const LocalMemory<PSECURITY_DESCRIPTOR> descriptor = PrivateDescriptor(path);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.Get(), FALSE};
  if (!CreateDirectoryW(path.c_str(), &attributes)) {
    const DWORD code = GetLastError();
    // Something the listing did not show: under Wine, a link that leads nowhere.
    if (code == ERROR_ALREADY_EXISTS)
      Refuse(ErrorNumber::kPathFileAccessError, path,
             "is taken by something the setup can neither open nor move aside, such as a link to a place that does "
             "not exist. Remove " +
                 Utf8(path) + ", then start the setup again");
    throw FileError(code, path);
  }
  return HoldRealFolder(path);
}

std::wstring MoveFolderAside(const std::wstring& path) {
  // Before the entry is open for its rename: Wine lists no folder open so.
  const DWORD named = AttributesOf(path);
  if (named != INVALID_FILE_ATTRIBUTES && (named & FILE_ATTRIBUTE_DIRECTORY) && !(named & FILE_ATTRIBUTE_REPARSE_POINT))
    RefuseOpenEntries(path);
  // The entry itself, whatever it is: a folder, a file, or a link as the link.
  const FileHandle entry(CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!entry) {
    const DWORD code = GetLastError();
    Refuse(ErrorNumber::kPathFileAccessError, path,
           CannotMove(path, code == ERROR_SHARING_VIOLATION ? std::string("it is open in another program")
                                                            : "Windows refused it" + Win32Error(code, "").Detail()));
  }
  BY_HANDLE_FILE_INFORMATION held{};
  ThrowLastErrorIf(!GetFileInformationByHandle(entry.Get(), &held), path);
  // Windows opens a link itself and says so, in the handle's attributes and its final path.
  // Wine opens what the link leads to, and renaming that handle would move the place the
  // link leads to: a handle that is not the entry itself is never renamed.
  if (named == INVALID_FILE_ATTRIBUTES || ((held.dwFileAttributes ^ named) & FILE_ATTRIBUTE_REPARSE_POINT) ||
      !ReachedWithoutLink(entry.Get(), path))
    Refuse(ErrorNumber::kPathFileAccessError, path, CannotMoveLink(path));
  constexpr int kTries = 4;
  DWORD code = ERROR_SUCCESS;
  for (int attempt = 0; attempt < kTries; ++attempt) {
    const std::wstring aside = FreshNameBeside(path, L".aside");
    if (AttributesOf(aside) != INVALID_FILE_ATTRIBUTES) continue;  // taken: never replaced
    if (RenameOpenFile(entry.Get(), aside)) return aside;
    code = GetLastError();
  }
  Refuse(ErrorNumber::kPathFileAccessError, path,
         CannotMove(path, "Windows refused it" + Win32Error(code, "").Detail()));
}

}  // namespace hdgr::win32
