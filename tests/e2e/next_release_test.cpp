// The next releases (tests/e2e/next_release.cmake), packages built from folders of files of
// other lengths and another version, against an oracle that knows nothing of the program's
// table: what the files and the version say the carrier, the window, the version resource,
// the install run, the upgrade run and the progress bar's end must be.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <span>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/base/wide_text.h"
#include "tests/e2e/driver/e2e_input.h"
#include "tests/e2e/driver/e2e_message_box.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/product_state.h"
#include "tests/wine/wine_host.h"

namespace hdgr::e2e {
namespace {

using namespace std::chrono_literals;
constexpr auto kTimeout = 60s;
constexpr std::array<const wchar_t*, 4> kNames{L"Setup.exe", L"HaldenGrid.CAB", L"Setup.LST", L"HaldenGrid.exe"};
constexpr double kBarPositions = 100'000'000;  // the bar control's range, which Max maps onto

struct Release {
  const char* name;
  const char* program;
  const char* payload;  // the four files, "|" between them
  std::array<int, 3> version;
  std::wstring version_text;  // FileVersion: major.minor, the minor with two digits at least
};

const Release kReleases[] = {
    {"small", HDGR_NEXT_SMALL_EXE, HDGR_NEXT_SMALL_PAYLOAD, {3, 5, 0}, L"3.05"},
    {"tall", HDGR_NEXT_TALL_EXE, HDGR_NEXT_TALL_PAYLOAD, {3, 10, 0}, L"3.10"},
};

// What the files say, computed here from their bytes alone.
struct Oracle {
  explicit Oracle(const Release& release) {
    std::stringstream list(release.payload);
    std::size_t i = 0;
    for (std::string path; std::getline(list, path, '|');) files.at(i++) = ReadWholeFile(HostPath(path));
    for (std::size_t k = 0; k < 3; ++k) install += static_cast<std::int64_t>(files[k].size());
    payload = install + static_cast<std::int64_t>(files[3].size());
    rows = std::max<std::int64_t>(2000, (payload + 10 + 2999) / 3000);
    carrier_length = 54 + rows * 3000;
  }
  // File k's byte j (0-based) lies at carrier index L - 10 - (bytes of the files before k) - j - 1.
  std::int64_t FirstByteIndex(std::size_t k) const {
    std::int64_t before = 0;
    for (std::size_t i = 0; i < k; ++i) before += static_cast<std::int64_t>(files[i].size());
    return carrier_length - 10 - before - 1;
  }
  // The bar at a run's end: its last progress point's Value against Max, both single
  // precision, where the install run's points fall at every 100th byte of the run and the
  // upgrade run's at every 10th of the file, each Value being the count / 100.
  static int BarEnd(std::int64_t bytes, std::int64_t every) {
    const float max = static_cast<float>(static_cast<double>(bytes) / 100.0);
    const float value = static_cast<float>(static_cast<double>(bytes / every * every) / 100.0);
    if (!(value > 0)) return 0;
    if (value >= max) return static_cast<int>(kBarPositions);
    return static_cast<int>(std::lround(static_cast<double>(value) / max * kBarPositions));
  }

  std::array<std::vector<std::uint8_t>, 4> files;
  std::int64_t install = 0;
  std::int64_t payload = 0;
  std::int64_t rows = 0;
  std::int64_t carrier_length = 0;
};

std::uint32_t Le32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::wstring Digits(int number) { return std::to_wstring(number); }

// The bar's position once the run's last Value, which close all posts to it, has been
// handled: a message sent to the window is answered before one posted earlier.
int SettledBarPosition(HWND window, int expected) {
  const HWND bar = ControlOf(window, "ProgressBar1").window;
  int position = static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0));
  for (int i = 0; i < 50 && position != expected; ++i) {
    std::this_thread::sleep_for(10ms);
    position = static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0));
  }
  return position;
}

class NextReleaseTest : public ProgramRunTest, public ::testing::WithParamInterface<Release> {
 protected:
  std::wstring Program() const { return HostPath(GetParam().program); }
  std::wstring InWork(std::size_t k) const { return std::wstring(kWorkFolder) + L"\\" + kNames[k]; }
};

// The program file: its name, its version resource and its carrier, as the files say.
TEST_P(NextReleaseTest, TheProgramCarriesItsFilesVersionAndName) {
  const Release& release = GetParam();
  const Oracle oracle(release);
  const std::wstring program = Program();
  const auto [major, minor, revision] = release.version;
  EXPECT_EQ(program.substr(program.rfind(L'\\') + 1), L"hdGR_" + Digits(major) + L"_" + Digits(minor) + L"_Setup.exe");

  const DWORD size = GetFileVersionInfoSizeW(program.c_str(), nullptr);
  std::vector<std::uint8_t> info(size);
  ASSERT_TRUE(size != 0 && GetFileVersionInfoW(program.c_str(), 0, size, info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(minor, major)));
  EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, revision)));
  for (const wchar_t* name : {L"FileVersion", L"ProductVersion"}) {
    void* value = nullptr;
    ASSERT_TRUE(VerQueryValueW(info.data(), (std::wstring(L"\\StringFileInfo\\040904B0\\") + name).c_str(), &value,
                               &length));
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(value)), release.version_text) << win32::Utf8(name);
  }

  const HMODULE module =
      LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(module, nullptr);
  const HRSRC found = FindResourceW(module, L"CARRIER", MAKEINTRESOURCEW(10));  // RT_RCDATA
  ASSERT_NE(found, nullptr);
  const std::span<const std::uint8_t> carrier(static_cast<const std::uint8_t*>(LockResource(LoadResource(module, found))),
                                              SizeofResource(module, found));
  EXPECT_EQ(static_cast<std::int64_t>(carrier.size()), oracle.carrier_length);
  ASSERT_GE(static_cast<std::int64_t>(carrier.size()), oracle.payload + 64);
  EXPECT_EQ(Le32(carrier, 2), oracle.carrier_length) << "file size";
  EXPECT_EQ(Le32(carrier, 18), 1000u) << "width";
  EXPECT_EQ(Le32(carrier, 22), oracle.rows) << "height";
  EXPECT_EQ(Le32(carrier, 34), oracle.rows * 3000) << "image size";
  for (std::size_t k = 0; k < 4; ++k) {
    const std::int64_t first = oracle.FirstByteIndex(k);
    bool reversed = true;
    for (std::size_t j = 0; j < oracle.files[k].size() && reversed; ++j)
      reversed = carrier[static_cast<std::size_t>(first - static_cast<std::int64_t>(j))] == oracle.files[k][j];
    EXPECT_TRUE(reversed) << win32::Utf8(kNames[k]) << " does not lie reversed at " << first;
  }
  FreeLibrary(module);
}

// An install from nothing: the window shows the version, the three files are the release's,
// the version recorded is the package's, the installer starts, and the bar ends where the
// install run's progress rule puts it for these lengths.
TEST_P(NextReleaseTest, InstallRunWritesTheReleasesFilesAndRecordsItsVersion) {
  const Release& release = GetParam();
  const Oracle oracle(release);
  setup_ = Start(Program());
  HWND window = WaitForWindow(kSetupTitle, kTimeout, setup_.Id(), kSetupFormClass);
  ASSERT_NE(window, nullptr);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ControlOf(window, "Label3", i).caption, Digits(release.version[i]));
  // A part of two digits keeps clear of the dot after it.
  EXPECT_LE(ControlOf(window, "Label3", 1).rect.left, ControlOf(window, "Label4", 1).rect.left);
  EXPECT_LE(ControlOf(window, "Label3", 1).rect.right, ControlOf(window, "Label3", 2).rect.left);
  EXPECT_LE(ControlOf(window, "Label3", 2).rect.right, ControlOf(window, "Label2", 1).rect.left);

  Click(ControlOf(window, "Command1").window);
  const auto until = std::chrono::steady_clock::now() + kTimeout;
  while (!Exists(DemoInstallerMarkerPath()) && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(10ms);
  ASSERT_TRUE(Exists(DemoInstallerMarkerPath())) << "the installer did not start";
  const int install_end = Oracle::BarEnd(oracle.install, 100);
  EXPECT_EQ(SettledBarPosition(window, install_end), install_end);
  EXPECT_EQ(setup_.WaitForExit(10s), 0u);

  for (std::size_t k = 0; k < 3; ++k) EXPECT_TRUE(ReadWholeFile(InWork(k)) == oracle.files[k]) << win32::Utf8(kNames[k]);
  EXPECT_EQ(ReadInstalledCopy(), (StoredCopy{std::nullopt, Digits(release.version[0]), Digits(release.version[1]),
                                             Digits(release.version[2])}));
}

// 3.4.0 installed: the release offers the upgrade, replaces the program with its own and
// leaves the settings; the bar ends where the upgrade run's rule puts it for its length.
TEST_P(NextReleaseTest, UpgradeRunReplacesTheProgramWithTheReleases) {
  const Release& release = GetParam();
  const Oracle oracle(release);
  const ProductFolder folder;
  WriteWholeFile(folder.ProgramPath(), std::vector<std::uint8_t>(oracle.files[3].size() + 4096, 0x5A));
  StoreInstalledCopy(folder.Path(), L"3", L"4", L"0");
  setup_ = Start(Program());
  HWND window = WaitForWindow(kSetupTitle, kTimeout, setup_.Id(), kSetupFormClass);
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(ControlOf(window, "Command1").caption, L"Accept terms of upgrade");
  EXPECT_EQ(ControlOf(window, "Label5").caption, L"Your version: 3.4.0");

  Click(ControlOf(window, "Command1").window);
  const auto box = WaitForMessageBox(L"Halden Grid", kTimeout, setup_.Id());
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text, L"Upgrade complete");
  EXPECT_TRUE(ReadWholeFile(folder.ProgramPath()) == oracle.files[3]);
  EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::wstring>{L"HaldenGrid.exe"});
  const int upgrade_end = Oracle::BarEnd(static_cast<std::int64_t>(oracle.files[3].size()), 10);
  EXPECT_EQ(SettledBarPosition(window, upgrade_end), upgrade_end);
  EXPECT_EQ(ReadInstalledCopy(), (StoredCopy{folder.Path(), L"3", L"4", L"0"}));
  PressOk(box->window);
  EXPECT_EQ(setup_.WaitForExit(10s), 0u);

  // Installed as the release itself: nothing to do.
  StoreInstalledCopy(folder.Path(), Digits(release.version[0]), Digits(release.version[1]), Digits(release.version[2]));
  setup_ = Start(Program(), L"/quiet");
  EXPECT_EQ(setup_.WaitForExit(kTimeout), 3u);
}

INSTANTIATE_TEST_SUITE_P(Releases, NextReleaseTest, ::testing::ValuesIn(kReleases),
                         [](const ::testing::TestParamInfo<Release>& given) { return std::string(given.param.name); });

}  // namespace
}  // namespace hdgr::e2e
