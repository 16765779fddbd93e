#pragma once
// Entries, folders and whole files, by literal path (no wildcards anywhere). The
// contracts are those of ApplicationServices.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace hdgr::win32 {

// kFindFiles: a plain file (not hidden, not system); kFindFolders: a folder of that name
// too, hidden or not, since making it would fail all the same. A missing entry or a
// missing folder on the way: "". A '*' or '?': bad file name.
std::string FindEntry(std::string_view path, int mask);
void RemoveFile(std::string_view path);
void MakeFolder(std::string_view path);
void ChangeFolder(std::string_view path);
std::int32_t FileLength(std::string_view path);
// A read-only target is refused (permission denied) untouched; a hidden or system target
// is replaced whole.
void ReplaceFile(std::string_view from, std::string_view to);
void ReadFileInChunks(std::string_view path,
                      const std::function<void(std::span<const std::uint8_t>)>& sink);
// Creates or replaces `path` (hidden or system included) with exactly `bytes`; a file that
// cannot be written whole is removed again.
void WriteWholeFile(std::string_view path, std::span<const std::uint8_t> bytes);

}  // namespace hdgr::win32
