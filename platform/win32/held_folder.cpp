#include "platform/win32/held_folder.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "platform/win32/file_error.h"
#include "platform/win32/file_handles.h"
#include "platform/win32/wide_text.h"

namespace hdgr::win32 {

namespace {

[[noreturn]] void Refuse(ErrorNumber number, const std::wstring& path, const char* why) {
  throw RunTimeError(number, Utf8(path) + " " + why);
}

// The current user's SID as text ("S-1-5-21-...").
std::wstring CurrentUserSid() {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) throw Win32Error(GetLastError(), "The process token");
  const ProcessHandle token(raw);
  DWORD size = 0;
  GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
  std::vector<std::uint8_t> buffer(size);
  if (!GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size))
    throw Win32Error(GetLastError(), "The current user");
  LocalMemory<wchar_t*> text;
  if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, text.Receive()))
    throw Win32Error(GetLastError(), "The current user");
  return text.Get();
}

bool OwnedByUserOrAdministrators(HANDLE folder, const std::wstring& path) {
  PSID owner = nullptr;  // inside the descriptor
  LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
  const DWORD code = GetSecurityInfo(folder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                                     nullptr, descriptor.Receive());
  if (code != ERROR_SUCCESS) throw Win32Error(code, "The owner of " + Utf8(path));
  if (IsWellKnownSid(owner, WinBuiltinAdministratorsSid)) return true;
  LocalMemory<wchar_t*> text;
  return ConvertSidToStringSidW(owner, text.Receive()) && CurrentUserSid() == text.Get();
}

}  // namespace

FileHandle HoldAnyFolder(const std::wstring& path, const std::string& named) {
  // No FILE_SHARE_DELETE: while this is open the folder cannot be renamed or removed. The
  // listing access is what makes the handle count: one for attributes only shares all.
  FileHandle folder(CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | READ_CONTROL | SYNCHRONIZE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!folder) {
    const DWORD code = GetLastError();
    // A folder that is not there is a missing path, whichever way the system words it.
    throw Win32Error(code == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : code, named);
  }
  return folder;
}

FileHandle HoldOwnFolder(const std::wstring& path) {
  FileHandle folder = HoldAnyFolder(path, Utf8(path));
  BY_HANDLE_FILE_INFORMATION held{};
  if (!GetFileInformationByHandle(folder.Get(), &held)) throw FileError(GetLastError(), path);
  // Windows opens a link itself and says so; Wine opens what it points to, but the entry's
  // own attributes still say link. Either way the held folder must be the one at the path.
  const DWORD entry = AttributesOf(path);
  if ((held.dwFileAttributes | entry) & FILE_ATTRIBUTE_REPARSE_POINT)
    Refuse(ErrorNumber::kPathFileAccessError, path, "is a link to another place, not a folder of its own");
  if (!(held.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    Refuse(ErrorNumber::kPathFileAccessError, path, "is a file, not a folder");
  FileIdentity identity;
  FileIdentity now;
  const FileHandle again(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!again || !IdentityOf(folder.Get(), &identity) || !IdentityOf(again.Get(), &now) || !(identity == now))
    Refuse(ErrorNumber::kPathFileAccessError, path, "changed while it was being opened");
  if (!OwnedByUserOrAdministrators(folder.Get(), path))
    Refuse(ErrorNumber::kPermissionDenied, path, "belongs to another user");
  return folder;
}

FileHandle MakePrivateFolder(const std::wstring& path) {
  // Protected (P): nothing comes from the drive's root, where every user may create and
  // change; inherited (OICI) by everything made inside.
  const std::wstring sddl =
      L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;" + CurrentUserSid() + L")";
  LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, descriptor.Receive(),
                                                            nullptr))
    throw Win32Error(GetLastError(), "The access list for " + Utf8(path));
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.Get(), FALSE};
  if (!CreateDirectoryW(path.c_str(), &attributes)) throw FileError(GetLastError(), path);
  return HoldOwnFolder(path);
}

}  // namespace hdgr::win32
