#pragma once
// What the services do to files through their handles, never through their names again:
// rename, mark for removal, tell one file from another, make fresh names beside a path.

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/win32/base/unique_handle.h"

namespace hdgr::win32 {

// One file, whatever its names: the volume and the file's index on it.
struct FileIdentity {
  DWORD volume = 0;
  std::uint64_t index = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// False (with the code in GetLastError) when the handle cannot say.
bool IdentityOf(HANDLE file, FileIdentity* identity);
// Renames the open file to `to`, replacing the entry there itself (a link is replaced, not
// followed). The handle needs DELETE access. False with GetLastError on failure.
bool RenameOpenFile(HANDLE file, const std::wstring& to);
// As RenameOpenFile, to `name` directly in the open `folder`, reached through its handle,
// never through a path.
bool RenameOpenFileInto(HANDLE file, HANDLE folder, const std::wstring& name);
// Marks the open file to be removed when its last handle closes (or clears the mark).
bool MarkForRemoval(HANDLE file, bool remove);
// Writes all of `bytes` where the file pointer is; 0, or the code of the failing write.
DWORD WriteWhole(HANDLE file, std::span<const std::uint8_t> bytes);

// Whether another program has the entry at `path` open so that it cannot be changed: a
// handle whose sharing refuses writing or removal, or a running program's image, which
// holds no handle and refuses write access (though it allows DELETE). The probes share
// `share`: 0 counts any other handle at all.
bool OpenElsewhere(const std::wstring& path, DWORD share);

// The folder part of a path ("c:\a\b.txt" -> "c:\a").
std::wstring FolderOf(const std::wstring& path);
// The last name of a path ("c:\a\b.txt" -> "b.txt").
std::wstring NameOf(const std::wstring& path);
// "`path`.<16 random hex digits>`suffix`": nobody can guess it before it exists.
std::wstring FreshNameBeside(const std::wstring& path, std::wstring_view suffix = L".new");
// Creates a file where no entry exists at this moment, read, write and delete access, shared
// for reading only, and marked for removal until it is cleared: a process that dies leaves
// nothing behind. A name that exists already is tried again under another.
FileHandle CreateFreshFile(const std::wstring& beside, std::wstring* created, DWORD* error);
// As CreateFreshFile, for a file named `name` directly in the open `folder`: made through
// the folder's handle, never through a path, so it lies in that folder whatever was renamed
// or linked on the way to it. `created` receives the fresh name alone.
FileHandle CreateFreshFileIn(HANDLE folder, const std::wstring& name, std::wstring* created, DWORD* error);

}  // namespace hdgr::win32
