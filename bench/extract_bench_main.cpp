// Times the install run's three segments and the upgrade run's segment through
// ExtractSegment over the Win32 services, with a real progress bar pumped at every
// progress point, against a plain 64 KiB buffered reversed copy of the same bytes in the
// same run. Exit code 1 when either ratio is above 3.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_window.h"
#include "package/extract_segment.h"
#include "package/segment_table.h"
#include "plain_copy.h"
#include "platform/run_time_error.h"
#include "platform/win32/file_system.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_services.h"

namespace hdgr::bench {
namespace {

using Clock = std::chrono::steady_clock;
constexpr double kTargetRatio = 3.0;
constexpr int kRounds = 15;  // the best of each: the machine is shared
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

// As the accept action does it: Max once, the segments in table order, then close all.
double TimeExtractor(win32::Win32Services& app, ProgressBar& bar, const std::string& carrier,
                     const std::string& folder, const Run& run) {
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
  for (int i = 0; i < run.segment_count; ++i)
    start = ExtractSegment(app, bar, carrier_file, start, kSegments[run.first_segment + i].length,
                           OutputPath(folder, run, i), run.rule, &running_total);
  app.CloseAllFiles();
  return Milliseconds(Clock::now() - start_time);
}

double TimePlainCopy(const std::string& carrier, const std::string& folder, const Run& run) {
  RemoveOutputs(folder, run);
  const auto start_time = Clock::now();
  const win32::FileHandle file(CreateFileW(win32::Wide(carrier).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                           nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) throw std::runtime_error("carrier not opened");
  std::int32_t start = SegmentStart(run.first_segment, kCarrierLength);
  for (int i = 0; i < run.segment_count; ++i)
    start = PlainReversedCopy(file.Get(), start, kSegments[run.first_segment + i].length,
                              win32::Wide(OutputPath(folder, run, i)));
  return Milliseconds(Clock::now() - start_time);
}

std::vector<std::uint8_t> ReadAll(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  win32::ReadFileInChunks(path, [&](std::span<const std::uint8_t> chunk) {
    bytes.insert(bytes.end(), chunk.begin(), chunk.end());
  });
  return bytes;
}

// Both copies must agree with the carrier, or the times compare different work.
void Verify(const std::vector<std::uint8_t>& carrier, const std::string& extracted,
            const std::string& plain, const Run& run) {
  std::int32_t start = SegmentStart(run.first_segment, kCarrierLength);
  for (int i = 0; i < run.segment_count; ++i) {
    const auto length = kSegments[run.first_segment + i].length;
    std::vector<std::uint8_t> expected(carrier.begin() + (start - length), carrier.begin() + start);
    std::reverse(expected.begin(), expected.end());
    if (ReadAll(OutputPath(extracted, run, i)) != expected || ReadAll(OutputPath(plain, run, i)) != expected)
      throw std::runtime_error("wrong bytes in " + OutputPath(extracted, run, i));
    start -= length;
  }
}

std::string Folder(const std::string& path) {
  CreateDirectoryW(win32::Wide(path).c_str(), nullptr);
  return path;
}

std::vector<std::uint8_t> RandomCarrier() {
  std::mt19937 random(20240611);
  std::vector<std::uint8_t> bytes(kCarrierLength);
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
  return bytes;
}

struct Times {
  double extractor = 1e300;
  double plain = 1e300;
  double Ratio() const { return extractor / plain; }
};

bool Report(const Run& run, const Times& times) {
  const bool met = times.Ratio() <= kTargetRatio;
  const double bytes = RunLength(run);
  std::printf("%s (%d file%s, %d bytes): extractor %.1f ms (%.2f ns/byte), plain copy %.1f ms (%.2f ns/byte), "
              "ratio %.2f (target <= %.1f)%s\n",
              run.name, run.segment_count, run.segment_count == 1 ? "" : "s", RunLength(run), times.extractor,
              times.extractor * 1e6 / bytes, times.plain, times.plain * 1e6 / bytes, times.Ratio(), kTargetRatio,
              met ? "" : "  OVER TARGET");
  return met;
}

int Main() {
  wchar_t temp[MAX_PATH + 1];
  const DWORD temp_length = GetTempPathW(MAX_PATH + 1, temp);
  const std::string root = Folder(win32::Utf8(std::wstring(temp, temp_length)) + "hdgr-bench");
  const std::string extracted = Folder(root + "\\extractor");
  const std::string plain = Folder(root + "\\plain");
  const std::string carrier_path = root + "\\setup_image.bmp";
  const std::vector<std::uint8_t> carrier = RandomCarrier();
  win32::WriteWholeFile(carrier_path, carrier);

  BenchWindow window;
  win32::Win32Services app;
  app.SetOwnerWindow(window.Handle());
  app.SetPendingDisplay(&window.Bar());

  for (const auto until = Clock::now() + kWarmUp; Clock::now() < until;) {
    TimeExtractor(app, window.Bar(), carrier_path, extracted, kInstall);
    TimePlainCopy(carrier_path, plain, kInstall);
  }
  Times install;
  Times upgrade;
  for (int round = 0; round < kRounds; ++round) {
    install.extractor = std::min(install.extractor, TimeExtractor(app, window.Bar(), carrier_path, extracted, kInstall));
    install.plain = std::min(install.plain, TimePlainCopy(carrier_path, plain, kInstall));
    upgrade.extractor = std::min(upgrade.extractor, TimeExtractor(app, window.Bar(), carrier_path, extracted, kUpgrade));
    upgrade.plain = std::min(upgrade.plain, TimePlainCopy(carrier_path, plain, kUpgrade));
  }
  Verify(carrier, extracted, plain, kInstall);
  Verify(carrier, extracted, plain, kUpgrade);

  std::printf("carrier %d bytes, best of %d rounds each; the extractor pumps a shown progress bar\n",
              kCarrierLength, kRounds);
  const bool install_met = Report(kInstall, install);
  const bool upgrade_met = Report(kUpgrade, upgrade);
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
