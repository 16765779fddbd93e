#pragma once
// The yardstick: the same reversed copy done the plain way, 64 KiB at a time through
// ReadFile and WriteFile.

#include <windows.h>

#include <cstdint>
#include <string>

namespace hdgr::bench {

// Copies carrier positions `start` down to start - length + 1 (1-based) into `output`,
// reversed, and returns start - length.
std::int32_t PlainReversedCopy(HANDLE carrier, std::int32_t start, std::int32_t length,
                               const std::wstring& output);

}  // namespace hdgr::bench
