#include "platform/win32/base/system_random.h"

#include <windows.h>
#include <bcrypt.h>

namespace hdgr::win32 {

namespace {

using GenRandom = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, PUCHAR, ULONG, ULONG);

GenRandom SystemGenerator() {
  // The flag asks for System32 whatever the process's search order is: this runs before
  // the entry locks the search down too (the stack guard is filled before main).
  static const GenRandom generator = []() -> GenRandom {
    const HMODULE bcrypt = LoadLibraryExW(L"bcrypt.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (bcrypt == nullptr) return nullptr;
    return reinterpret_cast<GenRandom>(reinterpret_cast<void*>(GetProcAddress(bcrypt, "BCryptGenRandom")));
  }();
  return generator;
}

}  // namespace

bool SystemRandom(std::span<std::uint8_t> into) {
  const GenRandom generate = SystemGenerator();
  return generate != nullptr &&
         generate(nullptr, into.data(), static_cast<ULONG>(into.size()), BCRYPT_USE_SYSTEM_PREFERRED_RNG) >= 0;
}

}  // namespace hdgr::win32
