// What another user of the machine may have prepared before the setup ever ran: a work
// folder everyone can change with DLLs in it, a log name that leads elsewhere, settings
// text made to forge the log, settings keys that link elsewhere, a product folder that
// changes between the check and the write.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/win32/base/unique_handle.h"
#include "platform/win32/base/wide_text.h"
#include "tests/e2e/driver/e2e_demo_installer.h"
#include "tests/e2e/driver/e2e_input.h"
#include "tests/e2e/driver/e2e_message_box.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/product_state.h"
#include "tests/wine/registry_link.h"
#include "tests/wine/wine_host.h"

namespace hdgr::e2e {
namespace {

constexpr auto kTimeout = 60s;
constexpr wchar_t kLogFolder[] = L"c:\\hdgr e2e logs";
const std::vector<std::uint8_t> kMarker{'M', 'Z', 'p', 'l', 'a', 'n', 't', 'e', 'd'};
const std::vector<std::uint8_t> kOldProgram(50'000, 0x5A);

std::wstring InWorkFolder(const std::wstring& name) { return std::wstring(kWorkFolder) + L"\\" + name; }

std::string TextOf(const std::wstring& path) {
  const std::vector<std::uint8_t> bytes = Exists(path) ? ReadWholeFile(path) : std::vector<std::uint8_t>{};
  return std::string(bytes.begin(), bytes.end());
}

// Folders an earlier run moved aside: "c:\hdgr_temp_setup.<hex>.aside".
std::vector<std::wstring> FoldersMovedAside() {
  std::vector<std::wstring> found;
  for (const std::wstring& name : FolderEntries(L"c:\\"))
    if (name.rfind(L"hdgr_temp_setup.", 0) == 0 && name.size() > 6 && name.substr(name.size() - 6) == L".aside")
      found.push_back(L"c:\\" + name);
  return found;
}

class PreparedFoldersTest : public ProgramRunTest {
 protected:
  void SetUp() override {
    ProgramRunTest::SetUp();
    Clear();
    std::filesystem::create_directories(std::filesystem::path(kLogFolder));
  }
  void TearDown() override {
    ProgramRunTest::TearDown();
    Clear();
  }
  static void Clear() {
    for (const std::wstring& aside : FoldersMovedAside()) wine_host::RemoveTree(aside);
    wine_host::RemoveTree(kLogFolder);
  }
  DWORD RunQuiet(const std::wstring& more = L"") {
    setup_ = Start(SetupProgramPath(), L"/quiet /log \"" + Log() + L"\"" + more);
    return setup_.WaitForExit(kTimeout).value_or(999);
  }
  static std::wstring Log() { return std::wstring(kLogFolder) + L"\\run.log"; }
};

// A folder everyone can change is never used: its contents, planted DLLs included, are kept
// aside under the name the log gives, and the installer starts from a new private folder.
// With a file inside open in another program it cannot be moved: the run says what to do
// and writes nothing. A private folder of an earlier run is used as it is.
TEST_F(PreparedFoldersTest, AWorkFolderOthersCanChangeIsMovedAsideOrRefusedNeverUsed) {
  enum class Prepared { kOpenToEveryone, kOpenToEveryoneAndInUse, kPrivate, kPrivateWithPictureInUse };
  for (const Prepared prepared : {Prepared::kOpenToEveryone, Prepared::kOpenToEveryoneAndInUse, Prepared::kPrivate,
                                  Prepared::kPrivateWithPictureInUse}) {
    SCOPED_TRACE(static_cast<int>(prepared));
    Reset();
    Clear();
    std::filesystem::create_directories(std::filesystem::path(kLogFolder));
    if (prepared == Prepared::kPrivate || prepared == Prepared::kPrivateWithPictureInUse) {
      MakePrivateWorkFolder();
    } else {
      ASSERT_TRUE(CreateDirectoryW(kWorkFolder, nullptr));
      ASSERT_TRUE(wine_host::OpenToEveryone(kWorkFolder));
    }
    for (const wchar_t* dll : {L"version.dll", L"uxtheme.dll"}) WriteWholeFile(InWorkFolder(dll), kMarker);
    win32::FileHandle in_use;
    if (prepared == Prepared::kOpenToEveryoneAndInUse)
      in_use.Reset(CreateFileW(InWorkFolder(L"version.dll").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr));
    if (prepared == Prepared::kPrivateWithPictureInUse) {
      WriteWholeFile(InWorkFolder(L"Setup.LST"), kMarker);
      WriteWholeFile(InWorkFolder(L"setup_image.bmp"), kMarker);
      in_use.Reset(CreateFileW(InWorkFolder(L"setup_image.bmp").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr));
    }

    const DWORD code = RunQuiet();
    const std::string log = TextOf(Log());
    const std::vector<std::wstring> aside = FoldersMovedAside();
    switch (prepared) {
      case Prepared::kOpenToEveryone:
        EXPECT_EQ(code, 0u) << log;
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_NE(
            log.find("moved aside c:\\hdgr_temp_setup, which others could change: it is now " + win32::Utf8(aside[0])),
            std::string::npos)
            << log;
        EXPECT_EQ(ReadWholeFile(aside[0] + L"\\version.dll"), kMarker);
        EXPECT_EQ(FolderEntries(kWorkFolder), (std::vector<std::wstring>{L"HaldenGrid.CAB", L"Setup.LST", L"Setup.exe"}));
        break;
      case Prepared::kOpenToEveryoneAndInUse:
        EXPECT_EQ(code, 1u);
        EXPECT_TRUE(aside.empty());
        for (const char* says : {"Run-time error 75", "version.dll is open in another program",
                                 "Close the programs that use it, or remove c:\\hdgr_temp_setup"})
          EXPECT_NE(log.find(says), std::string::npos) << says << "\n" << log;
        EXPECT_EQ(FolderEntries(kWorkFolder), (std::vector<std::wstring>{L"uxtheme.dll", L"version.dll"}));
        EXPECT_FALSE(Exists(DemoInstallerMarkerPath()));
        break;
      case Prepared::kPrivate:
        EXPECT_EQ(code, 0u) << log;
        EXPECT_TRUE(aside.empty());
        EXPECT_EQ(FolderEntries(kWorkFolder), (std::vector<std::wstring>{L"HaldenGrid.CAB", L"Setup.LST", L"Setup.exe",
                                                                         L"uxtheme.dll", L"version.dll"}));
        break;
      case Prepared::kPrivateWithPictureInUse:
        // Stopped before an earlier run's files go, and told what is in the way.
        EXPECT_EQ(code, 1u);
        EXPECT_NE(log.find("setup_image.bmp is in use by another program: close that program"), std::string::npos)
            << log;
        EXPECT_EQ(ReadWholeFile(InWorkFolder(L"Setup.LST")), kMarker);
        EXPECT_EQ(ReadWholeFile(InWorkFolder(L"setup_image.bmp")), kMarker);
        break;
    }
  }
}

// The log is written only where it was asked: a link to a missing file in the system's
// folder, a link to another file, a folder link on the way and a second name of another
// file are refused, in the plain form and behind the long-path prefix alike, and what
// they lead to stays as it was.
TEST_F(PreparedFoldersTest, ALogThatIsALinkOrAnotherFilesSecondNameIsRefused) {
  const std::wstring elsewhere = L"c:\\hdgr e2e elsewhere";
  const std::wstring task = elsewhere + L"\\hg_task.cmd";
  const std::vector<std::uint8_t> precious{'k', 'e', 'e', 'p'};
  enum class Kind { kLinkToMissingFile, kLinkToFile, kFolderLink, kHardLink };
  for (const wchar_t* form : {L"", L"\\\\?\\"}) {
    for (const Kind kind : {Kind::kLinkToMissingFile, Kind::kLinkToFile, Kind::kFolderLink, Kind::kHardLink}) {
      SCOPED_TRACE(win32::Utf8(form) + std::to_string(static_cast<int>(kind)));
      Reset();
      wine_host::RemoveTree(kLogFolder);  // a link first: once its target goes, it is not found
      wine_host::RemoveTree(elsewhere);
      ASSERT_TRUE(CreateDirectoryW(elsewhere.c_str(), nullptr));
      WriteWholeFile(task, precious);
      std::wstring log = Log();
      if (kind == Kind::kFolderLink) {
        ASSERT_TRUE(wine_host::MakeSymbolicLink(kLogFolder, elsewhere));
        log = std::wstring(kLogFolder) + L"\\hg_task.cmd";
      } else {
        ASSERT_TRUE(CreateDirectoryW(kLogFolder, nullptr));
        if (kind == Kind::kHardLink) {
          ASSERT_TRUE(CreateHardLinkW(log.c_str(), task.c_str(), nullptr));
        } else {
          ASSERT_TRUE(wine_host::MakeSymbolicLink(log, task));
        }
      }
      if (kind == Kind::kLinkToMissingFile) DeleteFileW(task.c_str());

      setup_ = Start(SetupProgramPath(), std::wstring(L"/quiet /log \"") + form + log + L"\"");
      EXPECT_EQ(setup_.WaitForExit(kTimeout), 1u);
      EXPECT_FALSE(WorkFolderExists()) << "nothing else done";
      if (kind == Kind::kLinkToMissingFile) {
        EXPECT_FALSE(Exists(task)) << "made through the link";
      } else {
        EXPECT_EQ(ReadWholeFile(task), precious);
      }
    }
  }
  wine_host::RemoveTree(kLogFolder);
  wine_host::RemoveTree(elsewhere);
}

// Settings text is any user's to write: quotes, '&' and line breaks stay inside one value
// on one line, and no line can be made to look like the run's own.
TEST_F(PreparedFoldersTest, ASettingIsLoggedOnOneEscapedLine) {
  StoreSetting(L"app_path", L"\" & c:\\x\\evil.exe & rem \"\r\n2026-12-10 10:00:00.000000 exit code 0");
  EXPECT_EQ(RunQuiet(), 0u);
  const std::string log = TextOf(Log());
  EXPECT_NE(log.find("setting app_path = \"\"\" & c:\\x\\evil.exe & rem \"\"\\r\\n2026-12-10 10:00:00.000000 exit "
                     "code 0\"\r\n"),
            std::string::npos)
      << log;
  EXPECT_EQ(log.find("\n2026-12-10"), std::string::npos) << log;
}

// A program of the user's may make the settings key, or the key above it, a registry link
// to the machine's settings or to a copy it fills itself: the run reads and writes nothing
// through it, names the key, ends with 1, and the key the link names stays as it was.
TEST_F(PreparedFoldersTest, SettingsKeysThatLinkElsewhereAreRefused) {
  const std::wstring target = L"Software\\HdgrE2eLinkedSettings";
  struct Case {
    const char* what;
    std::wstring link;  // under HKEY_CURRENT_USER
    HKEY target_root;
    bool quiet;
  };
  const Case cases[] = {
      {"the settings key, to the machine's, with the window", L"Software\\HaldenGrid\\applicationSettings",
       HKEY_LOCAL_MACHINE, false},
      {"the application's key, to a key of the user's, quiet", L"Software\\HaldenGrid", HKEY_CURRENT_USER, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const bool application_linked = c.link == L"Software\\HaldenGrid";
    // The settings key as the run would reach it through the link.
    const std::wstring linked_settings = application_linked ? target + L"\\applicationSettings" : target;
    Reset();
    DeleteFileW(Log().c_str());
    RegDeleteTreeW(c.target_root, target.c_str());
    RegDeleteKeyW(c.target_root, target.c_str());
    // The user's key exists and is empty: followed, the run would install and record the
    // package's version there. The machine's does not: followed, the save would make it.
    if (c.target_root == HKEY_CURRENT_USER) {
      win32::RegistryKey made;
      ASSERT_EQ(RegCreateKeyW(c.target_root, linked_settings.c_str(), made.Receive()), ERROR_SUCCESS);
    }
    if (!application_linked) {
      win32::RegistryKey made;
      ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, L"Software\\HaldenGrid", made.Receive()), ERROR_SUCCESS);
    }
    const std::wstring key_named = L"HKEY_CURRENT_USER\\" + c.link + L" is a registry link";
    {
      const wine_host::RegistryLink link(c.link, c.target_root == HKEY_LOCAL_MACHINE
                                                     ? wine_host::MachineKeyName(target)
                                                     : wine_host::UserKeyName(target));
      ASSERT_TRUE(link.Made()) << "Wine made no registry link";
      if (c.quiet) {
        EXPECT_EQ(RunQuiet(), 1u);
        const std::string log = TextOf(Log());
        EXPECT_NE(log.find("Run-time error 75"), std::string::npos) << log;
        EXPECT_NE(log.find(win32::Utf8(key_named)), std::string::npos) << log;
      } else {
        setup_ = Start(SetupProgramPath());
        bool window_shown = false;
        const auto box = WaitForBoxBeforeAnyWindow(kSetupTitle, setup_, &window_shown);
        ASSERT_TRUE(box.has_value()) << "no error";
        EXPECT_FALSE(window_shown);
        EXPECT_EQ(box->text.rfind(L"Run-time error 75", 0), 0u) << win32::Utf8(box->text);
        EXPECT_NE(box->text.find(key_named), std::string::npos) << win32::Utf8(box->text);
        PressOk(box->window);
        EXPECT_EQ(setup_.WaitForExit(kTimeout), 1u);
      }
    }
    EXPECT_FALSE(WorkFolderExists()) << "nothing else done";
    win32::RegistryKey linked;
    const LSTATUS found = RegOpenKeyExW(c.target_root, linked_settings.c_str(), 0, KEY_READ, linked.Receive());
    if (c.target_root == HKEY_LOCAL_MACHINE) {
      EXPECT_EQ(found, ERROR_FILE_NOT_FOUND) << "made through the link";
    } else {
      ASSERT_EQ(found, ERROR_SUCCESS);
      DWORD values = 99;
      RegQueryInfoKeyW(linked.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                       nullptr, nullptr);
      EXPECT_EQ(values, 0u) << "written through the link";
    }
    linked.Reset();
    RegDeleteTreeW(c.target_root, target.c_str());
    RegDeleteKeyW(c.target_root, target.c_str());
  }
}

// The folder the version check found, as stored, is the folder written: a stored trailing
// blank names "c:\...prod \", never "c:\...prod"; a folder link re-pointed after the
// window showed is refused, and neither of its targets changes.
TEST_F(PreparedFoldersTest, TheUpgradeWritesOnlyTheFolderThatWasFound) {
  const std::wstring plain = L"c:\\hdgr e2e prod";
  const std::wstring blank = plain + L" \\";
  wine_host::RemoveTree(plain);
  ASSERT_TRUE(wine_host::RemoveHostFolder(L"c:", "hdgr e2e prod "));
  ASSERT_TRUE(wine_host::MakeHostFolder(L"c:", "hdgr e2e prod "));
  WriteWholeFile(blank + L"HaldenGrid.exe", kOldProgram);
  StoreInstalledCopy(plain + L" ", L"3", L"3", L"9");
  EXPECT_EQ(RunQuiet(), 0u) << TextOf(Log());
  EXPECT_TRUE(ReadWholeFile(blank + L"HaldenGrid.exe") == PayloadBytes(3));
  EXPECT_FALSE(Exists(plain)) << "written beside the folder found";
  wine_host::RemoveHostFolder(L"c:", "hdgr e2e prod ");

  Reset();
  const ProductFolder first(L"c:\\hdgr e2e first");
  const ProductFolder second(L"c:\\hdgr e2e second");
  const std::wstring link = L"c:\\hdgr e2e link";
  wine_host::RemoveTree(link);
  WriteWholeFile(first.ProgramPath(), kOldProgram);
  ASSERT_TRUE(wine_host::MakeSymbolicLink(link, first.Path()));
  StoreInstalledCopy(link, L"3", L"3", L"9");
  HWND window = StartToWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(ControlOf(window, "Command1").caption, L"Accept terms of upgrade");
  wine_host::RemoveTree(link);
  ASSERT_TRUE(wine_host::MakeSymbolicLink(link, second.Path()));
  Click(ControlOf(window, "Command1").window);
  const auto box = WaitForMessageBox(L"Halden Grid - Setup", kTimeout, setup_.Id());
  ASSERT_TRUE(box.has_value()) << "no error";
  EXPECT_NE(box->text.find(L"Run-time error 75"), std::wstring::npos) << win32::Utf8(box->text);
  EXPECT_NE(box->text.find(link + L" is a link"), std::wstring::npos) << win32::Utf8(box->text);
  PressOk(box->window);
  EXPECT_EQ(setup_.WaitForExit(10s), 1u);
  EXPECT_EQ(ReadWholeFile(first.ProgramPath()), kOldProgram);
  EXPECT_TRUE(FolderEntries(second.Path()).empty());
  wine_host::RemoveTree(link);
}

// A folder link above the product's folder is refused in every form the stored path may
// take, the long-path prefix too, and nothing is written behind it; the same prefix before
// a folder without a link is upgraded as the plain path is.
TEST_F(PreparedFoldersTest, AProductFolderBehindALinkIsRefusedInEveryForm) {
  const ProductFolder real(L"c:\\hdgr e2e real");
  const std::wstring link = L"c:\\hdgr e2e link";
  const std::wstring program = real.Path() + L"\\prod\\HaldenGrid.exe";
  struct Case {
    std::wstring stored;
    bool upgraded;
  };
  const Case cases[] = {
      {link + L"\\prod", false},
      {L"\\\\?\\" + link + L"\\prod", false},
      {L"\\\\?\\C:\\HDGR E2E LINK\\prod", false},
      {L"\\\\?\\" + real.Path() + L"\\prod", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(win32::Utf8(c.stored));
    Reset();
    wine_host::RemoveTree(link);
    ASSERT_TRUE(CreateDirectoryW((real.Path() + L"\\prod").c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    WriteWholeFile(program, kOldProgram);
    ASSERT_TRUE(wine_host::MakeSymbolicLink(link, real.Path()));
    StoreInstalledCopy(c.stored, L"3", L"3", L"9");
    const DWORD code = RunQuiet();
    const std::string log = TextOf(Log());
    if (c.upgraded) {
      EXPECT_EQ(code, 0u) << log;
      EXPECT_TRUE(ReadWholeFile(program) == PayloadBytes(3));
    } else {
      EXPECT_EQ(code, 1u) << log;
      for (const char* says : {"Run-time error 75",
                               "is a link to another place, not the product's folder: nothing "
                               "was written"})
        EXPECT_NE(log.find(says), std::string::npos) << says << "\n" << log;
      EXPECT_EQ(ReadWholeFile(program), kOldProgram);
    }
    EXPECT_EQ(FolderEntries(real.Path() + L"\\prod"), std::vector<std::wstring>{L"HaldenGrid.exe"});
  }
  wine_host::RemoveTree(link);
}

// The work folder is the setup's own: stored as the product's folder under a name that
// only the system knows for it (its short name), it is refused on the folder the run
// holds, and the program there stays as it was.
TEST_F(PreparedFoldersTest, TheWorkFolderIsNeverTakenForTheProductsFolder) {
  MakePrivateWorkFolder();
  WriteWholeFile(InWorkFolder(L"HaldenGrid.exe"), kOldProgram);
  wchar_t short_name[MAX_PATH + 1];
  ASSERT_NE(GetShortPathNameW(kWorkFolder, short_name, MAX_PATH + 1), 0u);
  ASSERT_NE(std::wstring(short_name), kWorkFolder) << "no short name to spell it with";
  StoreInstalledCopy(short_name, L"3", L"3", L"9");
  EXPECT_EQ(RunQuiet(), 1u);
  const std::string log = TextOf(Log());
  for (const char* says : {"Run-time error 75",
                           "is the setup's own work folder (c:\\hdgr_temp_setup) or a folder "
                           "in it, not the product's folder: nothing was written"})
    EXPECT_NE(log.find(says), std::string::npos) << says << "\n" << log;
  EXPECT_EQ(ReadWholeFile(InWorkFolder(L"HaldenGrid.exe")), kOldProgram);
  EXPECT_EQ(FolderEntries(kWorkFolder), (std::vector<std::wstring>{L"HaldenGrid.exe", L"setup_image.bmp"}));
}

// Whatever else takes the work folder's name is moved aside as it is, a file hidden or
// not, and the run goes on in a private folder; what cannot be moved (a file open in
// another program; a link, on a system that opens only what a link leads to, as Wine
// does; a link to nothing, which Wine does not even list) stops the run before anything
// is written, saying what to remove. What a link leads to is never touched.
TEST_F(PreparedFoldersTest, WhatElseTakesTheWorkFoldersNameIsMovedAsideOrNamedForRemoval) {
  const std::wstring victim = L"c:\\hdgr e2e victim.dll";
  const std::vector<std::uint8_t> precious(3000, 0x42);
  enum class Kind { kFile, kHiddenFile, kFileInUse, kFileLink, kLinkToNothing };
  for (const Kind kind : {Kind::kFile, Kind::kHiddenFile, Kind::kFileInUse, Kind::kFileLink, Kind::kLinkToNothing}) {
    SCOPED_TRACE(static_cast<int>(kind));
    Reset();
    Clear();
    std::filesystem::create_directories(std::filesystem::path(kLogFolder));
    WriteWholeFile(victim, precious);
    win32::FileHandle in_use;
    const bool link = kind == Kind::kFileLink || kind == Kind::kLinkToNothing;
    if (link) {
      const std::wstring target = kind == Kind::kFileLink ? victim : victim + L".gone";
      WriteWholeFile(target, precious);
      ASSERT_TRUE(wine_host::MakeSymbolicLink(kWorkFolder, target));
      if (kind == Kind::kLinkToNothing) {
        ASSERT_TRUE(DeleteFileW(target.c_str()));
      }
    } else {
      WriteWholeFile(kWorkFolder, kMarker);
      if (kind == Kind::kHiddenFile) SetFileAttributesW(kWorkFolder, FILE_ATTRIBUTE_HIDDEN);
      if (kind == Kind::kFileInUse)
        in_use.Reset(CreateFileW(kWorkFolder, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    }
    const bool moved = link ? OpensLinksThemselves(kWorkFolder) : kind != Kind::kFileInUse;

    const DWORD code = RunQuiet();
    in_use.Reset();
    const std::string log = TextOf(Log());
    const std::vector<std::wstring> aside = FoldersMovedAside();
    if (moved) {
      EXPECT_EQ(code, 0u) << log;
      ASSERT_EQ(aside.size(), 1u);
      EXPECT_NE(
          log.find("moved aside c:\\hdgr_temp_setup, which others could change: it is now " + win32::Utf8(aside[0])),
          std::string::npos)
          << log;
      if (!link) {
        EXPECT_EQ(ReadWholeFile(aside[0]), kMarker);
      }
      EXPECT_EQ(FolderEntries(kWorkFolder), (std::vector<std::wstring>{L"HaldenGrid.CAB", L"Setup.LST", L"Setup.exe"}));
    } else {
      EXPECT_EQ(code, 1u) << log;
      EXPECT_TRUE(aside.empty());
      const char* remove =
          kind == Kind::kFileInUse ? "it is open in another program. Close the programs that use it, or remove "
                                     "c:\\hdgr_temp_setup, then start the setup again"
          : kind == Kind::kFileLink
              ? "Remove the link c:\\hdgr_temp_setup (not what it leads to), then start the setup again"
              : "Remove c:\\hdgr_temp_setup, then start the setup again";
      for (const char* says : {"Run-time error 75", remove})
        EXPECT_NE(log.find(says), std::string::npos) << says << "\n" << log;
      EXPECT_FALSE(Exists(DemoInstallerMarkerPath()));
    }
    EXPECT_EQ(ReadWholeFile(victim), precious);
  }
  wine_host::RemoveTree(victim);
}

}  // namespace
}  // namespace hdgr::e2e
