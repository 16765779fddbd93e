#pragma once
// A folder of the user's choosing that the services write new files into (a layout's):
// held as it is found, with no link at its name or on the way, or made, private where the
// drive keeps access lists.

#include <string>

#include "platform/win32/files/held_files.h"

namespace hdgr::win32 {

// Holds `folder` (a full path as path_text resolves it: no "." or "..", no blank or dot
// ending a name) and every folder on the way that the run makes, in `held`, for the rest of
// the run. The deepest folder that exists, from the drive's root or the share down, is held
// first and must be a real folder reached without a link; then each missing one is made: as
// MakePrivateFolder makes it on a drive that keeps access lists, plain on one that keeps
// none. A link, or a file where a folder belongs, is a path/file access error naming it,
// and nothing below it is made.
void HoldOutputFolder(const std::wstring& folder, HeldFiles& held);

}  // namespace hdgr::win32
