#include "tools/hdgr-pack/commands.h"

#include <iomanip>
#include <string>
#include <vector>

#include "package/sha256.h"
#include "tools/hdgr-pack/carrier_bitmap.h"
#include "tools/hdgr-pack/carrier_packing.h"
#include "tools/hdgr-pack/demo_files.h"
#include "tools/hdgr-pack/digests_source.h"
#include "tools/hdgr-pack/installer_rights_of.h"
#include "tools/hdgr-pack/file_io.h"
#include "tools/hdgr-pack/pack_error.h"

namespace hdgr {
namespace fs = std::filesystem;
namespace {

void ReportSegment(std::ostream& out, const SegmentTable& table, int index, std::int64_t carrier_length,
                   const Sha256Digest& digest) {
  out << std::left << std::setw(15) << table[index].file_name << std::right                                   //
      << "  length " << std::setw(7) << table[index].length                                                   //
      << "  start " << std::setw(7) << SegmentStartIn(table, index, static_cast<std::int32_t>(carrier_length))  //
      << "  end " << std::setw(7) << SegmentEnd(table, index, carrier_length)                                  //
      << "  sha256 " << ToHex(digest) << "\n";
}

void ReportCarrier(std::ostream& out, std::string_view name, std::int32_t rows) {
  out << name << ": " << CarrierLengthFor(rows) << " bytes, " << kCarrierWidth << " x " << rows << " 24-bit bitmap\n";
}

// The rows `table`'s files need; PackError when no carrier holds them.
std::int32_t RowsFor(const SegmentTable& table) {
  std::array<std::int64_t, kPackedFileNames.size()> lengths{};
  std::array<std::string, kPackedFileNames.size()> sources;
  for (std::size_t i = 0; i < table.size(); ++i) {
    lengths[i] = table[i].length;
    sources[i] = "the table";
  }
  return LayoutFor(lengths, sources).rows;
}

std::vector<std::uint8_t> AsBytes(const std::string& text) { return {text.begin(), text.end()}; }

}  // namespace

void BuildCarrier(const BuildRequest& request, std::ostream& out) {
  PayloadFiles files;
  std::array<std::string, kPackedFileNames.size()> sources;
  for (std::size_t i = 0; i < files.size(); ++i) {
    files[i] = ReadWholeFile(request.payload[i]);
    sources[i] = request.payload[i].string();
  }
  const PackageLayout layout = LayoutOf(files, sources);
  std::optional<CoverPicture> cover;
  if (request.cover) cover.emplace(ReadWholeFile(*request.cover), request.cover->string());

  Bytes carrier = BlankCarrier(layout.rows, cover ? &*cover : nullptr);
  PackSegments(carrier, layout.table, files);
  PayloadDigests digests;
  for (std::size_t i = 0; i < files.size(); ++i) digests[i] = Sha256Of(files[i]);
  const InstallerRightsFound installer = InstallerRightsOf(files[0]);

  // Both files are complete before either replaces its old version.
  std::vector<StagedFile> staged;
  staged.emplace_back(request.carrier, carrier);
  if (request.digests_source) {
    const auto source = AsBytes(DigestsSource(layout.table, digests, installer.rights));
    // An unchanged source keeps its time stamp, so the program is not relinked for nothing.
    if (!FileHolds(*request.digests_source, source)) staged.emplace_back(*request.digests_source, source);
  }
  for (StagedFile& file : staged) file.Commit();

  for (std::size_t i = 0; i < files.size(); ++i)
    ReportSegment(out, layout.table, static_cast<int>(i), static_cast<std::int64_t>(carrier.size()), digests[i]);
  out << layout.table[0].file_name << " asks for " << NameOf(installer.rights) << ": " << installer.why << "\n";
  ReportCarrier(out, request.carrier.string() + " written", layout.rows);
}

void CheckCarrier(const fs::path& path, const SegmentTable& table, std::ostream& out) {
  CheckCarrierBytes(ReadWholeFile(path), table, path.string(), out);
}

void CheckCarrierBytes(std::span<const std::uint8_t> carrier, const SegmentTable& table, std::string_view name,
                       std::ostream& out) {
  const std::int32_t rows = RowsFor(table);
  ValidateCarrier(carrier, rows, name);
  ReportCarrier(out, name, rows);
  for (int i = 0; i < static_cast<int>(table.size()); ++i)
    ReportSegment(out, table, i, static_cast<std::int64_t>(carrier.size()), Sha256Of(UnpackSegment(carrier, table, i)));
}

void UnpackCarrier(const fs::path& path, const SegmentTable& table, const fs::path& folder, std::ostream& out) {
  const Bytes carrier = ReadWholeFile(path);
  ValidateCarrier(carrier, RowsFor(table), path.string());
  std::error_code error;
  fs::create_directories(folder, error);
  if (error || !fs::is_directory(folder))
    throw PackError(folder.string() + ": cannot make the folder" + (error ? ": " + error.message() : ""));
  for (int i = 0; i < static_cast<int>(table.size()); ++i) {
    const auto file = UnpackSegment(carrier, table, i);
    WriteFileAtomically(folder / fs::path(std::string(table[i].file_name)), file);
    ReportSegment(out, table, i, static_cast<std::int64_t>(carrier.size()), Sha256Of(file));
  }
}

void PadProgram(std::int32_t length, const fs::path& program, const fs::path& padded) {
  WriteFileAtomically(padded, PadToLength(ReadWholeFile(program), length, program.string()));
}

void MakeDemoFile(int segment, const fs::path& file) {
  WriteFileAtomically(file, GeneratedDemoFile(segment));
}

void ListSegments(std::ostream& out) {
  for (const Segment& segment : kDesignedSegments) out << segment.file_name << " " << segment.length << "\n";
}

}  // namespace hdgr
