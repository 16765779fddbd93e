#pragma once
// Decides install, upgrade or current, shows the mode on the window and returns it.

#include <string_view>

#include "installed/installed_copy.h"
#include "platform/controls.h"

namespace hdgr {

// Command1's caption in upgrade mode; the accept action finds "upgrade" in it.
inline constexpr std::string_view kAcceptUpgradeCaption = "Accept terms of upgrade";
inline constexpr std::string_view kReadyToInstallStatus = "Ready to install!";
inline constexpr std::string_view kYourVersionPrefix = "Your version: ";
inline constexpr std::string_view kVersionMessageTitle = "hdGR";
inline constexpr std::string_view kSettingsFoundMessage =
    "HdGR settings were found in your registry, but the program had either been uninstalled or "
    "its executable has been deleted.  You may install this copy.";
inline constexpr std::string_view kMostCurrentMessage = "You have the most current copy of hdGR.";

// What the check offers. The accept button shows it; the program keeps what the check
// returned, since any program on the desktop can change what a button shows.
enum class SetupMode { kInstall, kUpgrade, kCurrent };

SetupMode CheckInstalledVersion(ApplicationServices& app, SetupForm& form, const InstalledCopy& installed);

}  // namespace hdgr
