#pragma once
// Which texts the platform takes as paths, and in what form. Paths are taken literally:
// no service expands a wildcard, and a path that is not full is never resolved against
// whatever folder the program happens to be in.

#include <string>
#include <string_view>
#include <vector>

namespace hdgr {

// A drive letter, a colon and a separator ("C:\..."), a UNC share ("\\server\share..."),
// or either behind the long-path prefix "\\?\" ("\\?\C:\...", "\\?\UNC\server\share...").
// A "server" that begins with "." or "?" is the device namespace ("\\.\", "\\?\"), no server.
bool IsFullPath(std::string_view path);
// A full path as the system's final path of a file reads, without the long-path prefix:
// "\\?\C:\x" is "C:\x", "\\?\UNC\server\share\x" is "\\server\share\x", a plain full path
// is itself. Empty for anything IsFullPath refuses, the device paths among them
// ("\\.\C:\x", "\\?\Volume{...}\x", "\\?\GLOBALROOT\..."), which reach a volume past its name.
std::string PlainFormOf(std::string_view path);
// A '*' or '?' outside the long-path prefix.
bool HasWildcard(std::string_view path);
// The names `path` leads through, as the system resolves a full path: the drive ("C:") or
// the share ("\\server\share") first, then each name without the blanks and dots it drops
// at a name's end, "." and empty names left out, ".." taking the name before it away. The
// long-path prefix is taken off first ("\\?\C:\x" is "C:\x", "\\?\UNC\s\t" is
// "\\s\t"). Empty when `path` is no full path.
std::vector<std::string> ResolvedNames(std::string_view path);
// Whether `path` is `folder` or lies inside it, both resolved as above, letter case aside.
// False when either is no full path.
bool LiesWithin(std::string_view path, std::string_view folder);
// The drive letter, in capitals, and colon a full path lies on ("C:" for "C:\x",
// "\\?\C:\x" and "c:/x"); empty for a share, a device path or anything not full.
std::string DriveLetterOf(std::string_view path);
// Whether `folder` is a drive's root ("C:\", "c:\.", "\\?\C:\").
bool IsDriveRoot(std::string_view folder);
// Whether `entry` is the name a new file for `name` is made under, "`name`.<16 hex digits>.new"
// (letter case aside): what a run stopped before its rename leaves beside the final name.
bool IsFreshNameOf(std::string_view entry, std::string_view name);

}  // namespace hdgr
