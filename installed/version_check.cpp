#include "installed/version_check.h"

#include <array>
#include <string>

#include "platform/number_text.h"
#include "platform/path_text.h"

namespace hdgr {

namespace {

constexpr int kVersionComponents = 3;

std::string VersionText(const Module1& module1) {
  return IntegerToText(module1.InstalledMajor) + "." + IntegerToText(module1.InstalledMinor) + "." +
         IntegerToText(module1.InstalledRevision);
}

bool ProgramFileFound(ApplicationServices& app, const Module1& module1) {
  // A relative folder would be looked up in, and later written to, whatever folder the
  // program is in: it names no installed copy.
  if (!IsFullPath(module1.InstalledPath)) return false;
  // The stored folder as it is: a closing separator or blanks go to find entry unchanged.
  const std::string program = module1.InstalledPath + std::string(kProgramFileSuffix);
  return !TrimBlanks(app.FindEntry(program, kFindFiles)).empty();
}

// The first component in which the package (the Label3 captions) is newer than the
// installed copy, or -1 when the installed copy is as new or newer: a package never
// offers to downgrade.
int FirstNewerComponent(SetupForm& form, const Module1& module1) {
  const std::array<std::int16_t, kVersionComponents> installed{
      module1.InstalledMajor, module1.InstalledMinor, module1.InstalledRevision};
  for (int i = 0; i < kVersionComponents; ++i) {
    const double package = TextToDouble(form.Label3(i).Caption());
    const double have = installed[i];
    if (package > have) return i;
    if (package < have) return -1;
  }
  return -1;
}

}  // namespace

void CheckInstalledVersion(ApplicationServices& app, SetupForm& form, const Module1& module1) {
  if (module1.InstalledPath.empty()) {
    app.Note("mode install: no installed copy is stored");
    form.Label5().SetCaption(kReadyToInstallStatus);
    return;
  }
  if (!ProgramFileFound(app, module1)) {
    app.Note(IsFullPath(module1.InstalledPath)
                 ? "mode install: " + module1.InstalledPath + std::string(kProgramFileSuffix) + " is not there"
                 : "mode install: the stored folder \"" + module1.InstalledPath + "\" is no full path");
    app.ShowMessage(kSettingsFoundMessage, MessageIcon::kInformation, kVersionMessageTitle);
    form.Label5().SetCaption(kReadyToInstallStatus);
    return;
  }
  form.Label5().SetCaption(std::string(kYourVersionPrefix) + VersionText(module1));
  if (const int newer = FirstNewerComponent(form, module1); newer >= 0) {
    app.Note("mode upgrade: the installed copy " + VersionText(module1) + " is older than the package");
    form.Command1().SetCaption(kAcceptUpgradeCaption);
    form.Label3(newer).SetForeColor(kWhite);
    form.Label5().SetForeColor(kWhite);
    return;
  }
  app.Note("mode current: the installed copy " + VersionText(module1) + " is as new as the package or newer");
  app.ShowMessage(kMostCurrentMessage, MessageIcon::kInformation, kVersionMessageTitle);
  form.Command1().SetEnabled(false);
}

}  // namespace hdgr
