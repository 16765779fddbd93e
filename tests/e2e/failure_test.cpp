// What an unlucky user meets: a full disk, a setup killed half-way, a program file that
// is read-only or in use. A clear error where there is one, and nothing lost: the
// product's program is always the old one or the new one, whole.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/base/unique_handle.h"
#include "platform/win32/base/wide_text.h"
#include "tests/e2e/driver/e2e_demo_installer.h"
#include "tests/e2e/driver/e2e_input.h"
#include "tests/e2e/driver/e2e_message_box.h"
#include "tests/e2e/driver/e2e_windows.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/product_state.h"
#include "tests/wine/wine_host.h"

namespace hdgr::e2e {
namespace {

constexpr auto kTimeout = 60s;
const std::vector<std::uint8_t> kOldProgram(100'000, 0x5A);

class FailureTest : public ProgramRunTest {
 protected:
  // An installed product whose version is older than the package's, started to its window.
  HWND StartUpgrade(const ProductFolder& folder) {
    StoreInstalledCopy(folder.Path(), L"3", L"3", L"9");
    HWND window = StartToWindow();
    if (window != nullptr) {
      EXPECT_EQ(ControlOf(window, "Command1").caption, L"Accept terms of upgrade");
    }
    return window;
  }
  // Accepts, expects the run-time error `number` naming `names`, presses OK: exit code 1.
  void ExpectErrorAfterAccept(HWND window, const wchar_t* number, const std::wstring& names) {
    Click(ControlOf(window, "Command1").window);
    const auto box = WaitForMessageBox(L"Halden Grid - Setup", kTimeout, setup_.Id());
    ASSERT_TRUE(box.has_value()) << "no error";
    EXPECT_NE(box->text.find(std::wstring(L"Run-time error ") + number), std::wstring::npos) << win32::Utf8(box->text);
    EXPECT_NE(box->text.find(names), std::wstring::npos) << win32::Utf8(box->text);
    EXPECT_EQ(box->text.find(L".new"), std::wstring::npos) << "names a file the user never saw";
    PressOk(box->window);
    EXPECT_EQ(setup_.WaitForExit(10s), 1u);
    EXPECT_FALSE(Exists(DemoInstallerMarkerPath()));
  }
};

// The product's folder on a disk too small for the new program: the old one stays whole.
// (A small disk cannot be mounted as the work folder or the product's folder to show the
// same there: a mount point is a link to another place, which the run refuses; the unit
// tests fill that disk.)
TEST_F(FailureTest, AFullDiskEndsWithTheDiskFullErrorAndLeavesNoPartOfAFile) {
  const std::wstring disk = L"c:\\hdgr e2e small disk";
  wine_host::RemoveTree(disk);
  ASSERT_TRUE(CreateDirectoryW(disk.c_str(), nullptr));
  if (!wine_host::MountSmallDisk(disk, 1)) GTEST_SKIP() << "the host cannot mount a small disk here";
  {
    const ProductFolder folder(disk + L"\\product \u00e9");
    WriteWholeFile(folder.ProgramPath(), kOldProgram);
    HWND window = StartUpgrade(folder);
    ASSERT_NE(window, nullptr);
    ExpectErrorAfterAccept(window, L"61: Disk full", folder.ProgramPath());
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::wstring>{L"HaldenGrid.exe"});
    EXPECT_EQ(ReadWholeFile(folder.ProgramPath()), kOldProgram);
    setup_.Kill();
  }
  EXPECT_TRUE(wine_host::Unmount(disk));
  wine_host::RemoveTree(disk);
}

// A mount point in the product folder's place is refused as a link is: the new program is
// written only into the folder the version check found, never through a link.
TEST_F(FailureTest, AMountPointAsTheProductFolderIsRefusedLikeALink) {
  const ProductFolder folder;
  if (!wine_host::MountSmallDisk(folder.Path(), 8)) GTEST_SKIP() << "the host cannot mount a small disk here";
  WriteWholeFile(folder.ProgramPath(), kOldProgram);
  HWND window = StartUpgrade(folder);
  ASSERT_NE(window, nullptr);
  ExpectErrorAfterAccept(window, L"75", folder.Path() + L" is a link");
  EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::wstring>{L"HaldenGrid.exe"});
  EXPECT_EQ(ReadWholeFile(folder.ProgramPath()), kOldProgram);
  setup_.Kill();
  EXPECT_TRUE(wine_host::Unmount(folder.Path()));
}

// A mount point in the work folder's place cannot be moved aside (under Wine it reads as a
// link the system would follow, and the host refuses to rename it): the run stops before
// anything is written there, saying what to remove.
TEST_F(FailureTest, AMountPointAsTheWorkFolderIsRefusedSayingWhatToRemove) {
  ASSERT_TRUE(CreateDirectoryW(kWorkFolder, nullptr));
  if (!wine_host::MountSmallDisk(kWorkFolder, 8)) GTEST_SKIP() << "the host cannot mount a small disk here";
  HWND window = StartToWindow();
  ASSERT_NE(window, nullptr);
  ExpectErrorAfterAccept(window, L"75",
                         L"cannot be moved aside: it is a link, and this system would move what it leads "
                         L"to instead. Remove the link c:\\hdgr_temp_setup (not what it leads to)");
  EXPECT_EQ(FolderEntries(kWorkFolder), std::vector<std::wstring>{});
  setup_.Kill();
  EXPECT_TRUE(wine_host::Unmount(kWorkFolder));
}

// Killed at any moment of the upgrade, from staging to the rename, the product keeps a
// whole program, old or new. Beside it there may stay, in two instants, the run's new file
// (empty, or the whole checked program), which the next run removes (below).
TEST_F(FailureTest, KillingTheUpgradeAtAnyMomentLeavesTheOldProgramOrTheNewOneWhole) {
  int old_ones = 0;
  int new_ones = 0;
  int left_over = 0;
  for (const int after_ms : {0, 1, 2, 3, 4, 6, 8, 10, 13, 16, 20, 30}) {
    SCOPED_TRACE("killed " + std::to_string(after_ms) + " ms after staging");
    Reset();
    const ProductFolder folder;
    WriteWholeFile(folder.ProgramPath(), kOldProgram);
    HWND window = StartUpgrade(folder);
    ASSERT_NE(window, nullptr);
    // Posted, not clicked: the driver's click lets its input settle, longer than the run takes.
    PostMessageW(ControlOf(window, "Command1").window, BM_CLICK, 0, 0);
    // Staging has saved the carrier: the copy of the new program comes next.
    const std::wstring saved = std::wstring(kWorkFolder) + L"\\setup_image.bmp";
    for (const auto until = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < until;)
      if (Exists(saved)) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(after_ms));
    setup_.Kill();
    const std::vector<std::uint8_t> program = ReadWholeFile(folder.ProgramPath());
    EXPECT_TRUE(program == kOldProgram || program == PayloadBytes(3)) << program.size() << " bytes";
    old_ones += program == kOldProgram;
    new_ones += program == PayloadBytes(3);
    // The new file goes as the system closes the dead process's handles, a moment after it
    // ends. Killed in the instant between creating it and marking it for removal, an empty
    // one stays; in the instant between taking the mark off and renaming it, the whole
    // checked program: never a part of it.
    const std::vector<std::wstring> only_the_program{L"HaldenGrid.exe"};
    for (const auto until = std::chrono::steady_clock::now() + 2s;
         FolderEntries(folder.Path()) != only_the_program && std::chrono::steady_clock::now() < until;)
      std::this_thread::sleep_for(10ms);
    for (const std::wstring& name : FolderEntries(folder.Path())) {
      if (name == L"HaldenGrid.exe") continue;
      EXPECT_TRUE(name.ends_with(L".new")) << win32::Utf8(name);
      const std::vector<std::uint8_t> left = ReadWholeFile(folder.Path() + L"\\" + name);
      EXPECT_TRUE(left.empty() || left == PayloadBytes(3)) << win32::Utf8(name) << ": " << left.size() << " bytes";
      ++left_over;
    }
  }
  std::printf("killed runs left the old program %d times, the new one %d times, a new file beside it %d times\n",
              old_ones, new_ones, left_over);
}

// What a killed run leaves under a fresh name beside the product's program or a setup file
// goes with the next run; a name that only looks like one stays, and a link of such a name
// goes itself, never what it leads to (Wine deletes what a file link leads to).
TEST_F(FailureTest, TheNextRunRemovesWhatAKilledRunLeftAndNothingElse) {
  const ProductFolder folder;
  const std::wstring precious = L"c:\\hdgr e2e precious.dll";
  WriteWholeFile(precious, kOldProgram);
  WriteWholeFile(folder.ProgramPath(), kOldProgram);
  WriteWholeFile(folder.ProgramPath() + L".0123456789abcdef.new", PayloadBytes(3));
  WriteWholeFile(folder.ProgramPath() + L".notes.new", kOldProgram);
  ASSERT_TRUE(wine_host::MakeSymbolicLink(folder.ProgramPath() + L".1111111111111111.new", precious));
  StoreInstalledCopy(folder.Path(), L"3", L"3", L"9");
  MakePrivateWorkFolder();
  WriteWholeFile(std::wstring(kWorkFolder) + L"\\Setup.exe.0123456789abcdef.new", {});
  WriteWholeFile(std::wstring(kWorkFolder) + L"\\Setup.exe.fedcba987654321.new", {});
  setup_ = Start(SetupProgramPath(), L"/quiet");
  EXPECT_EQ(setup_.WaitForExit(kTimeout), 0u);
  EXPECT_EQ(FolderEntries(folder.Path()), (std::vector<std::wstring>{L"HaldenGrid.exe", L"HaldenGrid.exe.notes.new"}));
  EXPECT_TRUE(ReadWholeFile(folder.ProgramPath()) == PayloadBytes(3));
  EXPECT_EQ(ReadWholeFile(precious), kOldProgram);
  wine_host::RemoveTree(precious);
  // The upgrade writes no setup file: the work folder's leftovers wait for an install run.
  Reset();
  MakePrivateWorkFolder();
  WriteWholeFile(std::wstring(kWorkFolder) + L"\\Setup.exe.0123456789abcdef.new", {});
  WriteWholeFile(std::wstring(kWorkFolder) + L"\\Setup.exe.fedcba987654321.new", {});
  setup_ = Start(SetupProgramPath(), L"/quiet");
  EXPECT_EQ(setup_.WaitForExit(kTimeout), 0u);
  EXPECT_EQ(FolderEntries(kWorkFolder), (std::vector<std::wstring>{L"HaldenGrid.CAB", L"Setup.LST", L"Setup.exe",
                                                                   L"Setup.exe.fedcba987654321.new"}));
}

TEST_F(FailureTest, AReadOnlyOrLockedProgramIsKeptAndTheErrorSaysWhy) {
  enum class Hold { kReadOnly, kOpen, kRunning };
  for (const Hold hold : {Hold::kReadOnly, Hold::kOpen, Hold::kRunning}) {
    SCOPED_TRACE(hold == Hold::kReadOnly ? "read-only" : hold == Hold::kOpen ? "open" : "running");
    Reset();
    const ProductFolder folder;
    // A running program holds no handle to its file and lets it be opened for DELETE: only
    // a probe for writing tells "in use" from "access denied".
    const std::vector<std::uint8_t> old_program = hold == Hold::kRunning ? PayloadBytes(0) : kOldProgram;
    WriteWholeFile(folder.ProgramPath(), old_program);
    win32::FileHandle in_use;
    Process running;
    if (hold == Hold::kReadOnly) {
      SetFileAttributesW(folder.ProgramPath().c_str(), FILE_ATTRIBUTE_READONLY);
    } else if (hold == Hold::kOpen) {
      // A running copy whose window is not open holds its program so.
      in_use.Reset(CreateFileW(folder.ProgramPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               0, nullptr));
      ASSERT_TRUE(in_use.Valid());
    } else {
      // The installer stand-in, running as the product's program without its window.
      running = Start(folder.ProgramPath());
      ASSERT_NE(WaitForWindow(kDemoInstallerTitle, kTimeout, running.Id()), nullptr);
      DeleteFileW(DemoInstallerMarkerPath().c_str());
    }
    HWND window = StartUpgrade(folder);
    ASSERT_NE(window, nullptr);
    const wchar_t* const says = hold == Hold::kReadOnly ? L" is read-only" : L" is in use by another program";
    ExpectErrorAfterAccept(window, hold == Hold::kReadOnly ? L"75" : L"70", folder.ProgramPath() + says);
    in_use.Reset();
    running.Kill();
    EXPECT_EQ(ReadWholeFile(folder.ProgramPath()), old_program);
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::wstring>{L"HaldenGrid.exe"});
    SetFileAttributesW(folder.ProgramPath().c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

// A log on a disk that fills up: the run ends with exit code 1 where its line could not be
// written, before anything further is done, and never as done. Interactive, the box says
// what happened.
TEST_F(FailureTest, ALogThatCannotBeWrittenToTheEndEndsTheRunAsFailed) {
  const std::wstring disk = L"c:\\hdgr e2e log disk";
  const std::wstring log = disk + L"\\logs\\run.log";
  constexpr std::size_t kPage = 4096;  // the host's disk gives room by whole pages
  struct Case {
    const char* name;
    std::size_t room;  // bytes the log's last page still has
    bool quiet;
  };
  for (const Case& c : {Case{"no room at all, quiet", 0, true}, Case{"room for a few lines, quiet", 300, true},
                        Case{"no room at all, with the window", 0, false}}) {
    SCOPED_TRACE(c.name);
    Reset();
    wine_host::RemoveTree(disk);
    ASSERT_TRUE(CreateDirectoryW(disk.c_str(), nullptr));
    if (!wine_host::MountSmallDisk(disk, 1)) GTEST_SKIP() << "the host cannot mount a small disk here";
    ASSERT_TRUE(CreateDirectoryW((disk + L"\\logs").c_str(), nullptr));
    const std::string earlier(kPage * 2 - c.room, 'x');
    WriteWholeFile(log, std::vector<std::uint8_t>(earlier.begin(), earlier.end()));
    {
      // Every other page of the disk taken.
      win32::FileHandle filler(CreateFileW((disk + L"\\filler").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                           nullptr));
      const std::vector<char> page(kPage, 'f');
      DWORD written = 0;
      while (WriteFile(filler.Get(), page.data(), static_cast<DWORD>(page.size()), &written, nullptr) && written > 0) {
      }
    }
    setup_ = Start(SetupProgramPath(), std::wstring(c.quiet ? L"/quiet " : L"") + L"/log \"" + log + L"\"");
    if (!c.quiet) {
      const auto box = WaitForMessageBox(L"Halden Grid - Setup", kTimeout, setup_.Id());
      ASSERT_TRUE(box.has_value()) << "no error";
      EXPECT_NE(box->text.find(L"Run-time error 61"), std::wstring::npos) << win32::Utf8(box->text);
      EXPECT_NE(box->text.find(L"The log cannot be written"), std::wstring::npos) << win32::Utf8(box->text);
      PressOk(box->window);
    }
    EXPECT_EQ(setup_.WaitForExit(kTimeout), 1u);
    const std::vector<std::uint8_t> kept = ReadWholeFile(log);
    const std::string text(kept.begin(), kept.end());
    EXPECT_EQ(text.rfind(earlier, 0), 0u) << "what the log held stays";
    EXPECT_LE(kept.size(), kPage * 2);
    EXPECT_EQ(text.find("exit code"), std::string::npos) << text.substr(earlier.size());
    EXPECT_FALSE(WorkFolderExists()) << "nothing done after the log failed";
    EXPECT_FALSE(Exists(DemoInstallerMarkerPath()));
    setup_.Kill();
    EXPECT_TRUE(wine_host::Unmount(disk));
    wine_host::RemoveTree(disk);
  }
}

}  // namespace
}  // namespace hdgr::e2e
