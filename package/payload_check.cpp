#include "package/payload_check.h"

#include <string>
#include <vector>

#include "package/reverse_bytes.h"
#include "package/segment_table.h"
#include "platform/bitmap_layout.h"
#include "platform/run_time_error.h"

namespace hdgr {

namespace {

std::string StoppedBy(const RunTimeError& error) { return std::string(error.what()) + ", " + error.Detail(); }

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

std::optional<std::string> PictureFault(std::span<const std::uint8_t> file) {
  try {
    ReadBitmapLayout(file);
  } catch (const RunTimeError& error) {
    return StoppedBy(error);
  }
  return std::nullopt;
}

std::optional<std::string> CarrierFault(std::span<const std::uint8_t> carrier) {
  if (std::optional<std::string> fault = PictureFault(carrier)) return fault;
  const std::uint64_t needed =
      ReadBitmapLayout(carrier).pixels_at + static_cast<std::uint64_t>(PayloadLength()) + kUnusedTailBytes;
  if (carrier.size() < needed)
    return std::to_string(carrier.size()) + " bytes: its headers, the segment table's files and its unused tail need " +
           std::to_string(needed);
  return std::nullopt;
}

}  // namespace hdgr
