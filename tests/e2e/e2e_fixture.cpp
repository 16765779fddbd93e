#include "tests/e2e/e2e_fixture.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

#include "platform/win32/base/unique_handle.h"
#include "platform/win32/files/held_folder.h"
#include "setup_window/design.h"
#include "tests/e2e/driver/e2e_demo_installer.h"
#include "tests/wine/wine_host.h"

namespace hdgr::e2e {

namespace {

constexpr auto kStartTimeout = 60s;
constexpr int kCarrierWidth = 1000;
constexpr int kCarrierHeight = 2000;
constexpr std::size_t kPixelsAt = 54;
}  // namespace

std::wstring SetupProgramPath() { return HostPath(HDGR_SETUP_EXE); }
std::wstring CarrierPath() { return HostPath(HDGR_CARRIER_BMP); }

std::vector<std::uint8_t> ReadWholeFile(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read a file the tests need");
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void ResetProductState() {
  CloseDemoInstallers();
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\HaldenGrid");
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\HaldenGrid");
  // Through the host: a link a test put there goes as a link.
  wine_host::RemoveTree(kWorkFolder);
  std::error_code ignored;
  std::filesystem::remove(std::filesystem::path(DemoInstallerMarkerPath()), ignored);
}

bool ProductSettingsExist() {
  win32::RegistryKey key;
  return RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\HaldenGrid", 0, KEY_READ, key.Receive()) == ERROR_SUCCESS;
}

bool WorkFolderExists() { return GetFileAttributesW(kWorkFolder) != INVALID_FILE_ATTRIBUTES; }

void MakePrivateWorkFolder() { win32::MakePrivateFolder(kWorkFolder); }

bool OpensLinksThemselves(const std::wstring& path) {
  const win32::FileHandle opened(
      CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  return opened && GetFileInformationByHandle(opened.Get(), &info) &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

CarrierImage::CarrierImage() : bytes_(ReadWholeFile(CarrierPath())) {
  if (bytes_.size() != kPixelsAt + 3u * kCarrierWidth * kCarrierHeight)
    throw std::runtime_error("the carrier is not a 1000 x 2000 24-bit bitmap");
}

Rgb CarrierImage::Pixel(int column, int row) const {
  // Rows are stored bottom-up, three bytes a pixel, blue first.
  const std::size_t at = kPixelsAt + (static_cast<std::size_t>(kCarrierHeight - 1 - row) * kCarrierWidth +
                                      static_cast<std::size_t>(column)) * 3;
  return Rgb{bytes_.at(at + 2), bytes_.at(at + 1), bytes_.at(at)};
}

void SetupWindowTest::SetUp() {
  ResetProductState();
  process_ = Start(SetupProgramPath());
  window_ = WaitForWindow(kSetupTitle, kStartTimeout, process_.Id());
  ASSERT_NE(window_, nullptr) << "the setup window did not show";
  // The first paint has happened once the window answers and a moment has passed.
  SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10'000, nullptr);
  std::this_thread::sleep_for(500ms);
}

void SetupWindowTest::TearDown() {
  process_.Kill();
  ResetProductState();
}

ControlInfo ControlOf(HWND window, std::string_view name, int index) {
  const FormDesign& design = SetupWindowDesign();
  const ControlDesign* control = FindControl(design, name, index);
  if (control == nullptr) throw std::runtime_error("no " + std::string(name) + " in the design");
  return ControlWithId(window, ControlId(design, *control));
}

ControlInfo SetupWindowTest::Control(std::string_view name, int index) const {
  return ControlOf(window_, name, index);
}

}  // namespace hdgr::e2e
