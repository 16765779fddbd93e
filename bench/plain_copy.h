#pragma once
// The yardsticks: the same bytes copied the plain way, forwards, 64 KiB at a time through
// ReadFile and WriteFile, optionally through SHA-256 as they pass; and the same copy into a
// file made the way the setup must make it.

#include <windows.h>

#include <cstdint>
#include <string>

#include "package/sha256.h"

namespace hdgr::bench {

// Copies `length` bytes of `carrier` from 0-based `offset` on into a new `output`;
// `digest`, when given, is fed every byte.
void PlainCopy(HANDLE carrier, std::int64_t offset, std::int32_t length, const std::wstring& output,
               Sha256* digest);

// The plain copy into a file made as the run makes its files: new, under a fresh name
// beside `output`, denying writes to others and marked for removal while written, then
// renamed over `output` through its handle.
void SafePlainCopy(HANDLE carrier, std::int64_t offset, std::int32_t length, const std::wstring& output,
                   Sha256* digest);

}  // namespace hdgr::bench
