#include "platform/win32/files/file_handles.h"

#include <winternl.h>

#include <array>
#include <cstring>
#include <vector>

#include "platform/win32/base/system_random.h"

namespace hdgr::win32 {

namespace {

constexpr ACCESS_MASK kNewFileAccess = GENERIC_READ | GENERIC_WRITE | DELETE;

// Looked up, not imported: ntdll is in every process before its first line. Its calls take
// a folder's handle where the Win32 ones take a path.
template <typename Function>
Function NtdllFunction(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

DWORD ErrorOf(NTSTATUS status) {
  return NtdllFunction<decltype(&RtlNtStatusToDosError)>("RtlNtStatusToDosError")(status);
}

bool Renamed(HANDLE file, HANDLE folder, const std::wstring& to) {
  const std::size_t name_bytes = to.size() * sizeof(wchar_t);
  std::vector<std::uint8_t> buffer(sizeof(FILE_RENAME_INFO) + name_bytes);
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename->ReplaceIfExists = TRUE;
  rename->RootDirectory = folder;
  rename->FileNameLength = static_cast<DWORD>(name_bytes);
  std::memcpy(rename->FileName, to.c_str(), name_bytes);
  // The Win32 call reads the name as a path of its own, whatever the folder.
  if (folder == nullptr)
    return SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(buffer.size())) != FALSE;
  IO_STATUS_BLOCK io{};
  const NTSTATUS status = NtdllFunction<decltype(&NtSetInformationFile)>("NtSetInformationFile")(
      file, &io, rename, static_cast<ULONG>(buffer.size()), FileRenameInformation);
  if (status < 0) SetLastError(ErrorOf(status));
  return status >= 0;
}

// As CreateFileW with CREATE_NEW, for `name` directly in the open `folder`.
FileHandle CreateNewIn(HANDLE folder, const std::wstring& name, DWORD* error) {
  constexpr std::size_t kLongestName = 0x7FFF;  // characters a counted string holds
  if (name.size() > kLongestName) {
    *error = ERROR_FILENAME_EXCED_RANGE;
    return FileHandle();
  }
  const auto bytes = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  UNICODE_STRING counted{bytes, bytes, const_cast<wchar_t*>(name.c_str())};
  OBJECT_ATTRIBUTES attributes{};
  InitializeObjectAttributes(&attributes, &counted, OBJ_CASE_INSENSITIVE, folder, nullptr);
  IO_STATUS_BLOCK io{};
  HANDLE file = nullptr;
  const NTSTATUS status = NtdllFunction<decltype(&NtCreateFile)>("NtCreateFile")(
      &file, kNewFileAccess | SYNCHRONIZE | FILE_READ_ATTRIBUTES, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL,
      FILE_SHARE_READ, FILE_CREATE, FILE_NON_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
  if (status < 0) {
    *error = ErrorOf(status);
    return FileHandle();
  }
  return FileHandle(file);
}

// A new file under a fresh name beside `beside`, made by `create(name, error)`: read, write
// and delete access, shared for reading only, marked for removal.
template <typename Create>
FileHandle CreateUnderFreshName(const std::wstring& beside, std::wstring* created, DWORD* error, Create create) {
  constexpr int kTries = 4;
  for (int attempt = 0; attempt < kTries; ++attempt) {
    const std::wstring name = FreshNameBeside(beside);
    FileHandle file = create(name, error);
    if (file) {
      MarkForRemoval(file.Get(), true);  // best effort: only what a killed process leaves depends on it
      *created = name;
      return file;
    }
    if (*error != ERROR_FILE_EXISTS && *error != ERROR_ALREADY_EXISTS) break;
  }
  return FileHandle();
}

}  // namespace

bool IdentityOf(HANDLE file, FileIdentity* identity) {
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(file, &information)) return false;
  identity->volume = information.dwVolumeSerialNumber;
  identity->index = (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow;
  return true;
}

bool RenameOpenFile(HANDLE file, const std::wstring& to) { return Renamed(file, nullptr, to); }

bool RenameOpenFileInto(HANDLE file, HANDLE folder, const std::wstring& name) { return Renamed(file, folder, name); }

bool MarkForRemoval(HANDLE file, bool remove) {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = remove ? TRUE : FALSE;
  return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
}

DWORD WriteWhole(HANDLE file, std::span<const std::uint8_t> bytes) {
  constexpr std::size_t kMostPerCall = 1u << 20;
  while (!bytes.empty()) {
    const auto part = static_cast<DWORD>(bytes.size() < kMostPerCall ? bytes.size() : kMostPerCall);
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), part, &written, nullptr)) return GetLastError();
    if (written == 0) return ERROR_DISK_FULL;
    bytes = bytes.subspan(written);
  }
  return 0;
}

bool OpenElsewhere(const std::wstring& path, DWORD share) {
  // A read-only file refuses write access to everybody: DELETE still meets the handles.
  for (const DWORD access : {DWORD{FILE_WRITE_DATA}, DWORD{DELETE}}) {
    const FileHandle probe(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!probe && GetLastError() == ERROR_SHARING_VIOLATION) return true;
  }
  return false;
}

std::wstring FolderOf(const std::wstring& path) {
  const auto slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

std::wstring NameOf(const std::wstring& path) {
  const auto slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring FreshNameBeside(const std::wstring& path, std::wstring_view suffix) {
  std::array<std::uint8_t, 8> random{};
  if (!SystemRandom(random)) {
    // Unguessable is the point; without the system's generator, the clock and the process
    // still make a name nobody else picks by accident.
    const std::uint64_t fallback = GetTickCount64() ^ (std::uint64_t{GetCurrentProcessId()} << 32);
    std::memcpy(random.data(), &fallback, random.size());
  }
  static constexpr wchar_t kHex[] = L"0123456789abcdef";
  std::wstring name = path + L".";
  for (std::uint8_t byte : random) {
    name += kHex[byte >> 4];
    name += kHex[byte & 15];
  }
  return name + std::wstring(suffix);
}

FileHandle CreateFreshFile(const std::wstring& beside, std::wstring* created, DWORD* error) {
  return CreateUnderFreshName(beside, created, error, [](const std::wstring& name, DWORD* failed) {
    FileHandle file(
        CreateFileW(name.c_str(), kNewFileAccess, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) *failed = GetLastError();
    return file;
  });
}

FileHandle CreateFreshFileIn(HANDLE folder, const std::wstring& name, std::wstring* created, DWORD* error) {
  return CreateUnderFreshName(name, created, error, [folder](const std::wstring& fresh, DWORD* failed) {
    return CreateNewIn(folder, fresh, failed);
  });
}

}  // namespace hdgr::win32
