#pragma once
// The event pump at the display's pace. The extractor pumps at every progress point, up
// to 181,043 times a run; a real pump with a repaint costs about a millisecond under
// Wine, so between real pumps a call only reads the system's tick count (a memory read; a
// high-resolution clock read costs over 100 ns under Wine). The tick moves in steps of
// about 15.6 ms, the display's pace.
//
// Even GetTickCount64 costs 1.6 ns a call under Wine, 0.3 ms of an upgrade run's points.
// It computes the count from the tick field of the page the system maps read-only into
// every process (KUSER_SHARED_DATA.TickCount, ntddk.h): while that field's low word stays,
// the count stays too, so a pump that was not due cannot have become due. Read directly,
// the word costs a sixth of the call.

#include <windows.h>

#include <cstdint>
#include <functional>

#include "platform/win32/display/pending_display.h"

namespace hdgr::win32 {

class PacedEventPump {
 public:
  static constexpr std::uint64_t kIntervalMs = 15;

  void SetDisplay(PendingDisplay* display) { display_ = display; }
  // Told the code of each quit message the pump drops (see PumpAllMessages).
  void SetForeignQuit(std::function<void(int code)> told) { foreign_quit_ = std::move(told); }
  // Shows what is pending and handles every waiting message, unless the last time was
  // less than kIntervalMs ago. Inline: the not-yet-due path is a read of the shared tick
  // word and nothing else.
  void Pump() {
    const ULONG tick_word = *reinterpret_cast<const volatile ULONG*>(kSharedTickWordAddress);
    // Every so many calls the count itself is asked, whatever the word says.
    if (tick_word == seen_tick_word_ && --calls_unasked_ > 0) return;
    seen_tick_word_ = tick_word;  // read before the count: a change in between is seen next time
    calls_unasked_ = kMostCallsUnasked;
    if (GetTickCount64() >= due_ms_) PumpIfDue();
  }
  // Brings the display exactly up to date, painted when messages are next handled.
  void ShowExactlySoon();

 private:
  // KUSER_SHARED_DATA sits at 0x7FFE0000 in every process, TickCount.LowPart at 0x320.
  static constexpr std::uintptr_t kSharedTickWordAddress = 0x7FFE0320;
  static constexpr int kMostCallsUnasked = 4096;

  void PumpIfDue();

  PendingDisplay* display_ = nullptr;
  std::function<void(int code)> foreign_quit_;
  std::uint64_t last_ms_ = 0;  // 0: never pumped
  std::uint64_t due_ms_ = 0;   // no pump is due before this tick; a passed pump costs a tick read
  ULONG seen_tick_word_ = 0;   // the shared tick word when the count was last asked
  int calls_unasked_ = 0;
};

// Handles the messages of this thread that wait now, and none posted a tick later: a
// stream of them cannot keep it. The program never asks itself to quit
// (it ends through ExitProcess, with its own exit code), so a quit message is another
// program's, posted to pick the exit code or to cut a run short: it is dropped, and its
// code handed to `foreign_quit` when given.
void PumpAllMessages(const std::function<void(int code)>& foreign_quit = {});

}  // namespace hdgr::win32
