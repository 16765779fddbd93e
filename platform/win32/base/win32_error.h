#pragma once
// The one place where a Win32 error code becomes a run-time error. The code is passed in
// explicitly: registry functions return theirs, the others need GetLastError() read right
// after the failing call, before anything else can overwrite it.

#include <cstdint>
#include <string>

#include "platform/run_time_error.h"

namespace hdgr::win32 {

using Win32Code = std::uint32_t;  // a DWORD

ErrorNumber ErrorNumberOf(Win32Code code);
// `what` names the object (a path, a setting); the system's own text for the code follows.
RunTimeError Win32Error(Win32Code code, const std::string& what);

}  // namespace hdgr::win32
