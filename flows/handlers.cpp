#include "flows/handlers.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

#include "installed/product_settings.h"
#include "installed/version_check.h"
#include "package/stage_carrier.h"
#include "flows/install_run.h"
#include "setup_window/placement.h"
#include "setup_window/texts.h"
#include "flows/upgrade_run.h"

namespace hdgr {

namespace {

bool ContainsIgnoringCase(std::string_view text, std::string_view word) {
  const auto same = [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  };
  return std::search(text.begin(), text.end(), word.begin(), word.end(), same) != text.end();
}

}  // namespace

void SetupHandlers::Load() {
  StopIfProductRunning(platform_);
  PlaceSetupWindow(platform_);
  ReadInstalledCopy(platform_.app, installed_);
  CheckInstalledVersion(platform_.app, platform_.form, installed_);
}

void SetupHandlers::AcceptClicked() {
  SetupForm& form = platform_.form;
  form.StatusLine().SetCaption(kExtractingStatus);
  StopIfProductRunning(platform_);
  form.ProgressCaption().SetVisible(true);
  form.AcceptButton().SetEnabled(false);
  form.CancelButton().SetEnabled(false);
  const int carrier_file = StageCarrier(platform_.app, form.CarrierPicture());
  if (ContainsIgnoringCase(form.AcceptButton().Caption(), kUpgradeWord))
    PerformUpgradeRun(platform_, carrier_file, installed_, digests_, extractor_, digest_);
  else
    PerformInstallRun(platform_, carrier_file, digests_, extractor_, digest_);
}

// In current mode cancel is all there is to do.
void SetupHandlers::CancelClicked() {
  const bool offered = platform_.form.AcceptButton().Enabled();
  platform_.app.Note(offered ? "cancelled" : "nothing to do");
  platform_.app.EndProgram(offered ? kExitCancelled : kExitNothingToDo);
}

void SetupHandlers::TimerTicked() { platform_.app.EndProgram(); }

}  // namespace hdgr
