#pragma once
// Whether an open file or folder is the one its path names, with no link on the way.

#include <windows.h>

#include <string>

namespace hdgr::win32 {

// True when the system's final path of `handle` is `path` made full and long (letter case
// aside): no symbolic link, junction or mount point lay on the way, at the end or in a
// folder above. Windows shows the last link itself to FILE_FLAG_OPEN_REPARSE_POINT, but
// follows those above it; Wine follows the host's links without a word: only the final
// path tells. The long-path prefix is judged away ("\\?\C:\x" as "C:\x"); any other device
// path ("\\.\C:\x", "\\?\Volume{...}\x", "\\?\GLOBALROOT\...") is false. On a network share
// ("\\server\share", "\\?\UNC\server\share", a network drive) the server resolves its links
// itself, and the drive letter never reads back: the answer there is true. A final path of
// any length is read; one the system cannot give at all is a path/file access error that
// says so, never taken for a link.
bool ReachedWithoutLink(HANDLE handle, const std::wstring& path);
// The system's own path of an open file or folder ("C:\\..." or "\\\\server\\share\\..."), of any
// length (past Wine's MAX_PATH too), empty when it cannot say.
std::wstring FinalPathOf(HANDLE handle);
// Whether the open `inner` is the open `outer` or lies inside it, as the system's final
// paths of both read: any spelling of either (short names, the long-path prefix, letter
// case, a link) comes to the same. False when either cannot say.
bool IsSameOrInside(HANDLE inner, HANDLE outer);

}  // namespace hdgr::win32
