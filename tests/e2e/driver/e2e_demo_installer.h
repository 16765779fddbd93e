#pragma once
// The demo payload's installer stand-in, which an install run starts, as the end-to-end
// tests and the accept benchmark meet it.

#include <string>

namespace hdgr::e2e {

inline constexpr wchar_t kDemoInstallerTitle[] = L"Halden Grid Installer (demo)";

// Closes every running stand-in (one that does not end within 10 s is killed): a running
// installer keeps its program file, and so the work folder, from being removed.
void CloseDemoInstallers();
// The file the stand-in writes in the temporary folder when it starts.
std::wstring DemoInstallerMarkerPath();

}  // namespace hdgr::e2e
