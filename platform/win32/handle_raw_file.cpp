#include "platform/win32/handle_raw_file.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/file_error.h"
#include "platform/win32/wide_text.h"

namespace hdgr::win32 {

namespace {

// A synchronous handle reads and writes at the OVERLAPPED offset: no separate seek.
OVERLAPPED At(std::int64_t offset) {
  OVERLAPPED overlapped{};
  overlapped.Offset = static_cast<DWORD>(offset & 0xFFFFFFFF);
  overlapped.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return overlapped;
}

constexpr std::size_t kMostPerCall = 1u << 20;

}  // namespace

std::unique_ptr<HandleRawFile> HandleRawFile::OpenForRecords(std::string_view path) {
  std::wstring wide = Wide(path);
  RefuseReadOnly(wide);
  FileHandle file(CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw FileError(GetLastError(), wide);
  return std::unique_ptr<HandleRawFile>(new HandleRawFile(std::move(file), std::move(wide)));
}

std::int64_t HandleRawFile::Size() {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file_.Get(), &size)) throw FileError(GetLastError(), path_);
  return size.QuadPart;
}

void HandleRawFile::ReadAt(std::int64_t offset, std::span<std::uint8_t> into) {
  while (!into.empty()) {
    OVERLAPPED at = At(offset);
    const auto part = static_cast<DWORD>(std::min(into.size(), kMostPerCall));
    DWORD read = 0;
    if (!ReadFile(file_.Get(), into.data(), part, &read, &at)) throw FileError(GetLastError(), path_);
    if (read == 0) throw FileError(ERROR_HANDLE_EOF, path_);
    into = into.subspan(read);
    offset += read;
  }
}

void HandleRawFile::WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    OVERLAPPED at = At(offset);
    const auto part = static_cast<DWORD>(std::min(bytes.size(), kMostPerCall));
    DWORD written = 0;
    if (!WriteFile(file_.Get(), bytes.data(), part, &written, &at))
      throw FileError(GetLastError(), path_);
    if (written == 0) throw FileError(ERROR_DISK_FULL, path_);
    bytes = bytes.subspan(written);
    offset += written;
  }
}

}  // namespace hdgr::win32
