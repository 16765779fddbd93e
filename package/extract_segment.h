#pragma once
// Copies one packed file out of the open carrier file, un-reversing it, and moves the
// progress bar at the run's progress points.

#include <cstdint>
#include <string_view>
#include <vector>

#include "package/sha256_worker.h"
#include "platform/controls.h"

namespace hdgr {

enum class ProgressRule {
  kRunningTotal,  // install run: every 100th byte of the run, Value = total / 100
  kPerFile,       // upgrade run: every 10th byte of the file, Value = count / 100
};

// Bytes moved per read and write: a multiple of 100, so in the install run each block
// holds the same number of progress points.
inline constexpr std::int32_t kExtractBlockBytes = 256'000;
static_assert(kExtractBlockBytes % 100 == 0, "a block holds whole hundreds of bytes: its progress points line up");

// The bar's Value at the progress point whose counter is hundreds * 100 + hundredths
// (0 <= hundredths < 100): counter / 100 in single precision, the same float as
// static_cast<float>(counter / 100.0) for every counter of 32 bits, without a division.
float ProgressValue(std::int64_t hundreds, std::int32_t hundredths);

// Copies segments out of the open carrier file through one block of memory, made with the
// extractor and kept from file to file: Wine gives a block this size back to the system
// when it is freed, and a fresh one's pages cost about 0.35 ms (measured), more than the
// rest of a file's fixed costs together.
class SegmentExtractor {
 public:
  SegmentExtractor() : block_(kExtractBlockBytes) {}

  // Copies `length` bytes from carrier positions `start` down to start - length + 1 into a
  // new file for `output_path` (output record j = carrier record start - (j - 1)), put in
  // place by the caller. Block by block: one read of the carrier, reversed in memory, one
  // write, the bytes fed to `digest` (when given), then every progress point in the block
  // in order, Value first, then the pump. Under kRunningTotal `running_total` is advanced
  // and the output file is closed afterwards; under kPerFile it stays open for the
  // caller's close-all. Returns start - length.
  std::int32_t Extract(ApplicationServices& app, ProgressBar& bar, int carrier_file, std::int32_t start,
                       std::int32_t length, std::string_view output_path, ProgressRule rule,
                       std::int32_t* running_total, Sha256Worker* digest);

 private:
  std::vector<std::uint8_t> block_;
};

}  // namespace hdgr
