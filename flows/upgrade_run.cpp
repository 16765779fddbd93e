#include "flows/upgrade_run.h"

#include <string>

#include "package/extract_segment.h"
#include "platform/log_text.h"
#include "platform/path_text.h"
#include "platform/run_time_error.h"
#include "package/segment_table.h"
#include "package/stage_carrier.h"
#include "package/work_folder.h"
#include "flows/new_file.h"
#include "setup_window/texts.h"

namespace hdgr {

void CheckUpgradeTarget(const InstalledCopy& installed) {
  const std::string& folder = installed.folder;
  std::string why;
  if (!IsFullPath(folder) || HasWildcard(folder)) why = " is no full path of a folder";
  else if (IsDriveRoot(folder)) why = " is the root of a drive, not a product's folder";
  else if (LiesWithin(folder, kWorkFolder))
    why = " lies in " + std::string(kWorkFolder) + ", the setup's own work folder, not in a product's folder";
  if (why.empty()) return;
  throw RunTimeError(ErrorNumber::kPathFileAccessError,
                     "The stored product folder " + QuotedForLog(folder) + why + ": nothing was written");
}

void PerformUpgradeRun(Platform& platform, int carrier_file, const InstalledCopy& installed,
                       const PayloadDigests& digests, SegmentExtractor& extractor, Sha256Worker& digest) {
  ApplicationServices& app = platform.app;
  const Segment& program = kSegments[kUpgradeSegment];
  platform.form.Progress().SetMax(static_cast<float>(program.length / 100.0));
  // The path the version check found the program at, as it found it, in the folder it
  // found: held now, so that nothing re-pointed since sends the new program elsewhere.
  const std::string target = installed.folder + std::string(kProgramFileSuffix);
  app.HoldProductFolder(target);
  {
    // The old program stays until the new one is complete and verified, then one rename
    // replaces it, hidden or system too: a failure never leaves the product without one.
    NewFile output(app, target, digest);
    extractor.Extract(app, platform.form.Progress(), carrier_file,
                      SegmentStart(kUpgradeSegment, app.FileLength(kSavedCarrierPath)), program.length,
                      output.FinalPath(), ProgressRule::kPerFile, nullptr, output.Digest());
    app.CloseAllFiles();
    output.CheckAndPutInPlace(program.length, digests[kUpgradeSegment]);
  }
  RemoveSavedCarrier(app);
  app.ReleaseFiles();
}

}  // namespace hdgr
