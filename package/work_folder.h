#pragma once
// The fixed paths of the work folder.

#include <string_view>

namespace hdgr {

inline constexpr std::string_view kDriveRoot = "c:\\";
inline constexpr std::string_view kWorkFolder = "c:\\hdgr_temp_setup";
inline constexpr std::string_view kSavedCarrierPath = "c:\\hdgr_temp_setup\\setup_image.bmp";
inline constexpr std::string_view kInstallerPath = "c:\\hdgr_temp_setup\\Setup.exe";

}  // namespace hdgr
