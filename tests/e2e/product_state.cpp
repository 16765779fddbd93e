#include "tests/e2e/product_state.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "platform/win32/base/unique_handle.h"
#include "platform/win32/base/wide_text.h"
#include "tests/e2e/driver/e2e_windows.h"
#include "tests/e2e/e2e_fixture.h"

namespace hdgr::e2e {

namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\HaldenGrid\\applicationSettings";
// A blank and a letter outside ASCII: the stored folder travels as wide text.
constexpr wchar_t kProductFolder[] = L"c:\\hdgr e2e product \u00e9";

std::vector<std::string> SplitList(const std::string& list) {
  std::vector<std::string> items;
  std::stringstream in(list);
  for (std::string item; std::getline(in, item, '|');) items.push_back(item);
  return items;
}

}  // namespace

void StoreSetting(const wchar_t* name, const std::wstring& value) {
  win32::RegistryKey key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, key.Receive(), nullptr) !=
      ERROR_SUCCESS)
    throw std::runtime_error("cannot create the settings key");
  if (RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
    throw std::runtime_error("cannot store a setting");
}

std::optional<std::wstring> ReadSetting(const wchar_t* name) {
  win32::RegistryKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return std::nullopt;
  std::array<wchar_t, 1024> value{};
  DWORD size = sizeof value - sizeof(wchar_t);
  DWORD type = 0;
  if (RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ)
    return std::nullopt;
  std::wstring text(value.data(), size / sizeof(wchar_t));
  while (!text.empty() && text.back() == L'\0') text.pop_back();
  return text;
}

void StoreInstalledCopy(const std::wstring& folder, const std::wstring& major, const std::wstring& minor,
                        const std::wstring& revision) {
  StoreSetting(L"app_path", folder);
  StoreSetting(L"app_Major", major);
  StoreSetting(L"app_Minor", minor);
  StoreSetting(L"app_Revision", revision);
}

StoredCopy ReadInstalledCopy() {
  return StoredCopy{ReadSetting(L"app_path"), ReadSetting(L"app_Major"), ReadSetting(L"app_Minor"),
                    ReadSetting(L"app_Revision")};
}

const std::vector<std::uint8_t>& PayloadBytes(int segment) {
  static const std::vector<std::vector<std::uint8_t>> payload = [] {
    std::vector<std::vector<std::uint8_t>> files;
    for (const std::string& path : SplitList(HDGR_PAYLOAD_FILES)) files.push_back(ReadWholeFile(HostPath(path)));
    if (files.size() != 4) throw std::runtime_error("HDGR_PAYLOAD_FILES does not name four files");
    return files;
  }();
  return payload.at(static_cast<std::size_t>(segment));
}

std::wstring PayloadName(int segment) {
  static constexpr std::array<const wchar_t*, 4> kNames{L"Setup.exe", L"HaldenGrid.CAB", L"Setup.LST",
                                                        L"HaldenGrid.exe"};
  return kNames.at(static_cast<std::size_t>(segment));
}

void WriteWholeFile(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write a file the tests need");
}

std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
  // The system's listing, not the C library's, which lists another folder past MAX_PATH.
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry{};
  const bool separated = !folder.empty() && (folder.back() == L'\\' || folder.back() == L'/');
  const win32::FindHandle find(FindFirstFileW((folder + (separated ? L"*" : L"\\*")).c_str(), &entry));
  if (!find) return names;
  do {
    const std::wstring name = entry.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find.Get(), &entry));
  std::sort(names.begin(), names.end());
  return names;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

ProductFolder::ProductFolder() : ProductFolder(kProductFolder) {}

ProductFolder::ProductFolder(std::wstring path) : path_(std::move(path)) {
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(path_), ignored);
  std::filesystem::create_directories(std::filesystem::path(path_));
}

ProductFolder::~ProductFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(path_), ignored);
}

Process StartDemoProduct(HWND* window) {
  Process product = Start(HostPath(HDGR_DEMO_PRODUCT_EXE));
  *window = WaitForWindow(kProductWindowTitle, 60s, product.Id());
  if (*window == nullptr) throw std::runtime_error("the demo product's window did not show");
  return product;
}

POINT CentredOnScreen(const RECT& rect) {
  const double width = rect.right - rect.left;
  const double height = rect.bottom - rect.top;
  // The default rounding of nearbyint is to nearest, halves to even.
  return POINT{static_cast<LONG>(std::nearbyint(GetSystemMetrics(SM_CXSCREEN) * 0.5 - width * 0.5)),
               static_cast<LONG>(std::nearbyint(GetSystemMetrics(SM_CYSCREEN) * 0.5 - height * 0.5))};
}

std::optional<MessageBoxInfo> WaitForBoxBeforeAnyWindow(const std::wstring& title, const Process& process,
                                                         bool* window_shown, std::chrono::milliseconds timeout) {
  *window_shown = false;
  const auto until = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < until) {
    if (WaitForWindow(kSetupTitle, 0ms, process.Id(), kSetupFormClass) != nullptr) *window_shown = true;
    if (auto box = WaitForMessageBox(title, 0ms, process.Id())) return box;
    if (!process.Running()) return std::nullopt;
    std::this_thread::sleep_for(10ms);
  }
  return std::nullopt;
}

void ProgramRunTest::Reset() {
  setup_.Kill();
  product_.Kill();
  ResetProductState();
  DeleteFileW(DemoInstallerMarkerPath().c_str());
}

HWND ProgramRunTest::StartToWindow() {
  setup_ = Start(SetupProgramPath());
  HWND window = WaitForWindow(kSetupTitle, 60s, setup_.Id(), kSetupFormClass);
  if (window == nullptr) return nullptr;
  // The first paint has happened once the window answers and a moment has passed.
  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10'000, nullptr);
  std::this_thread::sleep_for(500ms);
  return window;
}

void ProgramRunTest::StartThroughMessage(const std::wstring& title, const std::wstring& message, BoxIcon icon) {
  setup_ = Start(SetupProgramPath());
  bool window_shown = false;
  const auto box = WaitForBoxBeforeAnyWindow(title, setup_, &window_shown);
  ASSERT_TRUE(box.has_value()) << "no message titled " << win32::Utf8(title);
  EXPECT_FALSE(window_shown) << "the window showed before the message";
  EXPECT_EQ(box->text, message);
  EXPECT_EQ(box->icon, icon);
  PressOk(box->window);
}

}  // namespace hdgr::e2e
