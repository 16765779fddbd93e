#include "flows/layout_run.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "flows/new_file.h"
#include "package/payload_check.h"
#include "package/reverse_bytes.h"
#include "package/segment_table.h"
#include "package/work_folder.h"
#include "platform/log_text.h"
#include "platform/path_text.h"
#include "platform/run_time_error.h"

namespace hdgr {

namespace {

// Written in blocks of this size, as the extractor writes: one read of the image's bytes, one
// turn in memory, one write.
constexpr std::size_t kLayoutBlockBytes = 256'000;

[[noreturn]] void RefusePackage(const std::string& why) {
  throw RunTimeError(ErrorNumber::kPathFileAccessError, "The package " + why + ": nothing was written");
}

// Every packed file the layout writes is in the carrier as the build packed it.
void CheckPackage(std::span<const std::uint8_t> carrier, const PayloadDigests& digests) {
  if (const std::optional<std::string> fault = CarrierFault(carrier)) RefusePackage("cannot be read: " + *fault);
  const std::vector<PackedFileCheck> checks = CheckPackedFiles(carrier, digests);
  for (int segment = 0; segment < kInstallSegmentCount; ++segment)
    if (!checks[segment].intact)
      RefusePackage("was changed: its " + std::string(checks[segment].name) + " is not the file it was built with");
}

void WriteSegment(ApplicationServices& app, std::span<const std::uint8_t> carrier, int segment, NewFile& output) {
  const int file_number = app.FreeFileNumber();
  app.OpenNewFile(output.FinalPath(), file_number);
  const auto length = static_cast<std::size_t>(kSegments[segment].length);
  // 0-based index of the file's first byte, its highest position.
  const auto first = static_cast<std::size_t>(SegmentStart(segment, static_cast<std::int32_t>(carrier.size())) - 1);
  std::vector<std::uint8_t> block;
  for (std::size_t done = 0; done < length; done += block.size()) {
    const std::size_t size = std::min(kLayoutBlockBytes, length - done);
    const auto from = carrier.begin() + static_cast<std::ptrdiff_t>(first - done - size + 1);
    block.assign(from, from + static_cast<std::ptrdiff_t>(size));
    ReverseBytes(block);
    app.WriteRecords(file_number, static_cast<std::int32_t>(done + 1), block);
    output.Digest()->Update(block);
  }
  app.CloseFile(file_number);
}

}  // namespace

std::optional<std::string> LayoutFolderOf(std::string_view given, std::string* why) {
  const std::vector<std::string> names = ResolvedNames(given);
  const bool share = !names.empty() && names[0].rfind("\\\\", 0) == 0;
  if (names.empty() || HasWildcard(given)) {
    *why = "no full path of a folder";
  } else if (names.size() <= (share ? 2u : 1u)) {
    *why = "the root of a drive or share, not a folder";
  } else if (LiesWithin(given, kWorkFolder)) {
    *why = "the setup's own work folder or a folder in it";
  } else {
    std::string folder = names[0];
    for (std::size_t i = 1; i < names.size(); ++i) folder += "\\" + names[i];
    return folder;
  }
  return std::nullopt;
}

void PerformLayout(ApplicationServices& app, std::span<const std::uint8_t> carrier, const PayloadDigests& digests,
                   std::string_view folder, Sha256Worker& digest) {
  app.Note("layout into " + QuotedForLog(folder));
  CheckPackage(carrier, digests);
  app.HoldOutputFolder(folder);
  // All three written and checked before any goes in place: a layout that fails on the way
  // leaves the folder's earlier files as they were, never a mix of two releases.
  std::array<std::optional<NewFile>, kInstallSegmentCount> outputs;
  for (int segment = 0; segment < kInstallSegmentCount; ++segment) {
    NewFile& output =
        outputs[segment].emplace(app, std::string(folder) + "\\" + std::string(kSegments[segment].file_name), digest);
    WriteSegment(app, carrier, segment, output);
    output.Check(kSegments[segment].length, digests[segment]);
  }
  for (std::optional<NewFile>& output : outputs) output->PutInPlace();
  app.ReleaseFiles();
  app.Note("laid out the installer's files in " + QuotedForLog(folder));
}

}  // namespace hdgr
