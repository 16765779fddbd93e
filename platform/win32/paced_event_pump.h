#pragma once
// The event pump at the display's pace. The extractor pumps at every progress point, up
// to 181,043 times a run; a real pump with a repaint costs about a millisecond under
// Wine, so between real pumps a call only reads the system's tick count (a memory read; a
// high-resolution clock read costs over 100 ns under Wine). The tick moves in steps of
// about 15.6 ms, the display's pace.

#include <windows.h>

#include <cstdint>

#include "platform/win32/pending_display.h"

namespace hdgr::win32 {

class PacedEventPump {
 public:
  static constexpr std::uint64_t kIntervalMs = 15;

  void SetDisplay(PendingDisplay* display) { display_ = display; }
  // Shows what is pending and handles every waiting message, unless the last time was
  // less than kIntervalMs ago. Inline: the not-yet-due path is a tick read and nothing else.
  void Pump() {
    if (GetTickCount64() >= due_ms_) PumpIfDue();
  }
  // Brings the display exactly up to date, painted when messages are next handled.
  void ShowExactlySoon();

 private:
  void PumpIfDue();

  PendingDisplay* display_ = nullptr;
  std::uint64_t last_ms_ = 0;  // 0: never pumped
  std::uint64_t due_ms_ = 0;   // no pump is due before this tick; a passed pump costs a tick read
};

// Handles every waiting message of this thread now. A quit message is put back for the
// main loop to see.
void PumpAllMessages();

}  // namespace hdgr::win32
