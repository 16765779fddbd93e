#pragma once
// File-specific refinements of the error mapping, and the attribute checks behind them.

#include <source_location>
#include <string>

#include "platform/win32/base/win32_error.h"

namespace hdgr::win32 {

// As Win32Error, except that a refused access to a read-only file or to a folder is a
// path/file access error that says so.
RunTimeError FileError(Win32Code code, const std::wstring& path,
                       std::source_location where = std::source_location::current());
// As ThrowLastErrorIf, for a call on the file or folder at `path`: thrown as FileError.
void ThrowLastErrorIf(bool failed, const std::wstring& path,
                      std::source_location where = std::source_location::current());
void ThrowLastErrorIf(bool failed, std::wstring&& path, std::source_location where = std::source_location::current()) =
    delete;

// Attributes of an existing entry, or INVALID_FILE_ATTRIBUTES (a DWORD) when there is none.
Win32Code AttributesOf(const std::wstring& path);

// A read-only file is refused for writing here and not only by the system, which lets an
// administrator (and Wine run as root) write it all the same.
void RefuseReadOnly(const std::wstring& path);

}  // namespace hdgr::win32
