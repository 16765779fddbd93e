// Times the install run's three files and the upgrade run's file as the accept action
// extracts them over the Win32 services (a new file each, block by block, its digest on a
// thread of its own as the bytes pass, the exact progress points on a shown bar, checked
// and put in place), against a forward plain copy of the same bytes in 64 KiB blocks into
// a file made the way the run must make it (new under a fresh name, denying writes, marked
// for removal, renamed into place through its handle), with and without SHA-256 of the
// bytes (the same hash code), all in the same run. The unsafe plain copy (CREATE_ALWAYS at
// the name) is printed beside: the difference is what holding the files costs. Rounds run
// interleaved, each ratio taken round by round and printed as its median with the lowest and
// highest round. The shipped program always digests: the ratio without the digest is printed
// for information, without a target.
// Exit code 1 when the median ratio with the digest is over its target.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_window.h"
#include "package/extract_segment.h"
#include "package/payload_check.h"
#include "package/segment_table.h"
#include "plain_copy.h"
#include "run_measures.h"
#include "platform/run_time_error.h"
#include "platform/win32/base/unique_handle.h"
#include "platform/win32/base/wide_text.h"
#include "platform/win32/win32_services.h"

namespace hdgr::bench {
namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;
constexpr double kTargetRatio = 1.3;
constexpr int kRounds = 15;
// Wine starts its service processes beside the first program of a prefix; untimed rounds
// run until they have settled (and the file cache is warm).
constexpr auto kWarmUp = std::chrono::seconds(2);

struct Run {
  const char* name;
  int first_segment;
  int segment_count;
  ProgressRule rule;
};
constexpr Run kInstall{"install run", 0, kInstallSegmentCount, ProgressRule::kRunningTotal};
constexpr Run kUpgrade{"upgrade run", kUpgradeSegment, 1, ProgressRule::kPerFile};

std::int32_t RunLength(const Run& run) {
  std::int32_t sum = 0;
  for (int i = 0; i < run.segment_count; ++i) sum += kSegments[run.first_segment + i].length;
  return sum;
}

std::string OutputPath(const std::string& folder, const Run& run, int i) {
  return folder + "\\" + std::string(kSegments[run.first_segment + i].file_name);
}

void RemoveOutputs(const std::string& folder, const Run& run) {
  for (int i = 0; i < run.segment_count; ++i) DeleteFileW(win32::Wide(OutputPath(folder, run, i)).c_str());
}

double Milliseconds(Clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

// The packed file of `segment` as the carrier holds it, turned round.
Bytes Packed(const Bytes& carrier, int segment) {
  const std::int32_t start = SegmentStart(segment, kCarrierLength);
  Bytes file(carrier.begin() + (start - kSegments[segment].length), carrier.begin() + start);
  std::reverse(file.begin(), file.end());
  return file;
}

struct Digests {
  explicit Digests(const Bytes& carrier) {
    for (int segment = 0; segment < static_cast<int>(kSegments.size()); ++segment)
      of[segment] = Sha256Of(Packed(carrier, segment));
  }
  std::array<Sha256Digest, kSegments.size()> of;
};

// As the accept action does it: Max once, each file new, extracted, checked and put in
// place, then close all. Without `digests` the bytes are not hashed nor checked.
double TimeExtractor(win32::Win32Services& app, ProgressBar& bar, SegmentExtractor& extractor, Sha256Worker& digest,
                     const std::string& carrier, const std::string& folder, const Run& run, const Digests* digests) {
  RemoveOutputs(folder, run);
  // Empty, as the setup window's bar is before a run; untimed.
  bar.SetValue(0);
  bar.SetMax(0);
  const auto start_time = Clock::now();
  const int carrier_file = app.FreeFileNumber();
  app.OpenRandomFile(carrier, carrier_file);
  bar.SetMax(static_cast<float>(RunLength(run) / 100.0));
  std::int32_t running_total = 0;
  std::int32_t start = SegmentStart(run.first_segment, kCarrierLength);
  for (int i = 0; i < run.segment_count; ++i) {
    const int segment = run.first_segment + i;
    const std::string path = OutputPath(folder, run, i);
    digest.Begin();
    start = extractor.Extract(app, bar, carrier_file, start, kSegments[segment].length, path, run.rule,
                              &running_total, digests != nullptr ? &digest : nullptr);
    if (run.rule == ProgressRule::kPerFile) app.CloseAllFiles();
    if (digests != nullptr)
      VerifyNewFile(app, path, kSegments[segment].length, digest.Finish(), digests->of[segment]);
    app.PutInPlace(path);
  }
  app.CloseAllFiles();
  app.ReleaseFiles();
  const double time = Milliseconds(Clock::now() - start_time);
  // The digest's worker watches for more work a moment before it sleeps: not while the
  // next thing is timed.
  Sleep(5);
  return time;
}

enum class Made { kPlainly, kSafely };

double TimePlainCopy(const std::string& carrier, const std::string& folder, const Run& run, bool hash, Made made) {
  RemoveOutputs(folder, run);
  const auto start_time = Clock::now();
  const win32::FileHandle file(CreateFileW(win32::Wide(carrier).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                           nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) throw std::runtime_error("carrier not opened");
  for (int i = 0; i < run.segment_count; ++i) {
    const int segment = run.first_segment + i;
    const std::int64_t lowest = SegmentStart(segment, kCarrierLength) - kSegments[segment].length;
    Sha256 digest;
    const auto copy = made == Made::kSafely ? SafePlainCopy : PlainCopy;
    copy(file.Get(), lowest, kSegments[segment].length, win32::Wide(OutputPath(folder, run, i)),
         hash ? &digest : nullptr);
    if (hash) digest.Finish();
  }
  return Milliseconds(Clock::now() - start_time);
}

Bytes ReadAll(const std::string& path) {
  const win32::FileHandle file(CreateFileW(win32::Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.Get(), &size)) throw std::runtime_error("cannot read " + path);
  Bytes bytes(static_cast<std::size_t>(size.QuadPart));
  DWORD read = 0;
  if (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())
    throw std::runtime_error("cannot read " + path);
  return bytes;
}

// The extractor's files must be the packed files, or the times compare different work.
void Verify(const Bytes& carrier, const std::string& extracted, const Run& run) {
  for (int i = 0; i < run.segment_count; ++i)
    if (ReadAll(OutputPath(extracted, run, i)) != Packed(carrier, run.first_segment + i))
      throw std::runtime_error("wrong bytes in " + OutputPath(extracted, run, i));
}

std::string Folder(const std::string& path) {
  CreateDirectoryW(win32::Wide(path).c_str(), nullptr);
  return path;
}

Bytes RandomCarrier() {
  std::mt19937 random(20240611);
  Bytes bytes(kCarrierLength);
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
  return bytes;
}

void WriteCarrier(const std::string& path, const Bytes& bytes) {
  const win32::FileHandle file(CreateFileW(win32::Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (!file || !WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size())
    throw std::runtime_error("cannot write " + path);
}

struct LegTimes {
  std::vector<double> extractor;       // digest on
  std::vector<double> extractor_bare;  // digest off
  std::vector<double> plain;
  std::vector<double> plain_hashed;
  std::vector<double> safe;
  std::vector<double> safe_hashed;
};

bool Report(const Run& run, const LegTimes& t) {
  const double bytes = RunLength(run);
  const Spread hashed_ratio = SpreadOf(Ratios(t.extractor, t.safe_hashed));
  const Spread bare_ratio = SpreadOf(Ratios(t.extractor_bare, t.safe));
  const Spread holds = SpreadOf(Differences(t.safe, t.plain));
  const Spread safe_over_unsafe = SpreadOf(Ratios(t.safe, t.plain));
  const auto ms = [](const std::vector<double>& values) { return Describe(SpreadOf(values), 2); };
  const bool met = hashed_ratio.median <= kTargetRatio;
  std::printf("%s (%d file%s, %d bytes), ms, median [lowest-highest]:\n", run.name, run.segment_count,
              run.segment_count == 1 ? "" : "s", RunLength(run));
  std::printf("  extractor with digest %s (%.2f ns/byte) / safe plain copy + SHA-256 %s = %s (target <= %.1f)%s\n",
              ms(t.extractor).c_str(), Median(t.extractor) * 1e6 / bytes, ms(t.safe_hashed).c_str(),
              Describe(hashed_ratio, 2).c_str(), kTargetRatio, met ? "" : "  OVER TARGET");
  std::printf("  for information, never shipped: extractor, digest off %s (%.2f ns/byte) / safe plain copy %s = %s\n",
              ms(t.extractor_bare).c_str(), Median(t.extractor_bare) * 1e6 / bytes, ms(t.safe).c_str(),
              Describe(bare_ratio, 2).c_str());
  std::printf("  unsafe plain copy %s, + SHA-256 %s: the holds cost %s (safe / unsafe %s)\n", ms(t.plain).c_str(),
              ms(t.plain_hashed).c_str(), Describe(holds, 2).c_str(), Describe(safe_over_unsafe, 2).c_str());
  return met;
}

int Main() {
  wchar_t temp[MAX_PATH + 1];
  const DWORD temp_length = GetTempPathW(MAX_PATH + 1, temp);
  const std::string root = Folder(win32::Utf8(std::wstring(temp, temp_length)) + "hdgr-bench");
  const std::string extracted = Folder(root + "\\extractor");
  const std::string plain = Folder(root + "\\plain");
  const std::string carrier_path = root + "\\setup_image.bmp";
  const Bytes carrier = RandomCarrier();
  WriteCarrier(carrier_path, carrier);
  const Digests digests(carrier);

  BenchWindow window;
  // As the setup window's handlers hold them.
  SegmentExtractor extractor;
  Sha256Worker digest;
  win32::Win32Services app;
  app.SetOwnerWindow(window.Handle());
  app.SetPendingDisplay(&window.Bar());

  for (const auto until = Clock::now() + kWarmUp; Clock::now() < until;) {
    TimeExtractor(app, window.Bar(), extractor, digest, carrier_path, extracted, kInstall, &digests);
    TimePlainCopy(carrier_path, plain, kInstall, true, Made::kSafely);
  }
  LegTimes install;
  LegTimes upgrade;
  for (int round = 0; round < kRounds; ++round) {
    for (auto [run, times] : {std::pair{&kInstall, &install}, std::pair{&kUpgrade, &upgrade}}) {
      const auto extract = [&](const Digests* with) {
        return TimeExtractor(app, window.Bar(), extractor, digest, carrier_path, extracted, *run, with);
      };
      std::vector<std::function<void()>> legs = {
          [&] { times->extractor.push_back(extract(&digests)); },
          [&] { times->safe_hashed.push_back(TimePlainCopy(carrier_path, plain, *run, true, Made::kSafely)); },
          [&] { times->extractor_bare.push_back(extract(nullptr)); },
          [&] { times->safe.push_back(TimePlainCopy(carrier_path, plain, *run, false, Made::kSafely)); },
          [&] { times->plain_hashed.push_back(TimePlainCopy(carrier_path, plain, *run, true, Made::kPlainly)); },
          [&] { times->plain.push_back(TimePlainCopy(carrier_path, plain, *run, false, Made::kPlainly)); },
      };
      // Whichever goes first in a round meets a colder or warmer cache: it changes each round.
      if (round % 2 == 1) std::reverse(legs.begin(), legs.end());
      for (const auto& leg : legs) leg();
    }
  }
  // What the upgrade run's 181,043 progress points cost alone: a Value and a pump each.
  std::vector<double> points;
  for (int round = 0; round < kRounds; ++round) {
    const auto start = Clock::now();
    for (int count = 10; count <= kSegments[kUpgradeSegment].length; count += 10) {
      window.Bar().SetValue(static_cast<float>(count / 100.0));
      app.PumpEvents();
    }
    points.push_back(Milliseconds(Clock::now() - start));
  }
  Verify(carrier, extracted, kInstall);
  Verify(carrier, extracted, kUpgrade);

  std::printf("carrier %d bytes, %d interleaved rounds, each ratio taken round by round; the extractor pumps a "
              "shown progress bar\n",
              kCarrierLength, kRounds);
  const bool install_met = Report(kInstall, install);
  const bool upgrade_met = Report(kUpgrade, upgrade);
  std::printf("the upgrade run's 181,043 progress points alone, Value and pump: %s ms\n",
              Describe(SpreadOf(points), 2).c_str());
  std::fflush(stdout);
  return install_met && upgrade_met ? 0 : 1;
}

}  // namespace
}  // namespace hdgr::bench

int main() {
  try {
    return hdgr::bench::Main();
  } catch (const hdgr::RunTimeError& error) {
    std::fprintf(stderr, "%s\n", error.MessageText().c_str());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
  }
  return 2;
}
