#pragma once
// Which texts the platform takes as paths, and in what form. Paths are taken literally:
// no service expands a wildcard, and a path that is not full is never resolved against
// whatever folder the program happens to be in.

#include <string>
#include <string_view>

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
// Whether `entry` is the name a new file for `name` is made under, "`name`.<16 hex digits>.new"
// (letter case aside): what a run stopped before its rename leaves beside the final name.
bool IsFreshNameOf(std::string_view entry, std::string_view name);

}  // namespace hdgr
