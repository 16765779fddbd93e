#pragma once
// The system's cryptographic random numbers, reached without a static import.

#include <cstdint>
#include <span>

namespace hdgr::win32 {

// Fills `into` from BCryptGenRandom (the system's preferred generator), with bcrypt.dll
// loaded out of System32 when first asked for: RtlGenRandom and CryptGenRandom, imported
// from advapi32, are forwarded to cryptbase.dll and cryptsp.dll, which are no Known DLLs, so
// the loader would look for them in the package's folder first. False when the system has
// no generator to give; `into` is then unchanged.
bool SystemRandom(std::span<std::uint8_t> into);

}  // namespace hdgr::win32
