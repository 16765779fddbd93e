#pragma once
// Whether an open file or folder is the one its path names, with no link on the way.

#include <windows.h>

#include <string>

namespace hdgr::win32 {

// True when the system's final path of `handle` is `path` made full and long (letter case
// aside): no symbolic link, junction or mount point lay on the way, at the end or in a
// folder above. Windows shows the last link itself to FILE_FLAG_OPEN_REPARSE_POINT, but
// follows those above it; Wine follows the host's links without a word: only the final
// path tells. On a network drive the server resolves its links itself, and the drive
// letter never reads back: the answer there is true.
bool ReachedWithoutLink(HANDLE handle, const std::wstring& path);
// The system's own path of an open file or folder ("C:\\..." or "\\\\server\\share\\..."), empty
// when it cannot say.
std::wstring FinalPathOf(HANDLE handle);

}  // namespace hdgr::win32
