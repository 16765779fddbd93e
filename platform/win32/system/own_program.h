#pragma once
// The running program itself: its file and its version.

#include <string>

#include "platform/application_services.h"

namespace hdgr::win32 {

// Major, minor and revision of the running program's fixed version information; a program
// without version information is a path/file access error naming it.
OwnVersion ReadOwnVersion();
// The running program's own file.
std::wstring OwnProgramPath();

}  // namespace hdgr::win32
