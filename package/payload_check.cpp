#include "package/payload_check.h"

#include <string>
#include <vector>

#include "package/reverse_bytes.h"
#include "package/segment_table.h"
#include "platform/run_time_error.h"

namespace hdgr {

namespace {

[[noreturn]] void ThrowMismatch(std::string_view path) {
  throw RunTimeError(ErrorNumber::kPathFileAccessError,
                     std::string(path) + ": the written bytes do not match the package");
}

}  // namespace

void VerifyNewFile(ApplicationServices& app, std::string_view final_path, std::int32_t length,
                   const Sha256Digest& written, const Sha256Digest& expected) {
  if (app.NewFileLength(final_path) != length || written != expected) ThrowMismatch(final_path);
}

void VerifyHeldFile(ApplicationServices& app, std::string_view path, std::int32_t length,
                    const Sha256Digest& expected) {
  if (app.FileLength(path) != length) ThrowMismatch(path);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
  app.ReadHeldFile(path, bytes);
  if (Sha256Of(bytes) != expected) ThrowMismatch(path);
}

std::vector<PackedFileCheck> CheckPackedFiles(std::span<const std::uint8_t> carrier, const PayloadDigests& digests) {
  std::vector<PackedFileCheck> checks;
  const auto length = static_cast<std::int64_t>(carrier.size());
  for (std::size_t segment = 0; segment < kSegments.size(); ++segment) {
    const std::int64_t start = SegmentStart(static_cast<int>(segment), 0) + length;  // 1-based highest position
    const std::int64_t lowest = start - kSegments[segment].length + 1;
    PackedFileCheck check{kSegments[segment].file_name, {}, false};
    if (lowest >= 1 && start <= length) {
      std::vector<std::uint8_t> file(carrier.begin() + (lowest - 1), carrier.begin() + start);
      ReverseBytes(file);
      check.digest = Sha256Of(file);
      check.intact = check.digest == digests[segment];
    }
    checks.push_back(check);
  }
  return checks;
}

}  // namespace hdgr
