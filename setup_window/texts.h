#pragma once
// The setup window's fixed texts that the guard and the handlers show.

#include <string_view>

namespace hdgr {

// The product's main window, found by its exact title.
inline constexpr std::string_view kProductWindowTitle = "Halden Grid - Main Window";

inline constexpr std::string_view kProductMessageTitle = "Halden Grid";
// Two bare carriage returns: the message box breaks the line at each.
inline constexpr std::string_view kProductRunningMessage =
    "The utility is running?\r\r"
    "[Please close any and all instances of hdGR before attempting to run this setup]";

inline constexpr std::string_view kExtractingStatus = "Extracting...";
inline constexpr std::string_view kExtractingSetupFiles = "Extracting setup files";
// Found anywhere in the accept button's caption, in any letter case, it chooses the upgrade run.
inline constexpr std::string_view kUpgradeWord = "upgrade";

inline constexpr std::string_view kLaunchFailedMessage = "Could not launch the setup.";
inline constexpr std::string_view kLaunchFailedTitle = "hdGR Setup Extraction process";
inline constexpr std::string_view kUpgradeCompleteMessage = "Upgrade complete";

// What the system shows while the run keeps the session from ending.
inline constexpr std::string_view kSessionKeptOpenReason = "Halden Grid setup is writing the program's files.";

// The system's accounts (which management tools start programs as by default) have no
// user's settings.
inline constexpr std::string_view kServiceAccountMessage =
    "Halden Grid setup was started as a system account, which has no user's settings: it would install "
    "for nobody. Start it as the user who uses Halden Grid (in a management tool: in the user's context).";

// A second copy started while one runs would work in the same folders.
inline constexpr std::string_view kAnotherSetupRunningMessage =
    "Another Halden Grid setup is running. Let it finish, then start this one again.";

}  // namespace hdgr
