// Times the whole accept action of the real setup program under Wine, as a user meets
// it: click to the installer started (install run) and click to "Upgrade complete"
// (upgrade run), each split by the run's own log (/log, to the microsecond) into saving the
// picture, the extraction with its digests, the renames into place, and the start or the
// end. The extraction part is set against a plain 64 KiB copy of the same files with
// SHA-256 of the bytes as they pass, in interleaved rounds (the run, then the copy; the
// order turned round every other round), the ratio taken round by round and printed as its
// median with the lowest and highest round. It prints the start-up's phases as the log
// notes them, from the process's creation to the window painted, and the setup's peak
// working set and private bytes against a trivial window program's (the same kinds of
// controls, made the plainest way) started in the same rounds.
// Exit code 1 when the extraction part's median ratio is over 1.5 times that copy, or the
// private bytes over 8 MiB above the trivial program's.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "bench/run_measures.h"
#include "package/sha256.h"
#include "platform/win32/base/unique_handle.h"
#include "tests/e2e/driver/e2e_demo_installer.h"
#include "tests/e2e/driver/e2e_input.h"
#include "tests/e2e/driver/e2e_message_box.h"
#include "tests/e2e/driver/e2e_process.h"
#include "tests/e2e/driver/e2e_windows.h"

namespace hdgr::bench {
namespace {

using namespace hdgr::e2e;
using Clock = std::chrono::steady_clock;

constexpr double kTargetRatio = 1.5;
constexpr double kPrivateBytesAboveTrivialMiB = 8.0;
constexpr int kRounds = 9;
constexpr auto kTimeout = 60s;
constexpr wchar_t kSetupTitle[] = L"Halden Grid - Setup";
constexpr wchar_t kFormClass[] = L"HdgrForm";
constexpr wchar_t kWorkFolder[] = L"c:\\hdgr_temp_setup";
constexpr wchar_t kProductFolder[] = L"c:\\hdgr bench product";
constexpr wchar_t kPlainFolder[] = L"c:\\hdgr bench plain copy";
constexpr wchar_t kSettingsKey[] = L"Software\\HaldenGrid\\applicationSettings";
constexpr std::size_t kCopyBuffer = 64 * 1024;

double Milliseconds(Clock::duration duration) { return std::chrono::duration<double, std::milli>(duration).count(); }

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::wstring> PayloadFiles() {
  std::vector<std::wstring> files;
  std::stringstream in(HDGR_PAYLOAD_FILES);
  for (std::string item; std::getline(in, item, '|');) files.push_back(HostPath(item));
  if (files.size() != 4) throw std::runtime_error("HDGR_PAYLOAD_FILES does not name four files");
  return files;
}

void ResetState() {
  CloseDemoInstallers();
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\HaldenGrid");
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(kWorkFolder), ignored);
  std::filesystem::remove_all(std::filesystem::path(kProductFolder), ignored);
  std::filesystem::remove(std::filesystem::path(DemoInstallerMarkerPath()), ignored);
}

void StoreSetting(const wchar_t* name, const std::wstring& value) {
  RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name, REG_SZ, value.c_str(),
                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

constexpr wchar_t kLog[] = L"c:\\hdgr bench accept.log";

std::vector<std::string> ReadLog() { return ReadLines(kLog); }

// Peak working set and peak private (committed) bytes of a running process.
Memory PeakMemory(const Process& process) {
  Memory memory;
  if (!SampleMemory(process.Id(), &memory)) throw std::runtime_error("no memory counters");
  return memory;
}

// The setup program started with its log and its window shown, in the mode the settings
// give; ended when the round ends, whatever happened.
struct Started {
  Started() = default;
  Started(const Started&) = delete;
  Started& operator=(const Started&) = delete;
  Started(Started&&) = default;
  ~Started() { process.Kill(); }
  Process process;
  HWND accept = nullptr;
  StartUpPhases start_up;
};

Started StartSetup() {
  DeleteFileW(kLog);
  Started started;
  started.process = Start(HostPath(HDGR_SETUP_EXE), L"/log \"" + std::wstring(kLog) + L"\"");
  HWND window = WaitForWindow(kSetupTitle, kTimeout, started.process.Id(), kFormClass);
  if (window == nullptr) throw std::runtime_error("the setup window did not show");
  std::this_thread::sleep_for(300ms);
  for (const ControlInfo& control : ListControls(window))
    if (control.caption.rfind(L"Accept terms of ", 0) == 0) started.accept = control.window;
  if (started.accept == nullptr) throw std::runtime_error("no accept button");
  started.start_up = ReadStartUpPhases(ReadLog());
  return started;
}

// A real click, timed from the moment it is sent: the driver's own click lets the input
// settle for longer than the whole run takes.
std::int64_t ClickNow(HWND button) {
  BringToFront(GetAncestor(button, GA_ROOT));
  RECT rect;
  GetWindowRect(button, &rect);
  SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  INPUT inputs[2]{};
  inputs[0].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[1] = inputs[0];
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  const std::int64_t clicked = NowMicroseconds();
  SendInput(2, inputs, sizeof(INPUT));
  return clicked;
}

// Polls `condition` every millisecond.
void WaitUntil(const std::function<bool()>& condition, const char* what) {
  const auto until = Clock::now() + kTimeout;
  while (Clock::now() < until) {
    if (condition()) return;
    std::this_thread::sleep_for(1ms);
  }
  throw std::runtime_error(std::string("timed out waiting for ") + what);
}

// One run's parts, in milliseconds, from its log.
struct Parts {
  double whole = 0;
  double picture = 0;     // click to the carrier saved
  double extraction = 0;  // the copies with their digests, checked
  double renames = 0;     // checked to in place, every file
  double end = 0;         // the last file in place to the installer started or "Upgrade complete"
  double plain_hashed = 0;
  Memory memory;
  StartUpPhases start_up;
};

// A run's parts over the rounds.
struct RunSamples {
  std::vector<double> whole, picture, extraction, renames, end, plain_hashed, working_set, private_bytes;
  void Add(const Parts& parts) {
    whole.push_back(parts.whole);
    picture.push_back(parts.picture);
    extraction.push_back(parts.extraction);
    renames.push_back(parts.renames);
    end.push_back(parts.end);
    plain_hashed.push_back(parts.plain_hashed);
    working_set.push_back(parts.memory.working_set_mib);
    private_bytes.push_back(parts.memory.private_mib);
  }
};

// The parts of a run whose log says `end_text` when it is done.
Parts SplitByLog(std::int64_t clicked, const char* end_text) {
  const std::vector<std::string> log = ReadLog();
  const std::vector<std::int64_t> saved = Times(log, "saved the carrier");
  const std::vector<std::int64_t> checked = Times(log, "checked ");
  const std::vector<std::int64_t> placed = Times(log, "in place: ");
  const std::vector<std::int64_t> ended = Times(log, end_text);
  if (saved.size() != 1 || checked.empty() || checked.size() != placed.size() || ended.size() != 1)
    throw std::runtime_error("the log does not tell the run's parts");
  const auto ms = [](std::int64_t microseconds) { return static_cast<double>(microseconds) / 1000.0; };
  Parts parts;
  parts.whole = ms(ended[0] - clicked);
  parts.picture = ms(saved[0] - clicked);
  parts.extraction = 0;
  parts.renames = 0;
  std::int64_t from = saved[0];
  for (std::size_t i = 0; i < checked.size(); ++i) {
    parts.extraction += ms(checked[i] - from);
    parts.renames += ms(placed[i] - checked[i]);
    from = placed[i];
  }
  parts.end = ms(ended[0] - placed.back());
  return parts;
}

Parts InstallRound() {
  ResetState();
  Started setup = StartSetup();
  const std::int64_t clicked = ClickNow(setup.accept);
  WaitUntil([] { return Exists(DemoInstallerMarkerPath()); }, "the installer's start");
  const Memory memory = PeakMemory(setup.process);  // before the timer ends it
  if (setup.process.WaitForExit(kTimeout) != 0u) throw std::runtime_error("the install run did not end cleanly");
  Parts parts = SplitByLog(clicked, "started c:\\hdgr_temp_setup\\Setup.exe");
  parts.memory = memory;
  parts.start_up = setup.start_up;
  return parts;
}

Parts UpgradeRound() {
  ResetState();
  std::filesystem::create_directories(std::filesystem::path(kProductFolder));
  std::filesystem::copy_file(std::filesystem::path(PayloadFiles().at(0)),
                             std::filesystem::path(std::wstring(kProductFolder) + L"\\HaldenGrid.exe"));
  StoreSetting(L"app_path", kProductFolder);
  for (const wchar_t* name : {L"app_Major", L"app_Minor"}) StoreSetting(name, L"3");
  StoreSetting(L"app_Revision", L"9");
  Started setup = StartSetup();
  const std::int64_t clicked = ClickNow(setup.accept);
  const std::optional<MessageBoxInfo> box = WaitForMessageBox(L"Halden Grid", kTimeout, setup.process.Id());
  if (!box || box->text != L"Upgrade complete") throw std::runtime_error("the upgrade run did not say it was complete");
  const Memory memory = PeakMemory(setup.process);
  PressOk(box->window);
  if (setup.process.WaitForExit(kTimeout) != 0u) throw std::runtime_error("the upgrade run did not end cleanly");
  Parts parts = SplitByLog(clicked, "message \"Halden Grid\": Upgrade complete");
  parts.memory = memory;
  parts.start_up = setup.start_up;
  return parts;
}

// The same files copied the plain way, 64 KiB at a time, through SHA-256 as they pass.
double TimePlainCopy(int first, int count) {
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(kPlainFolder), ignored);
  std::filesystem::create_directories(std::filesystem::path(kPlainFolder));
  const std::vector<std::wstring> files = PayloadFiles();
  std::vector<char> buffer(kCopyBuffer);
  const auto start = Clock::now();
  for (int i = first; i < first + count; ++i) {
    const std::wstring to = std::wstring(kPlainFolder) + L"\\" + std::filesystem::path(files.at(i)).filename().wstring();
    const win32::FileHandle in(
        CreateFileW(files.at(i).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    const win32::FileHandle out(CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!in || !out) throw std::runtime_error("plain copy: a file did not open");
    Sha256 digest;
    for (;;) {
      DWORD read = 0;
      DWORD written = 0;
      if (!ReadFile(in.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr))
        throw std::runtime_error("plain copy: read failed");
      if (read == 0) break;
      if (!WriteFile(out.Get(), buffer.data(), read, &written, nullptr) || written != read)
        throw std::runtime_error("plain copy: write failed");
      digest.Update(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(buffer.data()), read));
    }
    digest.Finish();
  }
  return Milliseconds(Clock::now() - start);
}

// A trivial window program's peak memory, for the setup's to be set against: the same
// kinds of controls made the plainest way.
Memory TrivialProgramMemory() {
  Process product = Start(HostPath(HDGR_TRIVIAL_WINDOW_EXE));
  if (WaitForWindow(L"Trivial window (benchmark)", kTimeout, product.Id()) == nullptr)
    throw std::runtime_error("the trivial program's window did not show");
  std::this_thread::sleep_for(300ms);
  const Memory memory = PeakMemory(product);
  product.Kill();
  return memory;
}

// Each start-up phase's time since the process's creation, over the rounds, in the order
// the runs note them.
struct PhaseSamples {
  std::vector<std::string> order;
  std::map<std::string, std::vector<double>> milliseconds;
  void Add(const StartUpPhases& phases) {
    for (const auto& [phase, microseconds] : phases) {
      if (milliseconds.count(phase) == 0) order.push_back(phase);
      milliseconds[phase].push_back(static_cast<double>(microseconds) / 1000.0);
    }
  }
  void Report() const {
    std::printf("interactive start-up, ms since the process's creation (median [lowest-highest] of %zu runs; step "
                "from the one before):\n",
                milliseconds.empty() ? std::size_t{0} : milliseconds.begin()->second.size());
    double before = 0;
    for (const std::string& phase : order) {
      const Spread at = SpreadOf(milliseconds.at(phase));
      std::printf("  %-22s (+%6.1f)  %s\n", Describe(at, 1).c_str(), at.median - before, phase.c_str());
      before = at.median;
    }
  }
};

bool Report(const char* name, const char* end, const RunSamples& run, const std::vector<double>& trivial_private) {
  const Spread ratio = SpreadOf(Ratios(run.extraction, run.plain_hashed));
  const Spread above = SpreadOf(Differences(run.private_bytes, trivial_private));
  const auto mark = [](bool met) { return met ? "" : "  OVER TARGET"; };
  const auto ms = [](const std::vector<double>& values) { return Describe(SpreadOf(values), 1); };
  std::printf("%s, ms, median [lowest-highest]:\n"
              "    click to %s %s\n"
              "    = save picture %s + extraction with digests %s + renames %s + %s %s\n"
              "    extraction / plain copy with SHA-256 (%s) = %s (target <= %.1f)%s\n"
              "    peak working set %s MiB, peak private bytes %s MiB, %s MiB above the trivial program's "
              "(target <= %.0f)%s\n",
              name, end, ms(run.whole).c_str(), ms(run.picture).c_str(), ms(run.extraction).c_str(),
              ms(run.renames).c_str(), end, ms(run.end).c_str(), ms(run.plain_hashed).c_str(),
              Describe(ratio, 2).c_str(), kTargetRatio, mark(ratio.median <= kTargetRatio),
              ms(run.working_set).c_str(), ms(run.private_bytes).c_str(), Describe(above, 1).c_str(),
              kPrivateBytesAboveTrivialMiB, mark(above.median <= kPrivateBytesAboveTrivialMiB));
  return ratio.median <= kTargetRatio && above.median <= kPrivateBytesAboveTrivialMiB;
}

int Main() {
  RunSamples install;
  RunSamples upgrade;
  std::vector<double> trivial_private;
  std::vector<double> trivial_working_set;
  PhaseSamples start_up;
  for (int round = 0; round < kRounds; ++round) {
    // The run and its yardstick side by side, whichever goes first.
    const bool copy_first = round % 2 == 1;
    double install_copy = copy_first ? TimePlainCopy(0, 3) : 0;
    Parts install_round = InstallRound();
    if (!copy_first) install_copy = TimePlainCopy(0, 3);
    install_round.plain_hashed = install_copy;
    start_up.Add(install_round.start_up);
    install.Add(install_round);
    double upgrade_copy = copy_first ? TimePlainCopy(3, 1) : 0;
    Parts upgrade_round = UpgradeRound();
    if (!copy_first) upgrade_copy = TimePlainCopy(3, 1);
    upgrade_round.plain_hashed = upgrade_copy;
    start_up.Add(upgrade_round.start_up);
    upgrade.Add(upgrade_round);
    // Twice, beside each run, so that each run's memory has its own floor.
    for (int run = 0; run < 2; ++run) {
      const Memory trivial = TrivialProgramMemory();
      trivial_private.push_back(trivial.private_mib);
      trivial_working_set.push_back(trivial.working_set_mib);
    }
  }
  ResetState();
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(kPlainFolder), ignored);
  DeleteFileW(kLog);

  std::vector<double> trivial_beside_install;
  std::vector<double> trivial_beside_upgrade;
  for (std::size_t i = 0; i < trivial_private.size(); ++i)
    (i % 2 == 0 ? trivial_beside_install : trivial_beside_upgrade).push_back(trivial_private[i]);
  std::printf("whole accept action of the setup program, %d interleaved rounds, with its log's parts\n"
              "trivial window program: peak working set %s MiB, peak private bytes %s MiB\n",
              kRounds, Describe(SpreadOf(trivial_working_set), 1).c_str(),
              Describe(SpreadOf(trivial_private), 1).c_str());
  start_up.Report();
  const bool install_met =
      Report("install run (3 files, 2,827,773 bytes)", "installer started", install, trivial_beside_install);
  const bool upgrade_met =
      Report("upgrade run (1 file, 1,810,432 bytes)", "\"Upgrade complete\"", upgrade, trivial_beside_upgrade);
  std::fflush(stdout);
  return install_met && upgrade_met ? 0 : 1;
}

}  // namespace
}  // namespace hdgr::bench

int main() {
  try {
    return hdgr::bench::Main();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
  }
  return 2;
}
