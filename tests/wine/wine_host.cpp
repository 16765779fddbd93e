#include "tests/wine/wine_host.h"

#include <windows.h>
#include <aclapi.h>

#include <cstdint>

#include "platform/win32/base/unique_handle.h"

namespace hdgr::wine_host {

namespace {

// Wine starts a host program when asked to start one, but its process cannot be waited
// for: the caller waits until `done` says the work is seen, for up to ten seconds.
template <typename Done>
bool RunHostProgram(const wchar_t* program, std::wstring command_line, Done done) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(program, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &started))
    return false;
  const win32::ProcessHandle process(started.hProcess);
  const win32::ProcessHandle thread(started.hThread);
  for (int tries = 0; tries < 1000; ++tries) {
    if (done()) return true;
    Sleep(10);
  }
  return false;
}

bool EntryExists(const std::wstring& path) {
  WIN32_FIND_DATAW found{};
  const win32::FindHandle find(FindFirstFileW(path.c_str(), &found));
  return find.Valid();
}

// EntryExists, or a link whose target is missing: Wine lists none, but will not make a file
// in its place either. A file made here goes again as it is closed (so no host program may
// be making the name meanwhile).
bool NameTaken(const std::wstring& path) {
  if (EntryExists(path)) return true;
  const win32::FileHandle probe(
      CreateFileW(path.c_str(), DELETE, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  return !probe && (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS);
}

std::wstring Quoted(const std::string& unix_path) {
  std::wstring quoted = L"\"";
  const int length = MultiByteToWideChar(CP_UTF8, 0, unix_path.data(), static_cast<int>(unix_path.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, unix_path.data(), static_cast<int>(unix_path.size()), wide.data(), length);
  return quoted + wide + L"\"";
}

bool OwnedByCurrentUser(const std::wstring& path) {
  PSID owner = nullptr;  // inside the descriptor
  win32::LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                            nullptr, descriptor.Receive()) != ERROR_SUCCESS)
    return false;
  win32::ProcessHandle token;
  bool ours = false;
  std::uint8_t buffer[256];
  DWORD size = 0;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive()) &&
      GetTokenInformation(token.Get(), TokenUser, buffer, sizeof buffer, &size))
    ours = EqualSid(owner, reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid) != FALSE;
  return ours;
}

}  // namespace

std::string UnixPathOf(const std::wstring& path) {
  using UnixName = char*(CDECL*)(const WCHAR*);
  const auto unix_name = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (unix_name == nullptr) return {};
  char* name = unix_name(path.c_str());
  if (name == nullptr) return {};
  std::string result(name);
  HeapFree(GetProcessHeap(), 0, name);
  return result;
}

bool MakeSymbolicLink(const std::wstring& link, const std::wstring& target) {
  const std::string unix_link = UnixPathOf(link);
  const std::string unix_target = UnixPathOf(target);
  if (unix_link.empty() || unix_target.empty()) return false;
  return RunHostProgram(L"Z:\\bin\\ln", L"/bin/ln -s " + Quoted(unix_target) + L" " + Quoted(unix_link),
                        [&] { return EntryExists(link); });
}

bool GiveToAnotherUser(const std::wstring& path) {
  const std::string unix_path = UnixPathOf(path);
  if (unix_path.empty()) return false;
  return RunHostProgram(L"Z:\\bin\\chown", L"/bin/chown nobody " + Quoted(unix_path),
                        [&] { return !OwnedByCurrentUser(path); });
}

namespace {
std::uint64_t DiskBytes(const std::wstring& folder) {
  ULARGE_INTEGER total{};
  return GetDiskFreeSpaceExW(folder.c_str(), nullptr, &total, nullptr) ? total.QuadPart : 0;
}
}  // namespace

bool MountSmallDisk(const std::wstring& path, int megabytes) {
  const std::string unix_path = UnixPathOf(path);
  if (unix_path.empty()) return false;
  const std::uint64_t size = std::uint64_t{1} << 20 << 0;
  const std::uint64_t wanted = static_cast<std::uint64_t>(megabytes) * size;
  return RunHostProgram(L"Z:\\bin\\mount",
                        L"/bin/mount -t tmpfs -o size=" + std::to_wstring(megabytes) + L"m tmpfs " + Quoted(unix_path),
                        [&] { return DiskBytes(path) == wanted; });
}

bool Unmount(const std::wstring& path) {
  const std::string unix_path = UnixPathOf(path);
  if (unix_path.empty()) return false;
  const std::uint64_t mounted = DiskBytes(path);
  const auto gone = [&] { return DiskBytes(path) != mounted; };
  if (RunHostProgram(L"Z:\\bin\\umount", L"/bin/umount " + Quoted(unix_path), gone)) return true;
  // Busy: a killed program's handles go a moment after it. Detached lazily, the disk goes
  // when they do, and no later test finds it in its way.
  return RunHostProgram(L"Z:\\bin\\umount", L"/bin/umount -l " + Quoted(unix_path), gone);
}

bool RemoveTree(const std::wstring& path) {
  const std::string unix_path = UnixPathOf(path);
  if (unix_path.empty()) return false;
  // Only when there is something to remove: a late rm would take what comes next.
  if (!NameTaken(path)) return true;
  return RunHostProgram(L"Z:\\bin\\rm", L"/bin/rm -rf " + Quoted(unix_path), [&] { return !NameTaken(path); });
}

namespace {
bool FolderThere(const std::wstring& parent, const std::string& name) {
  const std::wstring wide(name.begin(), name.end());
  // The closing separator keeps a blank at the name's end.
  const win32::FileHandle folder(CreateFileW((parent + L"\\" + wide + L"\\").c_str(), FILE_READ_ATTRIBUTES,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return folder.Valid();
}
}  // namespace

bool MakeHostFolder(const std::wstring& parent, const std::string& name) {
  const std::string unix_parent = UnixPathOf(parent);
  if (unix_parent.empty()) return false;
  return RunHostProgram(L"Z:\\bin\\mkdir", L"/bin/mkdir " + Quoted(unix_parent + "/" + name),
                        [&] { return FolderThere(parent, name); });
}

bool RemoveHostFolder(const std::wstring& parent, const std::string& name) {
  const std::string unix_parent = UnixPathOf(parent);
  if (unix_parent.empty()) return false;
  if (!FolderThere(parent, name)) return true;
  return RunHostProgram(L"Z:\\bin\\rm", L"/bin/rm -rf " + Quoted(unix_parent + "/" + name),
                        [&] { return !FolderThere(parent, name); });
}

bool OpenToEveryone(const std::wstring& path) {
  const std::string unix_path = UnixPathOf(path);
  if (unix_path.empty()) return false;
  const auto everyone_may_write = [&] {
    PACL dacl = nullptr;  // inside the descriptor
    win32::LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
    if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                              nullptr, descriptor.Receive()) != ERROR_SUCCESS)
      return false;
    std::uint8_t everyone[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof everyone;
    CreateWellKnownSid(WinWorldSid, nullptr, everyone, &size);
    for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
      void* ace = nullptr;
      if (GetAce(dacl, i, &ace) && static_cast<ACE_HEADER*>(ace)->AceType == ACCESS_ALLOWED_ACE_TYPE &&
          EqualSid(&static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart, everyone) &&
          (static_cast<ACCESS_ALLOWED_ACE*>(ace)->Mask & FILE_ADD_FILE))
        return true;
    }
    return false;
  };
  return RunHostProgram(L"Z:\\bin\\chmod", L"/bin/chmod 777 " + Quoted(unix_path), everyone_may_write);
}

bool TakeBack(const std::wstring& path) {
  const std::string unix_path = UnixPathOf(path);
  if (unix_path.empty()) return false;
  return RunHostProgram(L"Z:\\bin\\chown", L"/bin/chown --reference=/proc/self " + Quoted(unix_path),
                        [&] { return OwnedByCurrentUser(path); });
}

}  // namespace hdgr::wine_host
