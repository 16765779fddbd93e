#pragma once
// The event boundary's end for a failure: the platform's run-time error message, then
// exit code 1.

#include <windows.h>

#include <string_view>

#include "platform/run_time_error.h"

namespace hdgr::win32 {

inline constexpr std::string_view kRunTimeErrorTitle = "Halden Grid - Setup";

// Modal to `owner` when it is a window, task-modal otherwise.
[[noreturn]] void EndWithRunTimeError(const RunTimeError& error, HWND owner);

}  // namespace hdgr::win32
