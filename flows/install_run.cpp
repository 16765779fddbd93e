#include "flows/install_run.h"

#include <string>

#include "installed/product_settings.h"
#include "package/extract_segment.h"
#include "package/segment_table.h"
#include "package/stage_carrier.h"
#include "package/work_folder.h"
#include "flows/new_file.h"
#include "setup_window/texts.h"

namespace hdgr {

namespace {

std::string SetupFilePath(int segment) {
  return std::string(kWorkFolder) + "\\" + std::string(kSegments[segment].file_name);
}

// Each file is written beside its place and replaces whatever is there whole, so a
// leftover that find entry does not report (hidden, system) is never overwritten in part.
// The files stay held until the installer has started.
void CopySetupFiles(Platform& platform, int carrier_file, const PayloadDigests& digests, SegmentExtractor& extractor,
                    Sha256Worker& digest) {
  std::int32_t running_total = 0;
  std::int32_t start = SegmentStart(0, platform.app.FileLength(kSavedCarrierPath));
  for (int segment = 0; segment < kInstallSegmentCount; ++segment) {
    NewFile output(platform.app, SetupFilePath(segment), digest);
    start = extractor.Extract(platform.app, platform.form.Progress(), carrier_file, start, kSegments[segment].length,
                              output.FinalPath(), ProgressRule::kRunningTotal, &running_total, output.Digest());
    // The installer is the one file the run starts.
    if (segment == 0) output.CheckAndPutInPlaceToStart(kSegments[segment].length, digests[segment]);
    else output.CheckAndPutInPlace(kSegments[segment].length, digests[segment]);
  }
}

}  // namespace

std::uint32_t PerformInstallRun(Platform& platform, int carrier_file, const PayloadDigests& digests,
                                SegmentExtractor& extractor, Sha256Worker& digest, bool record_version) {
  ApplicationServices& app = platform.app;
  platform.form.Progress().SetMax(static_cast<float>(InstallLength() / 100.0));
  platform.form.ProgressCaption().SetCaption(kExtractingSetupFiles);
  CopySetupFiles(platform, carrier_file, digests, extractor, digest);
  if (record_version) RecordInstalledVersion(app);
  app.CloseAllFiles();
  RemoveSavedCarrier(app);
  // The installer may open its cabinet and list sharing only reading: each is held
  // read-only from here on, which such a reader shares and which still keeps everybody else
  // from changing it, until the program ends. The installer itself, held since it was
  // checked, is let go of by its start, before its first instruction runs.
  for (int segment = 1; segment < kInstallSegmentCount; ++segment) app.SealFile(SetupFilePath(segment));
  const std::uint32_t task = app.StartProgram(kInstallerPath, kShowNormalFocus);
  if (task != 0) app.Note("started " + std::string(kInstallerPath) + " (process " + std::to_string(task) + ")");
  else app.Note(std::string(kInstallerPath) + " asks for the administrators' rights, which this run has not got");
  return task;
}

}  // namespace hdgr
