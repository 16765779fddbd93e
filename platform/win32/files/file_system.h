#pragma once
// Entries, folders and whole files, by literal path (no wildcards anywhere). The
// contracts are those of ApplicationServices.

#include <cstdint>
#include <string>
#include <vector>
#include <string_view>

namespace hdgr::win32 {

// kFindFiles: a plain file (not hidden, not system); kFindFolders: whatever takes the name,
// a folder or a file, hidden, system or not, since making a folder there would fail all the
// same. A missing entry or a missing folder on the way: "". A '*' or '?': bad file name. A
// drive letter this run does not have (another logon session's network or subst drive):
// path not found, saying so.
std::string FindEntry(std::string_view path, int mask);
// The entry itself goes, a link included, never what it points to; a read-only file or a
// folder is refused.
void RemoveFile(std::string_view path);
// Removes the plain files a stopped run left beside `final_path` (IsFreshNameOf), a link
// itself, never what it points to; returns their paths. One that cannot be removed (in use,
// read-only) stays.
std::vector<std::string> RemoveLeftovers(std::string_view final_path);
void ChangeFolder(std::string_view path);
std::int32_t FileLength(std::string_view path);
}  // namespace hdgr::win32
