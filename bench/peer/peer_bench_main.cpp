// The setup package against its peers under Wine: an NSIS package of the same four files
// (uncompressed and zlib, built by peer_bench.sh), and a trivial window program as the floor
// of an interactive start. Rounds run interleaved (ours, then the peers, round after round)
// and the medians are printed with the ratio ours / peer:
//   upgrade /quiet, launch to exit;
//   install /quiet, launch to Setup.exe started (the started process's creation time);
//   peak working set and private bytes of the upgrade;
//   interactive launch to the window first painted (from the run log), against the trivial
//   window program.
// Exit code 1 when a target is missed.
//   hdgr-bench-peer.exe OURS NSIS_NONE NSIS_ZLIB TRIVIAL   (host paths)

#include <windows.h>
#include <tlhelp32.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "bench/run_measures.h"
#include "platform/win32/base/unique_handle.h"
#include "tests/e2e/driver/e2e_demo_installer.h"
#include "tests/e2e/driver/e2e_process.h"
#include "tests/wine/wine_host.h"

namespace hdgr::bench {
namespace {

using namespace hdgr::e2e;
using Clock = std::chrono::steady_clock;

constexpr int kRounds = 11;
constexpr auto kTimeout = 60s;
constexpr double kPeerTarget = 1.0;
constexpr double kFirstPaintTarget = 1.3;
constexpr wchar_t kWorkFolder[] = L"c:\\hdgr_temp_setup";
constexpr wchar_t kProductFolder[] = L"c:\\hdgr peer product";
constexpr wchar_t kSettingsKey[] = L"Software\\HaldenGrid\\applicationSettings";
constexpr wchar_t kStartLog[] = L"c:\\hdgr peer start.log";
constexpr char kPaintedPhase[] = "painted";

struct Programs {
  std::wstring ours;
  std::wstring nsis_none;
  std::wstring nsis_zlib;
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
  const auto size = std::filesystem::file_size(std::filesystem::path(std::wstring(kProductFolder) + L"\\HaldenGrid.exe"), error);
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

Memory UpgradeMemory(const std::wstring& program, const std::wstring& switches) {
  PlantOlderCopy();
  Process run = Start(program, switches);
  Memory memory;
  // The peaks only grow: the last reading before the end is the run's.
  while (run.Running()) {
    SampleMemory(run.Id(), &memory);
    std::this_thread::sleep_for(1ms);
  }
  const std::optional<DWORD> code = run.WaitForExit(kTimeout);
  if (code != 0u)
    throw std::runtime_error("an upgrade for the memory ended with " + std::to_string(code.value_or(259)));
  return memory;
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

struct FirstPaint {
  double launch_to_paint_ms = 0;  // the launcher's clock to the painted line's time
  double since_creation_ms = 0;   // the program's own count from its creation
  Memory memory;                  // once painted
};

// Starts `program` with `arguments`, which make it log its start to kStartLog, and waits
// for its "painted"; ends it after.
FirstPaint LaunchToFirstPaint(const std::wstring& program, const std::wstring& arguments) {
  ResetState();
  DeleteFileW(kStartLog);
  const std::int64_t launched = NowMicroseconds();
  Process run = Start(program, arguments);
  const auto until = Clock::now() + kTimeout;
  for (;;) {
    const std::vector<std::string> log = ReadLines(kStartLog);
    for (const auto& [phase, microseconds] : ReadStartUpPhases(log)) {
      if (phase != kPaintedPhase) continue;
      FirstPaint paint;
      paint.launch_to_paint_ms = static_cast<double>(Times(log, std::string("us: ") + kPaintedPhase).at(0) - launched) / 1000.0;
      paint.since_creation_ms = static_cast<double>(microseconds) / 1000.0;
      std::this_thread::sleep_for(300ms);
      SampleMemory(run.Id(), &paint.memory);
      run.Kill();
      return paint;
    }
    if (Clock::now() > until || !run.Running()) throw std::runtime_error("a window was never painted");
    std::this_thread::sleep_for(2ms);
  }
}

struct Samples {
  std::map<std::string, std::vector<double>> values;
  void Add(const std::string& name, double value) { values[name].push_back(value); }
  double Of(const std::string& name) const { return Median(values.at(name)); }
};

void Round(const Programs& p, Samples& s) {
  s.Add("upgrade ours", UpgradeLaunchToExit(p.ours, L"/quiet"));
  s.Add("upgrade none", UpgradeLaunchToExit(p.nsis_none, L"/S"));
  s.Add("upgrade zlib", UpgradeLaunchToExit(p.nsis_zlib, L"/S"));
  s.Add("install ours", InstallLaunchToInstallerStarted(p.ours, L"/quiet"));
  s.Add("install none", InstallLaunchToInstallerStarted(p.nsis_none, L"/S"));
  s.Add("install zlib", InstallLaunchToInstallerStarted(p.nsis_zlib, L"/S"));
  for (const auto& [name, program, switches] :
       {std::tuple{"ours", p.ours, L"/quiet"}, std::tuple{"none", p.nsis_none, L"/S"},
        std::tuple{"zlib", p.nsis_zlib, L"/S"}}) {
    const Memory memory = UpgradeMemory(program, switches);
    s.Add(std::string("working set ") + name, memory.working_set_mib);
    s.Add(std::string("private ") + name, memory.private_mib);
  }
  const std::wstring log_switch = L"/log \"" + std::wstring(kStartLog) + L"\"";
  const FirstPaint ours = LaunchToFirstPaint(p.ours, log_switch);
  const FirstPaint trivial = LaunchToFirstPaint(p.trivial, L"\"" + std::wstring(kStartLog) + L"\"");
  s.Add("paint ours", ours.launch_to_paint_ms);
  s.Add("paint ours self", ours.since_creation_ms);
  s.Add("paint trivial", trivial.launch_to_paint_ms);
  s.Add("paint trivial self", trivial.since_creation_ms);
  s.Add("shown private ours", ours.memory.private_mib);
  s.Add("shown private trivial", trivial.memory.private_mib);
}

bool Line(const char* what, const char* unit, double ours, double peer, const char* peer_name, double target) {
  const double ratio = ours / peer;
  const bool met = target <= 0 || ratio <= target;
  std::printf("  %-44s ours %8.1f %s  %-17s %8.1f %s  ours/peer %.2f", what, ours, unit, peer_name, peer, unit, ratio);
  if (target > 0) std::printf(" (target <= %.1f)%s", target, met ? "" : "  OVER TARGET");
  std::printf("\n");
  return met;
}

int Main(int argc, char** argv) {
  if (argc != 5) throw std::runtime_error("usage: hdgr-bench-peer OURS NSIS_NONE NSIS_ZLIB TRIVIAL");
  const Programs programs{HostPath(argv[1]), HostPath(argv[2]), HostPath(argv[3]), HostPath(argv[4])};
  const std::string load_before = HostLoad();
  Samples s;
  for (int round = 0; round < kRounds; ++round) Round(programs, s);
  ResetState();
  DeleteFileW(kStartLog);

  std::printf("setup package against its peers under Wine: medians of %d interleaved rounds (load %s before, %s after)\n",
              kRounds, load_before.c_str(), HostLoad().c_str());
  bool met = true;
  met &= Line("upgrade /quiet, launch to exit", "ms", s.Of("upgrade ours"), s.Of("upgrade none"), "NSIS uncompressed", kPeerTarget);
  Line("", "ms", s.Of("upgrade ours"), s.Of("upgrade zlib"), "NSIS zlib", 0);
  met &= Line("install /quiet, launch to Setup.exe started", "ms", s.Of("install ours"), s.Of("install none"), "NSIS uncompressed", kPeerTarget);
  Line("", "ms", s.Of("install ours"), s.Of("install zlib"), "NSIS zlib", 0);
  Line("upgrade /quiet, peak working set", "MiB", s.Of("working set ours"), s.Of("working set none"), "NSIS uncompressed", 0);
  Line("", "MiB", s.Of("working set ours"), s.Of("working set zlib"), "NSIS zlib", 0);
  Line("upgrade /quiet, peak private bytes", "MiB", s.Of("private ours"), s.Of("private none"), "NSIS uncompressed", 0);
  Line("", "MiB", s.Of("private ours"), s.Of("private zlib"), "NSIS zlib", 0);
  met &= Line("interactive, launch to first paint", "ms", s.Of("paint ours"), s.Of("paint trivial"), "trivial window", kFirstPaintTarget);
  Line("  the same, counted from process creation", "ms", s.Of("paint ours self"), s.Of("paint trivial self"), "trivial window", 0);
  Line("interactive, peak private bytes when shown", "MiB", s.Of("shown private ours"), s.Of("shown private trivial"), "trivial window", 0);
  std::fflush(stdout);
  return met ? 0 : 1;
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
