#pragma once
// The fixed paths of the work folder and the product's program file.

#include <string_view>

namespace hdgr {

inline constexpr std::string_view kDriveRoot = "c:\\";
inline constexpr std::string_view kWorkFolder = "c:\\hdgr_temp_setup";
inline constexpr std::string_view kSavedCarrierPath = "c:\\hdgr_temp_setup\\setup_image.bmp";
inline constexpr std::string_view kInstallerPath = "c:\\hdgr_temp_setup\\Setup.exe";
// Appended to the installed folder as stored.
inline constexpr std::string_view kProgramFileSuffix = "\\HaldenGrid.exe";

}  // namespace hdgr
