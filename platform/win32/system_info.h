#pragma once

#include <string>

#include "platform/application_services.h"

namespace hdgr::win32 {

// The primary screen in twips; twips per pixel = 1440 / the screen's dots per inch.
ScreenMetrics ReadScreenMetrics();
// Major, minor and revision of the running program's fixed version information; a program
// without version information is a path/file access error naming it.
OwnVersion ReadOwnVersion();
// Elevated, or an administrator where there is no elevation: a limited token holds the
// administrators' group for denying only, and is no member.
bool HasAdministratorRights();
// The running program's own file.
std::wstring OwnProgramPath();

}  // namespace hdgr::win32
