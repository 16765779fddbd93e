#pragma once
// The toolkit tests' own message loop: handles what arrives for `duration`, timers included.

#include <windows.h>

#include <chrono>
#include <thread>

namespace hdgr::win32 {

inline void Pump(std::chrono::milliseconds duration) {
  const auto until = std::chrono::steady_clock::now() + duration;
  do {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  } while (std::chrono::steady_clock::now() < until);
}

}  // namespace hdgr::win32
