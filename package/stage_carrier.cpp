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

std::string MovedAsideMessage(const std::string& aside) {
  return std::string(kWorkFolder) +
         " could be changed by other users of this computer, so the setup does not use it.\r\r" +
         "It is kept as it was, now named " + aside + ". The setup works in a new folder that other " +
         "users cannot change.";
}

}  // namespace

int StageCarrier(ApplicationServices& app, const Picture& carrier) {
  app.ChangeFolder(kDriveRoot);
  // Every user may write to the drive's root, so a folder found there may hold what others
  // put in it (a DLL the installer would load): only a private one of ours is used as it
  // is. Anything else at the name, a folder, a file or a link, is moved aside as it is
  // (never through a link), and a private folder made in its place.
  const bool found = Exists(app, kWorkFolder, kFindFolders);
  const bool ours = found && app.HoldPrivateFolder(kWorkFolder);
  if (found && !ours) {
    const std::string aside = app.MoveFolderAside(kWorkFolder);
    app.Note("moved aside " + std::string(kWorkFolder) + ", which others could change: it is now " + aside);
    app.ShowMessage(MovedAsideMessage(aside), MessageIcon::kInformation, kWorkFolderMessageTitle);
  }
  if (!ours) app.MakeFolder(kWorkFolder);
  // The picture's name first: held by another program, it stops the run before an earlier
  // run's files are gone.
  app.SavePicture(carrier, kSavedCarrierPath);
  app.Note("saved the carrier: " + std::string(kSavedCarrierPath));
  if (ours) RemoveOldSetupFiles(app);
  const int carrier_file = app.FreeFileNumber();
  app.OpenRandomFile(kSavedCarrierPath, carrier_file);
  return carrier_file;
}

void RemoveSavedCarrier(ApplicationServices& app) {
  if (Exists(app, kSavedCarrierPath, kFindFiles)) app.RemoveFile(kSavedCarrierPath);
}

}  // namespace hdgr
