#pragma once
// Copies one packed file out of the open carrier file, un-reversing it, one byte per
// record, and moves the progress bar at the run's progress points.

#include <cstdint>
#include <string_view>

#include "platform/controls.h"

namespace hdgr {

enum class ProgressRule {
  kRunningTotal,  // install run: every 100th byte of the run, Value = total / 100
  kPerFile,       // upgrade run: every 10th byte of the file, Value = count / 100
};

// Copies `length` bytes from carrier positions `start` down to start - length + 1 into
// `output_path` (output record j = carrier record start - (j - 1)). Under kRunningTotal
// `running_total` is advanced and the output file is closed afterwards; under kPerFile
// the output stays open for the caller's close-all. Returns start - length.
std::int32_t ExtractSegment(ApplicationServices& app, ProgressBar& bar, int carrier_file,
                            std::int32_t start, std::int32_t length, std::string_view output_path,
                            ProgressRule rule, std::int32_t* running_total);

}  // namespace hdgr
