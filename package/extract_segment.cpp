#include "package/extract_segment.h"

#include <limits>
#include <string>

#include "platform/run_time_error.h"

namespace hdgr {

namespace {

// For counters from 0 up these equal the text searches the progress rules are defined by:
// the running total's last two digits "00", the per-file count's last digit "0".
constexpr std::int32_t kRunningTotalStep = 100;
constexpr std::int32_t kPerFileStep = 10;
constexpr double kValueScale = 100.0;

void CheckArguments(std::int32_t length, std::string_view output_path, ProgressRule rule,
                    const std::int32_t* running_total) {
  if (length < 0)
    throw RunTimeError(ErrorNumber::kInvalidProcedureCall,
                       "Negative segment length for " + std::string(output_path));
  if (rule != ProgressRule::kRunningTotal) return;
  if (running_total == nullptr || *running_total < 0)
    throw RunTimeError(ErrorNumber::kInvalidProcedureCall,
                       "No running total for " + std::string(output_path));
  if (*running_total > std::numeric_limits<std::int32_t>::max() - length)
    throw RunTimeError(ErrorNumber::kOverflow, "Running total past " + std::string(output_path));
}

// Inline: tens of thousands of calls a run, most of them answered inline by the services.
[[gnu::always_inline]] inline void ShowProgress(ApplicationServices& app, ProgressBar& bar, std::int32_t counter) {
  bar.SetValue(static_cast<float>(counter / kValueScale));
  app.PumpEvents();
}

}  // namespace

std::int32_t ExtractSegment(ApplicationServices& app, ProgressBar& bar, int carrier_file,
                            std::int32_t start, std::int32_t length, std::string_view output_path,
                            ProgressRule rule, std::int32_t* running_total) {
  CheckArguments(length, output_path, rule, running_total);
  const int output_file = app.FreeFileNumber();
  std::int32_t count = 0;
  app.OpenRandomFile(output_path, output_file);

  // The hot path: one record read and one record written per byte, and a countdown to the
  // next progress point (a division per byte costs about a millisecond per megabyte).
  if (rule == ProgressRule::kRunningTotal) {
    std::int32_t total = *running_total;
    std::int32_t to_next_point = kRunningTotalStep - total % kRunningTotalStep;
    while (count < length) {
      const std::uint8_t byte = app.ReadByte(carrier_file, start - count);
      ++count;
      ++total;
      app.WriteByte(output_file, count, byte);
      if (--to_next_point == 0) {
        to_next_point = kRunningTotalStep;
        ShowProgress(app, bar, total);
      }
    }
    // Kept in a local while copying: a failure ends the run, so nobody reads a partial total.
    *running_total = total;
    app.CloseFile(output_file);
  } else {
    std::int32_t to_next_point = kPerFileStep;
    while (count < length) {
      const std::uint8_t byte = app.ReadByte(carrier_file, start - count);
      ++count;
      app.WriteByte(output_file, count, byte);
      if (--to_next_point == 0) {
        to_next_point = kPerFileStep;
        ShowProgress(app, bar, count);
      }
    }
  }
  return start - length;
}

}  // namespace hdgr
