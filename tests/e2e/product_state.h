#pragma once
// What the end-to-end tests of start-up and accept set up around the setup program: the
// product's settings, an installed product folder, the demo product's running window and
// the installer stand-in's start marker.

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/driver/e2e_demo_installer.h"
#include "tests/e2e/driver/e2e_message_box.h"
#include "tests/e2e/driver/e2e_process.h"

namespace hdgr::e2e {

inline constexpr wchar_t kProductWindowTitle[] = L"Halden Grid - Main Window";
inline constexpr wchar_t kSetupFormClass[] = L"HdgrForm";

void StoreSetting(const wchar_t* name, const std::wstring& value);
// The stored text, or nothing when the value is missing.
std::optional<std::wstring> ReadSetting(const wchar_t* name);
// app_path, app_Major, app_Minor and app_Revision.
void StoreInstalledCopy(const std::wstring& folder, const std::wstring& major, const std::wstring& minor,
                        const std::wstring& revision);
struct StoredCopy {
  std::optional<std::wstring> path, major, minor, revision;
  friend bool operator==(const StoredCopy&, const StoredCopy&) = default;
};
StoredCopy ReadInstalledCopy();

// The packed file of segment `segment` (0 Setup.exe ... 3 HaldenGrid.exe), as the build packed it.
const std::vector<std::uint8_t>& PayloadBytes(int segment);
std::wstring PayloadName(int segment);
void WriteWholeFile(const std::wstring& path, const std::vector<std::uint8_t>& bytes);
// The names of the plain files and folders in `folder`, sorted.
std::vector<std::wstring> FolderEntries(const std::wstring& folder);
bool Exists(const std::wstring& path);

// An installed product's folder on drive C, removed again by the destructor.
class ProductFolder {
 public:
  ProductFolder();
  explicit ProductFolder(std::wstring path);
  ProductFolder(const ProductFolder&) = delete;
  ProductFolder& operator=(const ProductFolder&) = delete;
  ~ProductFolder();
  const std::wstring& Path() const { return path_; }
  std::wstring ProgramPath() const { return path_ + L"\\HaldenGrid.exe"; }

 private:
  std::wstring path_;
};


// The demo product, started and shown; Kill ends it.
Process StartDemoProduct(HWND* window);

// Where the setup program centres a window of `rect`'s size on this screen: half the
// screen less half the size, rounded half to even.
POINT CentredOnScreen(const RECT& rect);

// A message box titled `title` of `process`, watched for a setup window of the same
// process showing first; `window_shown` tells whether one did.
std::optional<MessageBoxInfo> WaitForBoxBeforeAnyWindow(const std::wstring& title, const Process& process,
                                                         bool* window_shown,
                                                         std::chrono::milliseconds timeout = std::chrono::seconds(60));

// A run of the setup program from a clean product state; the programs it started and
// the demo product are ended afterwards.
class ProgramRunTest : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }
  void Reset();

  // Starts the program and waits for its window, painted.
  HWND StartToWindow();
  // Starts the program, expects `message` in a box titled `title` before any window, presses OK.
  void StartThroughMessage(const std::wstring& title, const std::wstring& message, BoxIcon icon);

  Process setup_;
  Process product_;
};

}  // namespace hdgr::e2e
