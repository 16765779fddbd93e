#pragma once
// Folders the services work in, held open so that nobody can rename or remove them (and
// put something else in their place) while a run uses their paths.

#include <string>

#include "platform/win32/base/unique_handle.h"

namespace hdgr::win32 {

// The access list of a private folder, as SDDL: SYSTEM and the administrators only, owned
// by them, for a run with the administrators' rights; the user too, and owned by the user,
// for a run without.
std::wstring PrivateAccessList(bool administrator_rights, const std::wstring& user_sid);
// How a folder's owner and access list, as read back (`found`), compare with those of a
// folder made now beside it (`made_now`), both as SDDL. kAdministratorsOnly: a run
// without the administrators' rights finds what an earlier run with them made (owned by
// the administrators, SYSTEM and the administrators only), which nobody else can change but
// which this run cannot use either.
enum class FolderAccess { kPrivate, kAdministratorsOnly, kOthersMayChange };
FolderAccess JudgeFolderAccess(const std::wstring& found, const std::wstring& made_now, bool administrator_rights);
// A folder is private only on a volume that keeps the access lists given to it: one whose
// flags lack FILE_PERSISTENT_ACLS (FAT, exFAT) reads every folder back with the same
// made-up list, whoever may change it. There, a path/file access error naming the drive.
void RequireAccessLists(DWORD volume_flags, const std::wstring& path);
// Holds the folder at `path`, whatever it is; errors name `named`.
FileHandle HoldAnyFolder(const std::wstring& path, const std::string& named);
// Holds the folder at `path` if it is a real folder (no symbolic link, junction or mount
// point there or above it) whose owner and access list read back exactly as those of a
// folder MakePrivateFolder makes beside it now. An empty handle, nothing changed, for
// anything else: a folder others may change, a link, a file, an entry open elsewhere. A
// real folder on a volume without access lists is refused (RequireAccessLists), and one
// only administrators may use, found by a run without their rights, is permission denied.
FileHandle HoldPrivateFolder(const std::wstring& path);
// Makes a folder with nothing inherited from the folder above: SYSTEM and the
// administrators only, owned by them, when the run has the administrators' rights; the
// current user too, and owned by the user, when it has not. Then holds it. A name already
// taken is refused with a run-time error that says to remove what takes it, and a folder
// above on a volume without access lists as RequireAccessLists says, before anything is made.
FileHandle MakePrivateFolder(const std::wstring& path);
// Renames the entry at `path` to a fresh name beside it and returns that name: a folder
// with its contents, a file, a link as the link. When something inside a folder is open
// (Windows then refuses the rename; Wine would not), the entry is open elsewhere, the
// system gives the place a link leads to instead of the link, or the rename fails, nothing
// moves and the run-time error names the entry and says what to close or remove.
std::wstring MoveFolderAside(const std::wstring& path);

}  // namespace hdgr::win32
