#pragma once
// The setup program as the end-to-end tests start it: a clean product state (no
// settings, no work folder), the program started, its window shown.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/form_design.h"
#include "tests/e2e/driver/e2e_process.h"
#include "tests/e2e/driver/e2e_screen.h"
#include "tests/e2e/driver/e2e_windows.h"

namespace hdgr::e2e {

inline constexpr wchar_t kSetupTitle[] = L"Halden Grid - Setup";
inline constexpr wchar_t kWorkFolder[] = L"c:\\hdgr_temp_setup";

std::wstring SetupProgramPath();
std::wstring CarrierPath();
std::vector<std::uint8_t> ReadWholeFile(const std::wstring& path);

// Removes what a run may leave: the product's settings, the work folder, a running demo
// installer and its start marker.
void ResetProductState();
bool ProductSettingsExist();
bool WorkFolderExists();
// The work folder as an earlier run leaves it: private, made the way the run makes it.
void MakePrivateWorkFolder();
// Whether this system opens the link at `path` itself when asked to (Windows does), or what
// it leads to (Wine does): only the first lets a link be moved aside as the link.
bool OpensLinksThemselves(const std::wstring& path);

// The carrier bitmap as displayed: column and row counted from the top-left corner.
class CarrierImage {
 public:
  CarrierImage();
  Rgb Pixel(int column, int row) const;

 private:
  std::vector<std::uint8_t> bytes_;
};

// The control of the design named `name`, item `index`, as the running window has it.
ControlInfo ControlOf(HWND window, std::string_view name, int index = kNoIndex);

class SetupWindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The control of the design named `name`, item `index`, as the running window has it.
  ControlInfo Control(std::string_view name, int index = kNoIndex) const;
  // Waits for the program to end; its exit code, or nothing after `timeout`.
  std::optional<DWORD> ExitCode(std::chrono::milliseconds timeout) const { return process_.WaitForExit(timeout); }

  Process process_;
  HWND window_ = nullptr;
};

}  // namespace hdgr::e2e
