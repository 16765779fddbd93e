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

void ReportSegment(std::ostream& out, int index, std::int64_t carrier_length, const Sha256Digest& digest) {
  out << std::left << std::setw(15) << kSegments[index].file_name << std::right                       //
      << "  length " << std::setw(7) << kSegments[index].length                                       //
      << "  start " << std::setw(7) << SegmentStart(index, static_cast<std::int32_t>(carrier_length))  //
      << "  end " << std::setw(7) << SegmentEnd(index, carrier_length)                                 //
      << "  sha256 " << ToHex(digest) << "\n";
}

PayloadFiles ReadPayload(const BuildRequest& request) {
  PayloadFiles files;
  for (std::size_t i = 0; i < files.size(); ++i) {
    files[i] = ReadWholeFile(request.payload[i]);
    RequireSegmentLength(static_cast<int>(i), files[i].size(), request.payload[i].string());
  }
  return files;
}

Bytes ReadValidCarrier(const fs::path& path) {
  Bytes carrier = ReadWholeFile(path);
  ValidateCarrier(carrier, path.string());
  return carrier;
}

std::vector<std::uint8_t> AsBytes(const std::string& text) { return {text.begin(), text.end()}; }

}  // namespace

void BuildCarrier(const BuildRequest& request, std::ostream& out) {
  const PayloadFiles files = ReadPayload(request);
  std::optional<CoverPicture> cover;
  if (request.cover) cover.emplace(ReadWholeFile(*request.cover), request.cover->string());

  Bytes carrier = BlankCarrier(cover ? &*cover : nullptr);
  PackSegments(carrier, files);
  PayloadDigests digests;
  for (std::size_t i = 0; i < files.size(); ++i) digests[i] = Sha256Of(files[i]);
  const InstallerRightsFound installer = InstallerRightsOf(files[0]);

  // Both files are complete before either replaces its old version.
  std::vector<StagedFile> staged;
  staged.emplace_back(request.carrier, carrier);
  if (request.digests_source) {
    const auto source = AsBytes(DigestsSource(digests, installer.rights));
    // An unchanged source keeps its time stamp, so the program is not relinked for nothing.
    if (!FileHolds(*request.digests_source, source)) staged.emplace_back(*request.digests_source, source);
  }
  for (StagedFile& file : staged) file.Commit();

  for (std::size_t i = 0; i < files.size(); ++i) ReportSegment(out, static_cast<int>(i), kCarrierLength, digests[i]);
  out << kSegments[0].file_name << " asks for " << NameOf(installer.rights) << ": " << installer.why << "\n";
  out << request.carrier.string() << ": " << kCarrierLength << " bytes written\n";
}

void CheckCarrier(const fs::path& path, std::ostream& out) {
  CheckCarrierBytes(ReadWholeFile(path), path.string(), out);
}

void CheckCarrierBytes(std::span<const std::uint8_t> carrier, std::string_view name, std::ostream& out) {
  ValidateCarrier(carrier, name);
  out << name << ": " << carrier.size() << " bytes, " << kCarrierWidth << " x " << kCarrierHeight << " 24-bit bitmap\n";
  for (int i = 0; i < static_cast<int>(kSegments.size()); ++i)
    ReportSegment(out, i, static_cast<std::int64_t>(carrier.size()), Sha256Of(UnpackSegment(carrier, i)));
}

void UnpackCarrier(const fs::path& path, const fs::path& folder, std::ostream& out) {
  const Bytes carrier = ReadValidCarrier(path);
  std::error_code error;
  fs::create_directories(folder, error);
  if (error || !fs::is_directory(folder))
    throw PackError(folder.string() + ": cannot make the folder" + (error ? ": " + error.message() : ""));
  for (int i = 0; i < static_cast<int>(kSegments.size()); ++i) {
    const auto file = UnpackSegment(carrier, i);
    WriteFileAtomically(folder / fs::path(std::string(kSegments[i].file_name)), file);
    ReportSegment(out, i, static_cast<std::int64_t>(carrier.size()), Sha256Of(file));
  }
}

void PadProgram(int segment, const fs::path& program, const fs::path& padded) {
  WriteFileAtomically(padded, PadToSegment(ReadWholeFile(program), segment, program.string()));
}

void MakeDemoFile(int segment, const fs::path& file) {
  WriteFileAtomically(file, GeneratedDemoFile(segment));
}

void ListSegments(std::ostream& out) {
  for (const Segment& segment : kSegments) out << segment.file_name << " " << segment.length << "\n";
}

}  // namespace hdgr
