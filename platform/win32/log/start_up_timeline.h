#pragma once
// The start-up's phases in the run log, each with its time since the process was created
// (so the loader's and the system's own start-up count too), for whoever asks why a start
// is slow: "start-up +123456 us: fonts made".

#include <cstdint>
#include <string_view>

#include "platform/win32/log/run_log.h"

namespace hdgr::win32 {

// Microseconds from the process's creation (GetProcessTimes) to now; 0 when unknown.
std::int64_t MicrosecondsSinceProcessStart();

class StartUpTimeline {
 public:
  // Takes the time the program's own code began: the loader has mapped every static DLL
  // and run their start-up.
  StartUpTimeline() : entered_us_(MicrosecondsSinceProcessStart()) {}

  // Notes when the program's code began, once the log is open.
  void Begin(RunLog& log);
  // Notes `phase` as reached now; nothing without a log.
  void Reached(std::string_view phase);

 private:
  void Write(std::string_view phase, std::int64_t microseconds);

  std::int64_t entered_us_;
  RunLog* log_ = nullptr;
};

}  // namespace hdgr::win32
