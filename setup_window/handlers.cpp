#include "setup_window/handlers.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

#include "installed/product_settings.h"
#include "installed/version_check.h"
#include "package/stage_carrier.h"
#include "setup_window/install_run.h"
#include "setup_window/placement.h"
#include "setup_window/texts.h"
#include "setup_window/upgrade_run.h"

namespace hdgr {

namespace {

bool ContainsIgnoringCase(std::string_view text, std::string_view word) {
  const auto same = [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  };
  return std::search(text.begin(), text.end(), word.begin(), word.end(), same) != text.end();
}

}  // namespace

void SetupHandlers::Form_Load() {
  StopIfProductRunning(platform_);
  PlaceSetupWindow(platform_);
  ReadInstalledCopy(platform_.app, module1_);
  CheckInstalledVersion(platform_.app, platform_.form, module1_);
}

void SetupHandlers::Command1_Click() {
  SetupForm& form = platform_.form;
  form.Label5().SetCaption(kExtractingStatus);
  StopIfProductRunning(platform_);
  form.Label1().SetVisible(true);
  form.Command1().SetEnabled(false);
  form.Command2().SetEnabled(false);
  const int carrier_file = StageCarrier(platform_.app, form.Picture1());
  if (ContainsIgnoringCase(form.Command1().Caption(), kUpgradeWord))
    PerformUpgradeRun(platform_, carrier_file, module1_, digests_);
  else
    PerformInstallRun(platform_, carrier_file, digests_);
}

// In current mode cancel is all there is to do.
void SetupHandlers::Command2_Click() {
  const bool offered = platform_.form.Command1().Enabled();
  platform_.app.Note(offered ? "cancelled" : "nothing to do");
  platform_.app.EndProgram(offered ? kExitCancelled : kExitNothingToDo);
}

void SetupHandlers::Timer1_Timer() { platform_.app.EndProgram(); }

}  // namespace hdgr
