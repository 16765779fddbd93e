#include "run_measures.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "platform/win32/base/unique_handle.h"

namespace hdgr::bench {

std::int64_t NowMicroseconds() {
  FILETIME utc{};
  FILETIME local{};
  GetSystemTimePreciseAsFileTime(&utc);
  FileTimeToLocalFileTime(&utc, &local);
  return static_cast<std::int64_t>((std::uint64_t{local.dwHighDateTime} << 32 | local.dwLowDateTime) / 10);
}

std::int64_t LineMicroseconds(const std::string& line) {
  SYSTEMTIME at{};
  unsigned micro = 0;
  if (std::sscanf(line.c_str(), "%hu-%hu-%hu %hu:%hu:%hu.%6u", &at.wYear, &at.wMonth, &at.wDay, &at.wHour,
                  &at.wMinute, &at.wSecond, &micro) != 7)
    throw std::runtime_error("a log line without its time: " + line);
  FILETIME file{};
  SystemTimeToFileTime(&at, &file);
  return static_cast<std::int64_t>((std::uint64_t{file.dwHighDateTime} << 32 | file.dwLowDateTime) / 10) + micro;
}

std::vector<std::string> ReadLines(const std::wstring& path) {
  std::ifstream in{std::filesystem::path(path)};
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::int64_t> Times(const std::vector<std::string>& log, const std::string& text) {
  std::vector<std::int64_t> times;
  for (const std::string& line : log)
    if (line.find(text) != std::string::npos) times.push_back(LineMicroseconds(line));
  return times;
}

StartUpPhases ReadStartUpPhases(const std::vector<std::string>& log) {
  StartUpPhases phases;
  for (const std::string& line : log) {
    const std::size_t at = line.find(" start-up +");
    if (at == std::string::npos) continue;
    long long microseconds = 0;
    int used = 0;
    if (std::sscanf(line.c_str() + at, " start-up +%lld us: %n", &microseconds, &used) != 1 || used == 0) continue;
    std::string phase = line.substr(at + static_cast<std::size_t>(used));
    while (!phase.empty() && (phase.back() == '\r' || phase.back() == '\n')) phase.pop_back();
    phases.emplace_back(std::move(phase), microseconds);
  }
  return phases;
}

bool SampleMemory(DWORD id, Memory* memory) {
  const win32::ProcessHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!process || !GetProcessMemoryInfo(process.Get(), &counters, sizeof counters)) return false;
  constexpr double kMiB = 1024.0 * 1024.0;
  memory->working_set_mib = std::max(memory->working_set_mib, static_cast<double>(counters.PeakWorkingSetSize) / kMiB);
  memory->private_mib = std::max(memory->private_mib, static_cast<double>(counters.PeakPagefileUsage) / kMiB);
  return true;
}

bool CurrentMemory(DWORD id, Memory* memory) {
  const win32::ProcessHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!process || !GetProcessMemoryInfo(process.Get(), &counters, sizeof counters)) return false;
  constexpr double kMiB = 1024.0 * 1024.0;
  memory->working_set_mib = static_cast<double>(counters.WorkingSetSize) / kMiB;
  // The committed private bytes; Wine leaves PrivateUsage at 0.
  memory->private_mib = static_cast<double>(counters.PagefileUsage) / kMiB;
  return true;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

Spread SpreadOf(const std::vector<double>& values) {
  if (values.empty()) return {};
  const auto [low, high] = std::minmax_element(values.begin(), values.end());
  return Spread{Median(values), *low, *high};
}

std::vector<double> Ratios(const std::vector<double>& a, const std::vector<double>& b) {
  if (a.size() != b.size()) throw std::logic_error("ratios of rounds that do not pair");
  std::vector<double> ratios;
  for (std::size_t i = 0; i < a.size(); ++i) ratios.push_back(a[i] / b[i]);
  return ratios;
}

std::vector<double> Differences(const std::vector<double>& a, const std::vector<double>& b) {
  if (a.size() != b.size()) throw std::logic_error("differences of rounds that do not pair");
  std::vector<double> differences;
  for (std::size_t i = 0; i < a.size(); ++i) differences.push_back(a[i] - b[i]);
  return differences;
}

std::string Describe(const Spread& spread, int decimals) {
  char text[96];
  std::snprintf(text, sizeof text, "%.*f [%.*f-%.*f]", decimals, spread.median, decimals, spread.low, decimals,
                spread.high);
  return text;
}

std::string HostLoad() {
  std::ifstream in{std::filesystem::path(L"Z:\\proc\\loadavg")};
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return in ? one + " " + five + " " + fifteen : "unknown";
}

}  // namespace hdgr::bench
