#include "platform/win32/log/start_up_timeline.h"

#include <windows.h>

#include <string>

namespace hdgr::win32 {

namespace {

std::int64_t Microseconds(const FILETIME& time) {
  return static_cast<std::int64_t>((std::uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime) / 10);
}

}  // namespace

std::int64_t MicrosecondsSinceProcessStart() {
  FILETIME created{};
  FILETIME exited{};
  FILETIME kernel{};
  FILETIME user{};
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  FILETIME now{};
  GetSystemTimePreciseAsFileTime(&now);
  return Microseconds(now) - Microseconds(created);
}

void StartUpTimeline::Begin(RunLog& log) {
  log_ = &log;
  Write("program entered, static DLLs loaded", entered_us_);
}

void StartUpTimeline::Reached(std::string_view phase) {
  if (log_ != nullptr) Write(phase, MicrosecondsSinceProcessStart());
}

void StartUpTimeline::Write(std::string_view phase, std::int64_t microseconds) {
  log_->Write("start-up +" + std::to_string(microseconds) + " us: " + std::string(phase));
}

}  // namespace hdgr::win32
