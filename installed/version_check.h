#pragma once
// Decides install, upgrade or current, and leaves the mode on the window.

#include "installed/module1.h"
#include "platform/controls.h"

namespace hdgr {

void CheckInstalledVersion(ApplicationServices& app, SetupForm& form, const Module1& module1);

}  // namespace hdgr
