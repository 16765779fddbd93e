#pragma once
// The fixed paths of the work folder.

#include <string_view>

namespace hdgr {

inline constexpr std::string_view kDriveRoot = "c:\\";
inline constexpr std::string_view kWorkFolder = "c:\\hdgr_temp_setup";
inline constexpr std::string_view kSavedCarrierPath = "c:\\hdgr_temp_setup\\setup_image.bmp";
inline constexpr std::string_view kInstallerPath = "c:\\hdgr_temp_setup\\Setup.exe";
// The title of the box that says where a folder others could change was moved.
inline constexpr std::string_view kWorkFolderMessageTitle = "Halden Grid setup";

}  // namespace hdgr
