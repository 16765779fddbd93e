// The stack protector's canary and its failure, in place of GCC's libssp. That one fills
// the canary through advapi32's CryptAcquireContextA and CryptGenRandom, which Windows
// forwards to cryptsp.dll, no Known DLL: the loader would look for it in the package's
// folder, and before the entry has locked the DLL search down.
#include <windows.h>

#include <cstdint>
#include <span>

#include "platform/win32/base/system_random.h"

extern "C" {

// Read by every protected function at its entry and checked at its return.
void* __stack_chk_guard = nullptr;

// A smashed stack is no state to run on or to unwind through: the process ends at once, as
// Windows' own stack cookie check ends it (fast fail, STATUS_STACK_BUFFER_OVERRUN), never
// with an exit code that reads as an outcome of the run.
[[noreturn]] void __stack_chk_fail() {
  asm volatile("int $0x29" : : "c"(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE));
  __builtin_unreachable();
}

}  // extern "C"

namespace {

// Before any other constructor and main: a protected function running while the canary
// changes would find it changed. Unprotected itself, since it is what changes it.
__attribute__((constructor(101), no_stack_protector)) void FillStackGuard() {
  std::uintptr_t guard = 0;
  if (!hdgr::win32::SystemRandom(std::span(reinterpret_cast<std::uint8_t*>(&guard), sizeof guard))) {
    // As Windows' own cookie without a generator: what differs from run to run.
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    guard = static_cast<std::uintptr_t>(counter.QuadPart) ^ GetTickCount64() ^
            (std::uintptr_t{GetCurrentProcessId()} << 32) ^ GetCurrentThreadId() ^
            reinterpret_cast<std::uintptr_t>(&guard);
  }
  __stack_chk_guard = reinterpret_cast<void*>(guard);
}

}  // namespace
