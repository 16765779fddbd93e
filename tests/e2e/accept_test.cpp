// Accept on the real program under Wine: the install run hands over to the installer,
// the upgrade run replaces the product's program whole, the guard at accept touches nothing.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwctype>
#include <optional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/base/wide_text.h"
#include "tests/e2e/driver/e2e_input.h"
#include "tests/e2e/driver/e2e_message_box.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/product_state.h"
#include "tests/e2e/signing_state.h"
#include "tests/wine/wine_host.h"

namespace hdgr::e2e {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kTimeout = 60s;
constexpr wchar_t kGoneFolder[] = L"c:\\no such folder";
constexpr wchar_t kRunningMessage[] =
    L"The utility is running?\r\r[Please close any and all instances of hdGR before attempting to run this setup]";

std::wstring InWorkFolder(const std::wstring& name) { return std::wstring(kWorkFolder) + L"\\" + name; }

std::vector<std::wstring> Sorted(std::vector<std::wstring> names) {
  std::sort(names.begin(), names.end());
  return names;
}

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

// When `path` first exists, or nothing after `timeout`.
std::optional<Clock::time_point> WaitForFile(const std::wstring& path, std::chrono::milliseconds timeout) {
  const auto until = Clock::now() + timeout;
  while (Clock::now() < until) {
    if (Exists(path)) return Clock::now();
    std::this_thread::sleep_for(5ms);
  }
  return std::nullopt;
}

// The files packed into the second program, which the build made from other files of
// the payload's lengths.
std::vector<std::uint8_t> OtherPayloadBytes(int segment) {
  std::string list = HDGR_OTHER_PAYLOAD_FILES;
  for (int skip = 0; skip < segment; ++skip) list.erase(0, list.find('|') + 1);
  return ReadWholeFile(HostPath(list.substr(0, list.find('|'))));
}

// Starts `program` in install mode, accepts, and waits for its installer and its end.
void AcceptInstallRun(Process& setup, const std::wstring& program) {
  setup = Start(program);
  HWND window = WaitForWindow(kSetupTitle, kTimeout, setup.Id(), kSetupFormClass);
  ASSERT_NE(window, nullptr);
  Click(ControlOf(window, "Command1").window);
  ASSERT_TRUE(WaitForFile(DemoInstallerMarkerPath(), kTimeout).has_value()) << "its installer did not start";
  EXPECT_EQ(setup.WaitForExit(10s), 0u);
}

double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

using AcceptTest = ProgramRunTest;

TEST_F(AcceptTest, InstallRunWritesExactlyTheThreeSetupFilesRecordsTheVersionAndHandsOver) {
  StoreInstalledCopy(kGoneFolder, L"2", L"0", L"0");
  StartThroughMessage(L"hdGR",
                      L"HdGR settings were found in your registry, but the program had either been uninstalled or "
                      L"its executable has been deleted.  You may install this copy.",
                      BoxIcon::kInformation);
  HWND window = WaitForWindow(kSetupTitle, kTimeout, setup_.Id(), kSetupFormClass);
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(ControlOf(window, "Command1").caption, L"Accept terms of install");

  const auto clicked = Clock::now();
  Click(ControlOf(window, "Command1").window);
  const auto started = WaitForFile(DemoInstallerMarkerPath(), kTimeout);
  ASSERT_TRUE(started.has_value()) << "the installer did not start";
  const auto code = setup_.WaitForExit(10s);
  const auto ended = Clock::now();
  ASSERT_TRUE(code.has_value()) << "the setup program did not end after the installer started";
  EXPECT_EQ(*code, 0u);
  // The timer's one second runs from the installer's start; the marker is seen a little after it.
  EXPECT_GE(Seconds(ended - clicked), 1.0);
  EXPECT_LT(Seconds(ended - *started), 4.0);
  std::printf("click to installer started %.2f s, to the setup's end %.2f s\n", Seconds(*started - clicked),
              Seconds(ended - clicked));

  EXPECT_EQ(FolderEntries(kWorkFolder), Sorted({L"Setup.exe", L"HaldenGrid.CAB", L"Setup.LST"}))
      << "no setup_image.bmp, no file written beside its place";
  for (int segment = 0; segment < 3; ++segment) {
    SCOPED_TRACE(win32::Utf8(PayloadName(segment)));
    EXPECT_TRUE(ReadWholeFile(InWorkFolder(PayloadName(segment))) == PayloadBytes(segment));
  }
  EXPECT_EQ(ReadInstalledCopy(), (StoredCopy{kGoneFolder, L"3", L"4", L"0"}));

  // The installer runs on, started from the work folder.
  EXPECT_NE(WaitForWindow(kDemoInstallerTitle, 10s), nullptr);
  const std::vector<std::uint8_t> marker = ReadWholeFile(DemoInstallerMarkerPath());
  const std::wstring noted = Lower(win32::Wide(std::string(marker.begin(), marker.end())));
  EXPECT_NE(noted.find(L"path=c:\\hdgr_temp_setup\\setup.exe\r\n"), std::wstring::npos) << win32::Utf8(noted);
}

// Leftovers at the setup paths are replaced whole, whatever their attributes and
// lengths; files that are not the package's stay as they were, a name that only looks
// like one of ours included.
TEST_F(AcceptTest, InstallRunReplacesLeftoversWholeAndLeavesOtherFilesAlone) {
  MakePrivateWorkFolder();
  const std::vector<std::uint8_t> longer(PayloadBytes(1).size() + 100'000, 0x5A);
  WriteWholeFile(InWorkFolder(L"HaldenGrid.CAB"), longer);
  SetFileAttributesW(InWorkFolder(L"HaldenGrid.CAB").c_str(), FILE_ATTRIBUTE_HIDDEN);
  WriteWholeFile(InWorkFolder(L"Setup.exe"), std::vector<std::uint8_t>(10, 0x01));
  WriteWholeFile(InWorkFolder(L"Setup.LST.new"), std::vector<std::uint8_t>(20, 0x02));
  WriteWholeFile(InWorkFolder(L"setup_image.bmp"), std::vector<std::uint8_t>(30, 0x03));
  const std::vector<std::uint8_t> notes{'k', 'e', 'e', 'p'};
  WriteWholeFile(InWorkFolder(L"notes.txt"), notes);

  HWND window = StartToWindow();
  ASSERT_NE(window, nullptr);
  Click(ControlOf(window, "Command1").window);
  ASSERT_TRUE(WaitForFile(DemoInstallerMarkerPath(), kTimeout).has_value());
  EXPECT_EQ(setup_.WaitForExit(10s), 0u);

  EXPECT_EQ(FolderEntries(kWorkFolder),
            Sorted({L"Setup.exe", L"HaldenGrid.CAB", L"Setup.LST", L"Setup.LST.new", L"notes.txt"}));
  for (int segment = 0; segment < 3; ++segment) {
    SCOPED_TRACE(win32::Utf8(PayloadName(segment)));
    EXPECT_TRUE(ReadWholeFile(InWorkFolder(PayloadName(segment))) == PayloadBytes(segment));
  }
  EXPECT_EQ(ReadWholeFile(InWorkFolder(L"notes.txt")), notes);
  EXPECT_EQ(ReadWholeFile(InWorkFolder(L"Setup.LST.new")), std::vector<std::uint8_t>(20, 0x02));
}

// The old program is longer than the new one: overwriting it in place would leave its tail.
// In the usual folder and in one whose path is past MAX_PATH, as the product's installer may
// choose: the system's final path of the folder is read whatever its length.
TEST_F(AcceptTest, UpgradeRunReplacesTheProgramWholeAndChangesNothingElse) {
  const std::wstring deep_base = L"c:\\hdgr e2e deep";
  std::wstring deep = deep_base;
  while (deep.size() < 310) deep += L"\\" + std::wstring(40, static_cast<wchar_t>(L'a' + deep.size() % 26));
  for (const std::wstring& path : {std::wstring(), deep}) {
    SCOPED_TRACE(path.size());
    Reset();
    // The C library's folder functions stop short of MAX_PATH: the system's make the deep one.
    const auto folder = path.empty() ? std::make_unique<ProductFolder>() : nullptr;
    if (!path.empty()) {
      for (std::size_t slash = path.find(L'\\', 3); slash != std::wstring::npos; slash = path.find(L'\\', slash + 1))
        CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
      ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
    }
    const std::wstring folder_path = folder ? folder->Path() : path;
    const std::wstring program_path = folder_path + L"\\HaldenGrid.exe";
    WriteWholeFile(program_path, std::vector<std::uint8_t>(PayloadBytes(3).size() + 200'000, 0x5A));
    const std::vector<std::uint8_t> data{'d', 'a', 't', 'a'};
    WriteWholeFile(folder_path + L"\\grid.dat", data);
    StoreInstalledCopy(folder_path, L"3", L"3", L"9");
    HWND window = StartToWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(ControlOf(window, "Command1").caption, L"Accept terms of upgrade");

    Click(ControlOf(window, "Command1").window);
    const auto box = WaitForMessageBox(L"Halden Grid", kTimeout, setup_.Id());
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, L"Upgrade complete");
    EXPECT_EQ(box->icon, BoxIcon::kInformation);
    // Before OK: the work is done and nothing else happened.
    EXPECT_TRUE(ReadWholeFile(program_path) == PayloadBytes(3));
    EXPECT_EQ(FolderEntries(folder_path), Sorted({L"HaldenGrid.exe", L"grid.dat"}));
    EXPECT_EQ(ReadWholeFile(folder_path + L"\\grid.dat"), data);
    EXPECT_TRUE(WorkFolderExists());
    EXPECT_EQ(FolderEntries(kWorkFolder), std::vector<std::wstring>{}) << "no setup file, no saved carrier";
    EXPECT_EQ(ReadInstalledCopy(), (StoredCopy{folder_path, L"3", L"3", L"9"}));
    EXPECT_EQ(ControlOf(window, "Label1").caption, L"Progress");
    EXPECT_FALSE(Exists(DemoInstallerMarkerPath())) << "an upgrade starts no installer";

    PressOk(box->window);
    EXPECT_EQ(setup_.WaitForExit(10s), 0u);
  }
  wine_host::RemoveTree(deep_base);  // the C library's removal stops short of MAX_PATH
}

// The product opens while the window waits: accept stops at the guard, with its status
// line already changed, and writes nothing.
TEST_F(AcceptTest, AcceptWhileTheProductRunsShowsTheRunningMessageAndTouchesNothing) {
  const ProductFolder folder;
  WriteWholeFile(folder.ProgramPath(), PayloadBytes(0));  // any old program
  StoreInstalledCopy(folder.Path(), L"3", L"3", L"9");
  HWND window = StartToWindow();
  ASSERT_NE(window, nullptr);
  HWND product_window = nullptr;
  product_ = StartDemoProduct(&product_window);
  SetWindowPos(product_window, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
  std::this_thread::sleep_for(300ms);

  Click(ControlOf(window, "Command1").window);
  const auto box = WaitForMessageBox(L"Halden Grid", kTimeout, setup_.Id());
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text, kRunningMessage);
  EXPECT_EQ(box->icon, BoxIcon::kError);
  EXPECT_EQ(ControlOf(window, "Label5").caption, L"Extracting...");
  PressOk(box->window);
  EXPECT_EQ(setup_.WaitForExit(10s), 2u);

  EXPECT_FALSE(WorkFolderExists());
  EXPECT_TRUE(ReadWholeFile(folder.ProgramPath()) == PayloadBytes(0));
  EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::wstring>{L"HaldenGrid.exe"});
  EXPECT_EQ(ReadInstalledCopy(), (StoredCopy{folder.Path(), L"3", L"3", L"9"}));
  RECT rect{};
  GetWindowRect(product_window, &rect);
  const POINT centred = CentredOnScreen(rect);
  EXPECT_EQ(rect.left, centred.x);
  EXPECT_EQ(rect.top, centred.y);
}

// What the program extracts is what its build packed: a package built from other files
// of the same lengths writes those, verified against their own digests.
TEST_F(AcceptTest, APackageBuiltFromOtherFilesExtractsThoseFiles) {
  const std::wstring other_program = HostPath(HDGR_OTHER_SETUP_EXE);
  ASSERT_FALSE(OtherPayloadBytes(1) == PayloadBytes(1)) << "the second package holds the demo payload";
  ASSERT_NO_FATAL_FAILURE(AcceptInstallRun(setup_, other_program));
  for (int segment = 0; segment < 3; ++segment) {
    SCOPED_TRACE(win32::Utf8(PayloadName(segment)));
    EXPECT_TRUE(ReadWholeFile(InWorkFolder(PayloadName(segment))) == OtherPayloadBytes(segment));
  }

  ResetProductState();  // the running installer holds its Setup.exe
  const ProductFolder folder;
  WriteWholeFile(folder.ProgramPath(), PayloadBytes(3));
  StoreInstalledCopy(folder.Path(), L"3", L"3", L"9");
  setup_ = Start(other_program);
  HWND window = WaitForWindow(kSetupTitle, kTimeout, setup_.Id(), kSetupFormClass);
  ASSERT_NE(window, nullptr);
  Click(ControlOf(window, "Command1").window);
  const auto box = WaitForMessageBox(L"Halden Grid", kTimeout, setup_.Id());
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text, L"Upgrade complete");
  EXPECT_TRUE(ReadWholeFile(folder.ProgramPath()) == OtherPayloadBytes(3));
  PressOk(box->window);
  EXPECT_EQ(setup_.WaitForExit(10s), 0u);
}

// Signed on Linux, the package still passes its integrity check: the signature lies after
// the image, the packed files are untouched.
TEST_F(AcceptTest, ASignedPackageInstallsTheFilesItCarries) {
  const std::wstring signed_program = HostPath(HDGR_SIGNED_SETUP_EXE);
  ASSERT_GT(CertificateTableSize(ReadWholeFile(signed_program)), 0u) << "the package is not signed";
  ASSERT_NO_FATAL_FAILURE(AcceptInstallRun(setup_, signed_program));
  for (int segment = 0; segment < 3; ++segment) {
    SCOPED_TRACE(win32::Utf8(PayloadName(segment)));
    EXPECT_TRUE(ReadWholeFile(InWorkFolder(PayloadName(segment))) == PayloadBytes(segment));
  }
}

}  // namespace
}  // namespace hdgr::e2e
