#include "package/stage_carrier.h"

#include <string>

#include "package/segment_table.h"
#include "package/work_folder.h"
#include "platform/number_text.h"

namespace hdgr {

namespace {

bool Exists(ApplicationServices& app, std::string_view path, int mask) {
  return !TrimBlanks(app.FindEntry(path, mask)).empty();
}

// Opening does not shorten a file, so an earlier run's file must go before a new copy.
void RemoveOldSetupFiles(ApplicationServices& app) {
  for (int segment = 0; segment < kInstallSegmentCount; ++segment) {
    const std::string path =
        std::string(kWorkFolder) + "\\" + std::string(kSegments[segment].file_name);
    if (Exists(app, path, kFindFiles)) app.RemoveFile(path);
  }
}

}  // namespace

int StageCarrier(ApplicationServices& app, const Picture& carrier) {
  app.ChangeFolder(kDriveRoot);
  // Every user may write to the drive's root: a folder found there is held only when it is
  // ours (not a link, not someone else's), and one made there is open to us alone. A plain
  // file of the folder's name counts as present here, and holding it fails.
  if (Exists(app, kWorkFolder, kFindFolders)) {
    app.HoldFolder(kWorkFolder);
    RemoveOldSetupFiles(app);
  } else {
    app.MakeFolder(kWorkFolder);
  }
  app.SavePicture(carrier, kSavedCarrierPath);
  app.Note("saved the carrier: " + std::string(kSavedCarrierPath));
  const int carrier_file = app.FreeFileNumber();
  app.OpenRandomFile(kSavedCarrierPath, carrier_file);
  return carrier_file;
}

void RemoveSavedCarrier(ApplicationServices& app) {
  if (Exists(app, kSavedCarrierPath, kFindFiles)) app.RemoveFile(kSavedCarrierPath);
}

}  // namespace hdgr
