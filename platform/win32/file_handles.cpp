#include "platform/win32/file_handles.h"

#include <ntsecapi.h>

#include <array>
#include <cstring>
#include <vector>

namespace hdgr::win32 {

bool IdentityOf(HANDLE file, FileIdentity* identity) {
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(file, &information)) return false;
  identity->volume = information.dwVolumeSerialNumber;
  identity->index = (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow;
  return true;
}

bool RenameOpenFile(HANDLE file, const std::wstring& to) {
  const std::size_t name_bytes = to.size() * sizeof(wchar_t);
  std::vector<std::uint8_t> buffer(sizeof(FILE_RENAME_INFO) + name_bytes);
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename->ReplaceIfExists = TRUE;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = static_cast<DWORD>(name_bytes);
  std::memcpy(rename->FileName, to.c_str(), name_bytes);
  return SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(buffer.size())) != FALSE;
}

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

FileHandle Duplicate(HANDLE file) {
  HANDLE copy = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), file, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS))
    return FileHandle();
  return FileHandle(copy);
}

std::wstring FolderOf(const std::wstring& path) {
  const auto slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

std::wstring FreshNameBeside(const std::wstring& path, std::wstring_view suffix) {
  std::array<std::uint8_t, 8> random{};
  if (!RtlGenRandom(random.data(), static_cast<ULONG>(random.size()))) {
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
  constexpr int kTries = 4;
  for (int attempt = 0; attempt < kTries; ++attempt) {
    const std::wstring name = FreshNameBeside(beside);
    FileHandle file(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) {
      MarkForRemoval(file.Get(), true);  // best effort: only what a killed process leaves depends on it
      *created = name;
      return file;
    }
    *error = GetLastError();
    if (*error != ERROR_FILE_EXISTS && *error != ERROR_ALREADY_EXISTS) break;
  }
  return FileHandle();
}

}  // namespace hdgr::win32
