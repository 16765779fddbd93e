#pragma once
// The product's settings: the installed copy read at start-up, the version written by an install.

#include <string_view>

#include "installed/installed_copy.h"
#include "platform/application_services.h"

namespace hdgr {

inline constexpr std::string_view kSettingsApplication = "HaldenGrid";
inline constexpr std::string_view kSettingsSection = "applicationSettings";

void ReadInstalledCopy(ApplicationServices& app, InstalledCopy& installed);
void RecordInstalledVersion(ApplicationServices& app);

}  // namespace hdgr
