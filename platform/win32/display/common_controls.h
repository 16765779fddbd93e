#pragma once
// The common controls, loaded from System32 once the DLL search is restricted. A static
// import would be resolved before the program's first line, from the program's own folder
// first (a downloads folder, where anybody may have planted a comctl32.dll or a uxtheme.dll
// it pulls in).

namespace hdgr::win32 {

// Loads comctl32 (version 6, through the manifest) and registers the progress bar and the
// standard classes. Stays loaded for the process: the controls' window procedures live in
// it. A failure is a run-time error naming the library.
void LoadCommonControls();

}  // namespace hdgr::win32
