#pragma once
// What the benchmarks read off a program they run under Wine: the times of its run log's
// lines, its start-up phases, its peak memory, and medians of rounds.

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace hdgr::bench {

// Microseconds on the local wall clock, as the run log writes its times.
std::int64_t NowMicroseconds();
// A log line's time ("2026-12-10 15:04:05.123456 text") in the same microseconds.
std::int64_t LineMicroseconds(const std::string& line);
// The lines of a log file; none when it cannot be read.
std::vector<std::string> ReadLines(const std::wstring& path);
// The times of the lines that hold `text`, in order.
std::vector<std::int64_t> Times(const std::vector<std::string>& log, const std::string& text);

// The start-up's phases as the log notes them ("start-up +N us: PHASE"): each phase with
// its microseconds since the process was created, in order.
using StartUpPhases = std::vector<std::pair<std::string, std::int64_t>>;
StartUpPhases ReadStartUpPhases(const std::vector<std::string>& log);

struct Memory {
  double working_set_mib = 0;
  double private_mib = 0;
};
// Peak working set and peak private (committed) bytes of the running process `id`;
// nothing when it has ended.
bool SampleMemory(DWORD id, Memory* memory);
// The working set and private (committed) bytes of the running process `id` now.
bool CurrentMemory(DWORD id, Memory* memory);

double Median(std::vector<double> values);

// A figure over interleaved rounds: its median and the lowest and highest round, so that a
// load that came and went shows as spread instead of moving the figure.
struct Spread {
  double median = 0;
  double low = 0;
  double high = 0;
};
Spread SpreadOf(const std::vector<double>& values);
// Round by round, a / b: each round's ratio is taken under the same load for both.
std::vector<double> Ratios(const std::vector<double>& a, const std::vector<double>& b);
// Round by round, a - b.
std::vector<double> Differences(const std::vector<double>& a, const std::vector<double>& b);
// "1.23 [1.10-1.40]" with `decimals` places.
std::string Describe(const Spread& spread, int decimals);

// The host's load average ("0.52 0.61 0.70"), to print beside the figures.
std::string HostLoad();

}  // namespace hdgr::bench
