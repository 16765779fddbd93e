// The setup package against its peers under Wine: NSIS packages of the same four files
// (uncompressed and zlib, silent; and zlib with a license page showing the same terms, built
// by peer_bench.sh), and a trivial window program as the floor of an interactive start.
// Every measure runs in interleaved rounds (each program once per round, the order turned
// round every other round), and each ratio is taken round by round, so that both sides of
// it met the same load; its median and its lowest and highest round are printed:
//   upgrade /quiet, launch to exit;
//   install /quiet, launch to Setup.exe started (the started process's creation time);
//   interactive, launch to first paint and to fully painted, read from outside: the screen's
//   pixels where the program's window lies, against the desktop before the launch (first
//   paint) and until they have not changed for a while (fully painted, the last change);
//   what /log costs before the first paint;
//   private bytes once settled, above the trivial window's, against the license page's.
// Beside them the start-up's phases of a /quiet upgrade and of an interactive start, from
// their logs. Exit code 1 when a target is missed.
//   hdgr-bench-peer.exe OURS NSIS_NONE NSIS_ZLIB NSIS_LICENSE TRIVIAL   (host paths)

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/run_measures.h"
#include "platform/win32/base/unique_handle.h"
#include "tests/e2e/driver/e2e_demo_installer.h"
#include "tests/e2e/driver/e2e_process.h"
#include "tests/e2e/driver/e2e_screen.h"
#include "tests/wine/wine_host.h"

namespace hdgr::bench {
namespace {

using namespace hdgr::e2e;
using Clock = std::chrono::steady_clock;

constexpr int kRounds = 11;
constexpr auto kTimeout = 60s;
constexpr double kUnattendedTarget = 0.8;    // against the uncompressed NSIS package
constexpr double kLicensePageTarget = 1.0;   // fully painted, against the NSIS license page
constexpr double kTrivialTarget = 1.05;      // fully painted, against the trivial window
constexpr double kLogBeforePaintTargetMs = 5.0;
// A window is fully painted once its pixels have stayed the same this long; shorter than a
// caret's blink.
constexpr auto kSettledAfter = 350ms;
constexpr wchar_t kWorkFolder[] = L"c:\\hdgr_temp_setup";
constexpr wchar_t kProductFolder[] = L"c:\\hdgr peer product";
constexpr wchar_t kSettingsKey[] = L"Software\\HaldenGrid\\applicationSettings";
constexpr wchar_t kStartLog[] = L"c:\\hdgr peer start.log";

struct Programs {
  std::wstring ours;
  std::wstring nsis_none;
  std::wstring nsis_zlib;
  std::wstring nsis_license;
  std::wstring trivial;
};

double Milliseconds(Clock::duration duration) { return std::chrono::duration<double, std::milli>(duration).count(); }

// Removes `folder` on the host: the setup makes its work folder private, which Wine keeps
// as host permissions that let nobody else in.
void RemoveFolder(const wchar_t* folder) {
  if (!wine_host::RemoveTree(folder))
    throw std::runtime_error("cannot remove " + std::filesystem::path(folder).string());
}

void ResetState() {
  CloseDemoInstallers();
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\HaldenGrid");
  RemoveFolder(kWorkFolder);
  RemoveFolder(kProductFolder);
  std::error_code ignored;
  std::filesystem::remove(std::filesystem::path(DemoInstallerMarkerPath()), ignored);
}

void StoreSetting(const wchar_t* name, const std::wstring& value) {
  RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name, REG_SZ, value.c_str(),
                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

// An installed 3.3.9 whose program is some other bytes.
void PlantOlderCopy() {
  ResetState();
  std::filesystem::create_directories(std::filesystem::path(kProductFolder));
  std::ofstream(std::filesystem::path(std::wstring(kProductFolder) + L"\\HaldenGrid.exe")) << "an older program";
  StoreSetting(L"app_path", kProductFolder);
  StoreSetting(L"app_Major", L"3");
  StoreSetting(L"app_Minor", L"3");
  StoreSetting(L"app_Revision", L"9");
}

std::uintmax_t InstalledProgramSize() {
  std::error_code error;
  const auto size =
      std::filesystem::file_size(std::filesystem::path(std::wstring(kProductFolder) + L"\\HaldenGrid.exe"), error);
  return error ? 0 : size;
}

double UpgradeLaunchToExit(const std::wstring& program, const std::wstring& switches) {
  PlantOlderCopy();
  const auto start = Clock::now();
  const Process run = Start(program, switches);
  const std::optional<DWORD> code = run.WaitForExit(kTimeout);
  const double elapsed = Milliseconds(Clock::now() - start);
  if (code != 0u || InstalledProgramSize() < 1000) throw std::runtime_error("an upgrade did not replace the program");
  return elapsed;
}

std::int64_t UtcMicroseconds(const FILETIME& time) {
  return static_cast<std::int64_t>((std::uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime) / 10);
}

// When the Setup.exe that `parent` started was created, in UTC microseconds; 0 when none runs.
std::int64_t InstallerCreated(DWORD parent) {
  const win32::FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
    if (_wcsicmp(entry.szExeFile, L"Setup.exe") != 0 || entry.th32ParentProcessID != parent) continue;
    const win32::ProcessHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
    FILETIME created{}, exited{}, kernel{}, user{};
    if (process && GetProcessTimes(process.Get(), &created, &exited, &kernel, &user)) return UtcMicroseconds(created);
  }
  return 0;
}

double InstallLaunchToInstallerStarted(const std::wstring& program, const std::wstring& switches) {
  ResetState();
  FILETIME launched{};
  GetSystemTimePreciseAsFileTime(&launched);
  const Process run = Start(program, switches);
  const auto until = Clock::now() + kTimeout;
  while (!std::filesystem::exists(std::filesystem::path(DemoInstallerMarkerPath())) && Clock::now() < until)
    std::this_thread::sleep_for(2ms);
  const std::int64_t created = InstallerCreated(run.Id());
  if (created == 0) throw std::runtime_error("the installer did not start");
  if (run.WaitForExit(kTimeout) != 0u) throw std::runtime_error("an install did not end cleanly");
  return static_cast<double>(created - UtcMicroseconds(launched)) / 1000.0;
}

HWND VisibleWindowOf(DWORD process) {
  struct Search {
    DWORD process;
    HWND found;
  } search{process, nullptr};
  EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto* s = reinterpret_cast<Search*>(context);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != s->process || !IsWindowVisible(window)) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool SameAsDesktop(const ScreenCapture& now, const ScreenCapture& desktop, const RECT& at) {
  for (int y = 0; y < now.Height(); ++y)
    for (int x = 0; x < now.Width(); ++x) {
      const int dx = at.left + x;
      const int dy = at.top + y;
      if (dx < 0 || dy < 0 || dx >= desktop.Width() || dy >= desktop.Height()) continue;
      if (!(now.At(x, y) == desktop.At(dx, dy))) return false;
    }
  return true;
}

std::uint64_t Fingerprint(const ScreenCapture& capture, const RECT& at) {
  std::uint64_t hash = 1469598103934665603ull;
  const auto mix = [&hash](std::uint64_t value) { hash = (hash ^ value) * 1099511628211ull; };
  mix(static_cast<std::uint64_t>(at.left) << 32 | static_cast<std::uint32_t>(at.top));
  mix(static_cast<std::uint64_t>(at.right) << 32 | static_cast<std::uint32_t>(at.bottom));
  for (int y = 0; y < capture.Height(); ++y)
    for (int x = 0; x < capture.Width(); ++x) {
      const Rgb pixel = capture.At(x, y);
      mix(std::uint64_t{pixel.red} << 16 | std::uint64_t{pixel.green} << 8 | pixel.blue);
    }
  return hash;
}

struct Settled {
  double first_paint_ms = 0;  // launch to the window's place first differing from the desktop
  double settled_ms = 0;      // launch to the last change of the window's pixels
  Memory memory;              // once settled
};

// Starts `program`, watches the screen where its first visible window lies until its pixels
// stay the same, and ends it. The same for every program: nothing is asked of the program.
Settled LaunchToSettled(const std::wstring& program, const std::wstring& arguments) {
  ResetState();
  DeleteFileW(kStartLog);
  const ScreenCapture desktop(RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
  const auto launched = Clock::now();
  Process run = Start(program, arguments);
  Settled settled;
  HWND window = nullptr;
  bool painted = false;
  std::uint64_t last = 0;
  auto last_change = launched;
  for (;;) {
    const auto now = Clock::now();
    if (now - launched > kTimeout || !run.Running()) throw std::runtime_error("a window never settled");
    if (window == nullptr) window = VisibleWindowOf(run.Id());
    if (window != nullptr) {
      RECT at{};
      GetWindowRect(window, &at);
      const ScreenCapture capture(at);
      if (!painted && !SameAsDesktop(capture, desktop, at)) {
        painted = true;
        settled.first_paint_ms = Milliseconds(now - launched);
      }
      const std::uint64_t fingerprint = Fingerprint(capture, at);
      if (painted && fingerprint != last) {
        last = fingerprint;
        last_change = now;
        settled.settled_ms = Milliseconds(now - launched);
      } else if (painted && now - last_change >= kSettledAfter) {
        break;
      }
    }
    std::this_thread::sleep_for(1ms);
  }
  CurrentMemory(run.Id(), &settled.memory);
  run.Kill();
  // The desktop shows again before the next launch reads it.
  std::this_thread::sleep_for(150ms);
  return settled;
}

// The start-up's phases of the run that wrote kStartLog.
StartUpPhases LoggedPhases() {
  const auto until = Clock::now() + 5s;
  for (;;) {
    StartUpPhases phases = ReadStartUpPhases(ReadLines(kStartLog));
    if (!phases.empty() || Clock::now() > until) return phases;
    std::this_thread::sleep_for(5ms);
  }
}

// Each start-up phase's time since the process's creation, over the rounds.
struct PhaseSamples {
  std::vector<std::string> order;
  std::map<std::string, std::vector<double>> milliseconds;
  void Add(const StartUpPhases& phases) {
    for (const auto& [phase, microseconds] : phases) {
      if (milliseconds.count(phase) == 0) order.push_back(phase);
      milliseconds[phase].push_back(static_cast<double>(microseconds) / 1000.0);
    }
  }
  void Report(const char* what) const {
    std::printf("%s, start-up phases in ms since the process's creation (median [lowest-highest]; step from the one "
                "before):\n",
                what);
    double before = 0;
    for (const std::string& phase : order) {
      const Spread at = SpreadOf(milliseconds.at(phase));
      std::printf("  %-22s (+%6.1f)  %s\n", Describe(at, 1).c_str(), at.median - before, phase.c_str());
      before = at.median;
    }
  }
};

using Samples = std::map<std::string, std::vector<double>>;

void Round(const Programs& p, int round, Samples& s, PhaseSamples& quiet_phases, PhaseSamples& shown_phases) {
  const std::wstring log_switch = L"/log \"" + std::wstring(kStartLog) + L"\"";
  std::vector<std::function<void()>> legs = {
      [&] { s["upgrade ours"].push_back(UpgradeLaunchToExit(p.ours, L"/quiet")); },
      [&] { s["upgrade none"].push_back(UpgradeLaunchToExit(p.nsis_none, L"/S")); },
      [&] { s["upgrade zlib"].push_back(UpgradeLaunchToExit(p.nsis_zlib, L"/S")); },
      [&] { s["install ours"].push_back(InstallLaunchToInstallerStarted(p.ours, L"/quiet")); },
      [&] { s["install none"].push_back(InstallLaunchToInstallerStarted(p.nsis_none, L"/S")); },
      [&] { s["install zlib"].push_back(InstallLaunchToInstallerStarted(p.nsis_zlib, L"/S")); },
      [&] {
        const Settled ours = LaunchToSettled(p.ours, L"");
        s["paint ours"].push_back(ours.first_paint_ms);
        s["settled ours"].push_back(ours.settled_ms);
        s["private ours"].push_back(ours.memory.private_mib);
        s["working set ours"].push_back(ours.memory.working_set_mib);
      },
      [&] {
        const Settled logged = LaunchToSettled(p.ours, log_switch);
        s["paint ours logged"].push_back(logged.first_paint_ms);
        s["settled ours logged"].push_back(logged.settled_ms);
        shown_phases.Add(LoggedPhases());
      },
      [&] {
        const Settled license = LaunchToSettled(p.nsis_license, L"");
        s["paint license"].push_back(license.first_paint_ms);
        s["settled license"].push_back(license.settled_ms);
        s["private license"].push_back(license.memory.private_mib);
        s["working set license"].push_back(license.memory.working_set_mib);
      },
      [&] {
        const Settled trivial = LaunchToSettled(p.trivial, L"");
        s["paint trivial"].push_back(trivial.first_paint_ms);
        s["settled trivial"].push_back(trivial.settled_ms);
        s["private trivial"].push_back(trivial.memory.private_mib);
        s["working set trivial"].push_back(trivial.memory.working_set_mib);
      },
      // Not in any ratio: where a quiet upgrade's time goes.
      [&] {
        DeleteFileW(kStartLog);
        UpgradeLaunchToExit(p.ours, L"/quiet " + log_switch);
        quiet_phases.Add(LoggedPhases());
      },
  };
  if (round % 2 == 1) std::reverse(legs.begin(), legs.end());
  for (const auto& leg : legs) leg();
}

// A ratio of two programs' figures, round by round; met when its median is within `target`
// (no target when 0).
bool RatioLine(const char* what, const Samples& s, const std::string& ours, const std::string& peer,
               const char* peer_name, double target) {
  const Spread ratio = SpreadOf(Ratios(s.at(ours), s.at(peer)));
  const bool met = target <= 0 || ratio.median <= target;
  std::printf("  %-46s ours %-22s %-18s %-22s ours/peer %s", what, Describe(SpreadOf(s.at(ours)), 1).c_str(),
              peer_name, Describe(SpreadOf(s.at(peer)), 1).c_str(), Describe(ratio, 2).c_str());
  if (target > 0) std::printf(" (target <= %.2f)%s", target, met ? "" : "  OVER TARGET");
  std::printf("\n");
  return met;
}

int Main(int argc, char** argv) {
  if (argc != 6) throw std::runtime_error("usage: hdgr-bench-peer OURS NSIS_NONE NSIS_ZLIB NSIS_LICENSE TRIVIAL");
  const Programs programs{HostPath(argv[1]), HostPath(argv[2]), HostPath(argv[3]), HostPath(argv[4]),
                          HostPath(argv[5])};
  const std::string load_before = HostLoad();
  Samples s;
  PhaseSamples quiet_phases;
  PhaseSamples shown_phases;
  for (int round = 0; round < kRounds; ++round) Round(programs, round, s, quiet_phases, shown_phases);
  ResetState();
  DeleteFileW(kStartLog);

  std::printf("setup package against its peers under Wine: %d interleaved rounds, each ratio taken round by round, "
              "median [lowest-highest] (load %s before, %s after)\n",
              kRounds, load_before.c_str(), HostLoad().c_str());
  bool met = true;
  met &= RatioLine("upgrade /quiet, launch to exit, ms", s, "upgrade ours", "upgrade none", "NSIS uncompressed",
                   kUnattendedTarget);
  RatioLine("", s, "upgrade ours", "upgrade zlib", "NSIS zlib", 0);
  met &= RatioLine("install /quiet, launch to Setup.exe started, ms", s, "install ours", "install none",
                   "NSIS uncompressed", kUnattendedTarget);
  RatioLine("", s, "install ours", "install zlib", "NSIS zlib", 0);
  met &= RatioLine("interactive, launch to fully painted, ms", s, "settled ours", "settled license",
                   "NSIS license page", kLicensePageTarget);
  met &= RatioLine("", s, "settled ours", "settled trivial", "trivial window", kTrivialTarget);
  RatioLine("interactive, launch to first paint, ms", s, "paint ours", "paint license", "NSIS license page", 0);
  RatioLine("", s, "paint ours", "paint trivial", "trivial window", 0);
  RatioLine("interactive, working set once settled, MiB", s, "working set ours", "working set license",
            "NSIS license page", 0);
  RatioLine("", s, "working set ours", "working set trivial", "trivial window", 0);
  RatioLine("interactive, private bytes once settled, MiB", s, "private ours", "private license",
            "NSIS license page", 0);
  RatioLine("", s, "private ours", "private trivial", "trivial window", 0);

  const Spread log_cost = SpreadOf(Differences(s.at("paint ours logged"), s.at("paint ours")));
  const bool log_met = log_cost.median <= kLogBeforePaintTargetMs;
  std::printf("  /log before the first paint: +%s ms (target <= %.0f)%s\n", Describe(log_cost, 1).c_str(),
              kLogBeforePaintTargetMs, log_met ? "" : "  OVER TARGET");
  const Spread ours_above = SpreadOf(Differences(s.at("private ours"), s.at("private trivial")));
  const Spread license_above = SpreadOf(Differences(s.at("private license"), s.at("private trivial")));
  const bool memory_met = ours_above.median <= license_above.median;
  std::printf("  private bytes above the trivial window's: ours %s MiB, NSIS license page %s MiB (target: ours no "
              "more)%s\n",
              Describe(ours_above, 2).c_str(), Describe(license_above, 2).c_str(), memory_met ? "" : "  OVER TARGET");
  quiet_phases.Report("upgrade /quiet /log");
  shown_phases.Report("interactive /log");
  std::fflush(stdout);
  return met && log_met && memory_met ? 0 : 1;
}

}  // namespace
}  // namespace hdgr::bench

int main(int argc, char** argv) {
  try {
    return hdgr::bench::Main(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
  }
  return 2;
}
