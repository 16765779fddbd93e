#include "setup_window/upgrade_run.h"

#include <string>

#include "package/extract_segment.h"
#include "package/segment_table.h"
#include "package/stage_carrier.h"
#include "package/work_folder.h"
#include "platform/number_text.h"
#include "setup_window/new_file.h"
#include "setup_window/texts.h"

namespace hdgr {

void PerformUpgradeRun(Platform& platform, int carrier_file, const InstalledCopy& installed,
                       const PayloadDigests& digests, Sha256Worker& digest) {
  ApplicationServices& app = platform.app;
  const Segment& program = kSegments[kUpgradeSegment];
  platform.form.Progress().SetMax(static_cast<float>(program.length / 100.0));
  const std::string target = std::string(TrimBlanks(installed.folder)) + std::string(kProgramFileSuffix);
  {
    // The old program stays until the new one is complete and verified, then one rename
    // replaces it, hidden or system too: a failure never leaves the product without one.
    NewFile output(app, target, digest);
    ExtractSegment(app, platform.form.Progress(), carrier_file,
                   SegmentStart(kUpgradeSegment, app.FileLength(kSavedCarrierPath)), program.length,
                   output.FinalPath(), ProgressRule::kPerFile, nullptr, output.Digest());
    app.CloseAllFiles();
    output.PutInPlace(program.length, digests[kUpgradeSegment]);
  }
  RemoveSavedCarrier(app);
  app.ReleaseFiles();
  app.ShowMessage(kUpgradeCompleteMessage, MessageIcon::kInformation, kProductMessageTitle);
  app.EndProgram();
}

}  // namespace hdgr
