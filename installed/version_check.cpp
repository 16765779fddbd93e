#include "installed/version_check.h"

#include <array>
#include <string>

#include "platform/log_text.h"
#include "platform/number_text.h"
#include "platform/path_text.h"

namespace hdgr {

namespace {

constexpr int kVersionComponents = 3;

std::string VersionText(const InstalledCopy& installed) {
  return IntegerToText(installed.major) + "." + IntegerToText(installed.minor) + "." +
         IntegerToText(installed.revision);
}

// A relative folder would be looked up in, and later written to, whatever folder the
// program is in; a pattern names no one folder, and looking it up fails: neither names an
// installed copy. Empty when the folder can name one.
std::string WhyNoFolder(const std::string& folder) {
  if (!IsFullPath(folder)) return "is no full path";
  if (HasWildcard(folder)) return "holds a wildcard";
  return {};
}

bool ProgramFileFound(ApplicationServices& app, const InstalledCopy& installed) {
  if (!WhyNoFolder(installed.folder).empty()) return false;
  // The stored folder as it is: a closing separator or blanks go to find entry unchanged.
  const std::string program = installed.folder + std::string(kProgramFileSuffix);
  return !TrimBlanks(app.FindEntry(program, kFindFiles)).empty();
}

// The first component in which the package (the version digits' captions) is newer than the
// installed copy, or -1 when the installed copy is as new or newer: a package never
// offers to downgrade.
int FirstNewerComponent(SetupForm& form, const InstalledCopy& installed) {
  const std::array<std::int16_t, kVersionComponents> components{installed.major, installed.minor,
                                                                 installed.revision};
  for (int i = 0; i < kVersionComponents; ++i) {
    const double package = TextToDouble(form.VersionDigit(i).Caption());
    const double have = components[i];
    if (package > have) return i;
    if (package < have) return -1;
  }
  return -1;
}

}  // namespace

SetupMode CheckInstalledVersion(ApplicationServices& app, SetupForm& form, const InstalledCopy& installed) {
  if (installed.folder.empty()) {
    app.Note("mode install: no installed copy is stored");
    form.StatusLine().SetCaption(kReadyToInstallStatus);
    return SetupMode::kInstall;
  }
  if (!ProgramFileFound(app, installed)) {
    const std::string why = WhyNoFolder(installed.folder);
    app.Note(why.empty() ? "mode install: " + QuotedForLog(installed.folder + std::string(kProgramFileSuffix)) + " is not there"
                         : "mode install: the stored folder " + QuotedForLog(installed.folder) + " " + why);
    app.ShowMessage(kSettingsFoundMessage, MessageIcon::kInformation, kVersionMessageTitle);
    form.StatusLine().SetCaption(kReadyToInstallStatus);
    return SetupMode::kInstall;
  }
  form.StatusLine().SetCaption(std::string(kYourVersionPrefix) + VersionText(installed));
  if (const int newer = FirstNewerComponent(form, installed); newer >= 0) {
    app.Note("mode upgrade: the installed copy " + VersionText(installed) + " is older than the package");
    form.AcceptButton().SetCaption(kAcceptUpgradeCaption);
    form.VersionDigit(newer).SetForeColor(kWhite);
    form.StatusLine().SetForeColor(kWhite);
    return SetupMode::kUpgrade;
  }
  app.Note("mode current: the installed copy " + VersionText(installed) + " is as new as the package or newer");
  app.ShowMessage(kMostCurrentMessage, MessageIcon::kInformation, kVersionMessageTitle);
  form.AcceptButton().SetEnabled(false);
  return SetupMode::kCurrent;
}

}  // namespace hdgr
