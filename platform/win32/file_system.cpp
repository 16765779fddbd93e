#include "platform/win32/file_system.h"

#include <windows.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "platform/application_services.h"
#include "platform/path_text.h"
#include "platform/run_time_error.h"
#include "platform/win32/file_error.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/wide_text.h"

namespace hdgr::win32 {

namespace {

constexpr DWORD kChunkBytes = 64 * 1024;

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
    if (MeansNothingThere(code)) return {};
    throw Win32Error(code, std::string(path));
  }
  const DWORD attributes = found.dwFileAttributes;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    if ((mask & kFindFolders) == 0) return {};
  } else if (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) {
    return {};
  }
  return Utf8(found.cFileName);
}

void RemoveFile(std::string_view path) {
  const std::wstring wide = Wide(path);
  if (!DeleteFileW(wide.c_str())) throw FileError(GetLastError(), wide);
}

void MakeFolder(std::string_view path) {
  const std::wstring wide = Wide(path);
  if (!CreateDirectoryW(wide.c_str(), nullptr)) throw FileError(GetLastError(), wide);
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
  if (!GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data))
    throw FileError(GetLastError(), wide);
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
    throw RunTimeError(ErrorNumber::kPathFileAccessError, std::string(path) + " is a folder");
  const auto length = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  if (length > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
    throw RunTimeError(ErrorNumber::kOverflow, std::string(path) + " is longer than 2 GiB - 1");
  return static_cast<std::int32_t>(length);
}

void ReplaceFile(std::string_view from, std::string_view to) {
  const std::wstring source = Wide(from);
  const std::wstring target = Wide(to);
  const DWORD before = AttributesOf(target);
  if (before != INVALID_FILE_ATTRIBUTES && (before & FILE_ATTRIBUTE_READONLY))
    throw RunTimeError(ErrorNumber::kPermissionDenied, std::string(to) + " is read-only");
  UnhideForReplacing(target);
  if (!MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD code = GetLastError();
    if (before != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(target.c_str(), before);
    throw Win32Error(code, "Replacing " + std::string(to) + " with " + std::string(from));
  }
}

void ReadFileInChunks(std::string_view path,
                      const std::function<void(std::span<const std::uint8_t>)>& sink) {
  const std::wstring wide = Wide(path);
  const FileHandle file(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) throw FileError(GetLastError(), wide);
  std::vector<std::uint8_t> chunk(kChunkBytes);
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.Get(), chunk.data(), kChunkBytes, &read, nullptr))
      throw FileError(GetLastError(), wide);
    if (read == 0) return;
    sink(std::span<const std::uint8_t>(chunk.data(), read));
  }
}

namespace {
// Returns 0 or the code of the failing write.
DWORD WriteAll(HANDLE file, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const DWORD part = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), part, &written, nullptr)) return GetLastError();
    if (written == 0) return ERROR_DISK_FULL;
    bytes = bytes.subspan(written);
  }
  return 0;
}
}  // namespace

void WriteWholeFile(std::string_view path, std::span<const std::uint8_t> bytes) {
  const std::wstring wide = Wide(path);
  RefuseReadOnly(wide);
  UnhideForReplacing(wide);
  DWORD code = 0;
  {
    const FileHandle file(CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw FileError(GetLastError(), wide);
    code = WriteAll(file.Get(), bytes);
  }
  if (code != 0) {
    DeleteFileW(wide.c_str());
    throw FileError(code, wide);
  }
}

}  // namespace hdgr::win32
