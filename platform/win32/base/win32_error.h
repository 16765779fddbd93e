#pragma once
// The one place where a Win32 error code becomes a run-time error. The code is passed in
// explicitly: registry functions return theirs, the others need GetLastError() read right
// after the failing call, before anything else can overwrite it: ThrowLastErrorIf does that.
// Each error notes where in the source it was made, for the log (RunTimeError::Where).

#include <concepts>
#include <cstdint>
#include <source_location>
#include <string>
#include <string_view>

#include "platform/run_time_error.h"

namespace hdgr::win32 {

using Win32Code = std::uint32_t;  // a DWORD

ErrorNumber ErrorNumberOf(Win32Code code);
// `what` names the object (a path, a setting); the system's own text for the code follows.
RunTimeError Win32Error(Win32Code code, const std::string& what,
                        std::source_location where = std::source_location::current());
// "platform/win32/files/held_folder.cpp:60", as RunTimeError::Where keeps it.
std::string SourcePlace(const std::source_location& where);

// GetLastError(), for a header that does without <windows.h>.
Win32Code LastError();

// Call, then throw with the last error, in one line:
//   ThrowLastErrorIf(!SetFileAttributesW(...), "What the user knows it as");
// When `failed`, the last error is read first and thrown as Win32Error(code, what), noting
// the caller's place in the source.
void ThrowLastErrorIf(bool failed, const char* what, std::source_location where = std::source_location::current());
void ThrowLastErrorIf(bool failed, std::string_view what,
                      std::source_location where = std::source_location::current());
// Text built on the call's line ("The access list of " + Utf8(path)) may be built after the
// call, and a Win32 call on the way may overwrite the last error: build it in a function,
// which runs once the code is read.
void ThrowLastErrorIf(bool failed, std::string&& what, std::source_location where = std::source_location::current()) =
    delete;
template <std::invocable What>
void ThrowLastErrorIf(bool failed, const What& what, std::source_location where = std::source_location::current()) {
  if (!failed) return;
  const Win32Code code = LastError();
  throw Win32Error(code, what(), where);
}

}  // namespace hdgr::win32
