#pragma once
// Folders the services work in, held open so that nobody can rename or remove them (and
// put something else in their place) while a run uses their paths.

#include <string>

#include "platform/win32/unique_handle.h"

namespace hdgr::win32 {

// Holds the folder at `path`, whatever it is; errors name `named`.
FileHandle HoldAnyFolder(const std::wstring& path, const std::string& named);
// Holds the folder at `path` if it is ours to work in: a real folder (no symbolic link,
// junction or mount point), owned by the current user or the administrators. Anything
// else is refused with a run-time error and left as it is.
FileHandle HoldOwnFolder(const std::wstring& path);
// Makes a folder open to the current user, SYSTEM and the administrators only, with
// nothing inherited from the folder above, then holds it.
FileHandle MakePrivateFolder(const std::wstring& path);

}  // namespace hdgr::win32
