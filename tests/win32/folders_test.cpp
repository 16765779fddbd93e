// The work folder: made private, held for the run, moved aside when others may change it.
#include <aclapi.h>
#include <sddl.h>

#include "platform/win32/files/held_folder.h"
#include "tests/win32/fixture/fixture_title.h"
#include "platform/win32/base/unique_handle.h"
#include "platform/win32/base/wide_text.h"
#include "platform/win32/win32_services.h"
#include "tests/wine/wine_host.h"

#include "win32_test_support.h"

namespace hdgr::win32::testing {
namespace {

std::wstring SidText(PSID sid) {
  LocalMemory<wchar_t*> text;
  if (!ConvertSidToStringSidW(sid, text.Receive())) return L"?";
  return text.Get();
}

std::wstring CurrentUser() {
  ProcessHandle token;
  OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive());
  std::vector<std::uint8_t> buffer(256);
  DWORD size = 0;
  GetTokenInformation(token.Get(), TokenUser, buffer.data(), static_cast<DWORD>(buffer.size()), &size);
  return SidText(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid);
}

// Whom the folder's access list lets in, as the system reads it back.
std::vector<std::wstring> Trustees(const std::string& path) {
  PACL dacl = nullptr;  // inside the descriptor
  LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
  std::vector<std::wstring> trustees;
  if (GetNamedSecurityInfoW(Wide(path).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                            nullptr, descriptor.Receive()) != ERROR_SUCCESS)
    return trustees;
  for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (GetAce(dacl, i, &ace) && static_cast<ACE_HEADER*>(ace)->AceType == ACCESS_ALLOWED_ACE_TYPE)
      trustees.push_back(SidText(&static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart));
  }
  return trustees;
}

bool Renamable(const std::string& path) {
  if (!MoveFileExW(Wide(path).c_str(), Wide(path + " moved").c_str(), 0)) return false;
  MoveFileExW(Wide(path + " moved").c_str(), Wide(path).c_str(), 0);
  return true;
}

using FoldersTest = TempFolderTest;

// With the administrators' rights (an elevated run) the folder lets in SYSTEM and the
// administrators only, so that nothing the user's other programs do can put a file where
// the elevated installer will load it; without them, the user too.
TEST_F(FoldersTest, AFolderTheRunMakesLetsInNobodyElse) {
  EXPECT_EQ(PrivateAccessList(true, L""), L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)");
  EXPECT_EQ(PrivateAccessList(false, L"S-1-5-21-7-8-9-1001"),
            L"O:S-1-5-21-7-8-9-1001D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;S-1-5-21-7-8-9-1001)");
  const std::string made = Path("work");
  {
    Win32Services app;
    app.MakeFolder(made);
    // Wine shows an access list made from the host's permissions, never the one asked for:
    // here only that nobody else is let in can be read back.
    const std::vector<std::wstring> trustees = Trustees(made);
    ASSERT_FALSE(trustees.empty());
    for (const std::wstring& sid : trustees)
      EXPECT_TRUE(sid == L"S-1-5-18" || sid == L"S-1-5-32-544" || sid == CurrentUser()) << Utf8(sid);
    EXPECT_FALSE(Renamable(made)) << "held for the run";
    EXPECT_FALSE(RemoveDirectoryW(Wide(made).c_str()));
    EXPECT_EQ(FailureOf([&] { app.MakeFolder(made); }).number, ErrorNumber::kPathFileAccessError);
    EXPECT_EQ(FailureOf([&] { app.MakeFolder(Path("no\\such")); }).number, ErrorNumber::kPathNotFound);
  }
  EXPECT_TRUE(Renamable(made)) << "let go of at the end";
  {
    Win32Services next_run;
    EXPECT_TRUE(next_run.HoldPrivateFolder(made)) << "an earlier run's folder is used as it is";
    EXPECT_FALSE(Renamable(made));
  }
}

// A folder an elevated run made (owned by the administrators, SYSTEM and the administrators
// only) is the most locked-down there is: a standard user's run is told to start the setup
// as administrator, not that others could change it. Under Wine every run has the
// administrators' rights, so the decision is shown with the rights given.
TEST_F(FoldersTest, AFolderOnlyAdministratorsMayUseIsToldApartFromOneOthersMayChange) {
  const std::wstring user = L"S-1-5-21-7-8-9-1001";
  const std::wstring administrators = PrivateAccessList(true, L"");
  const std::wstring users_own = PrivateAccessList(false, user);
  struct Row {
    std::wstring found;
    std::wstring made_now;
    bool rights;
    FolderAccess access;
  };
  const Row rows[] = {
      {users_own, users_own, false, FolderAccess::kPrivate},
      {administrators, administrators, true, FolderAccess::kPrivate},
      {administrators, users_own, false, FolderAccess::kAdministratorsOnly},
      {L"O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", users_own, false, FolderAccess::kAdministratorsOnly},
      // An administrators' run never hears "run as administrator": what is not its own goes aside.
      {L"O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", administrators, true, FolderAccess::kOthersMayChange},
      {users_own, administrators, true, FolderAccess::kOthersMayChange},
      {administrators + L"(A;OICI;FA;;;BU)", users_own, false, FolderAccess::kOthersMayChange},
      {L"O:" + user + L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", users_own, false, FolderAccess::kOthersMayChange},
      {L"O:BAD:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", users_own, false, FolderAccess::kOthersMayChange},
      {L"O:BAD:P(A;OICI;FA;;;SY)", users_own, false, FolderAccess::kOthersMayChange},
  };
  for (const Row& row : rows)
    EXPECT_EQ(JudgeFolderAccess(row.found, row.made_now, row.rights), row.access)
        << Utf8(row.found) << " against " << Utf8(row.made_now) << (row.rights ? ", administrator" : ", standard user");
}

// On FAT or exFAT every folder reads back with the same made-up access list, so none is
// private there. Wine reports its drives (NTFS, persistent access lists) as keeping them,
// and mounts no FAT drive here: the decision is shown with the volume's flags given.
TEST_F(FoldersTest, NoFolderIsPrivateOnADriveThatKeepsNoAccessLists) {
  const std::wstring work = L"c:\\hdgr_temp_setup";
  const Failure refused =
      FailureOf([&] { RequireAccessLists(FILE_CASE_PRESERVED_NAMES | FILE_UNICODE_ON_DISK, work); });
  EXPECT_EQ(refused.number, ErrorNumber::kPathFileAccessError);
  for (const char* says : {"c:\\hdgr_temp_setup lies on drive C:, which keeps no access lists",
                           "The work folder must be on a drive that keeps access lists"})
    EXPECT_NE(refused.detail.find(says), std::string::npos) << refused.detail;
  RequireAccessLists(FILE_PERSISTENT_ACLS | FILE_CASE_PRESERVED_NAMES, work);
  // Wine's drive C: says it keeps them, so the work folders of every other test pass.
  const FileHandle folder(CreateFileW(Wide(Folder()).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  DWORD flags = 0;
  ASSERT_TRUE(GetVolumeInformationByHandleW(folder.Get(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0));
  EXPECT_TRUE(flags & FILE_PERSISTENT_ACLS) << std::hex << flags;
}

// Anything but a private folder of its own is not held and stays exactly as it is, for
// MoveFolderAside to deal with: a folder others may change, a link, a file, one in use.
TEST_F(FoldersTest, OnlyAPrivateRealFolderIsHeldAndAnythingElseIsLeftAlone) {
  {
    Win32Services earlier;
    earlier.MakeFolder(Path("private"));
  }
  ASSERT_TRUE(CreateDirectoryW(Wide(Path("ordinary")).c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(Wide(Path("elsewhere")).c_str(), nullptr));
  PutFile(Path("elsewhere\\kept.txt"), Bytes(4));
  ASSERT_TRUE(wine_host::MakeSymbolicLink(Wide(Path("link")), Wide(Path("elsewhere"))));
  PutFile(Path("file"), Bytes(3));
  PutFile(Path("file in use"), Bytes(3));
  const FileHandle in_use(
      CreateFileW(Wide(Path("file in use")).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(in_use);
  Win32Services app;
  EXPECT_TRUE(app.HoldPrivateFolder(Path("private")));
  EXPECT_FALSE(Renamable(Path("private")));
  for (const char* name : {"ordinary", "link", "file", "file in use"})
    EXPECT_FALSE(app.HoldPrivateFolder(Path(name))) << name;
  // (Under Wine a rename of the link would move what it leads to.)
  for (const char* name : {"ordinary", "file"}) EXPECT_TRUE(Renamable(Path(name))) << name << ": not held";
  EXPECT_EQ(Contents(Path("link\\kept.txt")), Bytes(4)) << "the link is still a link to the same place";
  EXPECT_EQ(Contents(Path("file")), Bytes(3));
  EXPECT_TRUE(Renamable(Path("elsewhere")));
  EXPECT_EQ(FailureOf([&] { app.HoldPrivateFolder(Path("missing")); }).number, ErrorNumber::kPathNotFound);
  DeleteFileW(Wide(Path("link")).c_str());
}

// A layout's folder: the missing part of its path made, each folder private and held for
// the run; files go in place there. A link or a file on the way is refused, naming it, and
// nothing is made below it or written through it.
TEST_F(FoldersTest, AnOutputFolderIsMadeOnTheWayAndNeverReachedThroughALinkOrAFile) {
  const std::string folder = Path("share\\hg 3.4");
  {
    Win32Services app;
    app.HoldOutputFolder(folder);
    for (const std::string& made : {Path("share"), folder}) {
      EXPECT_FALSE(Renamable(made)) << made << ": held for the run";
      for (const std::wstring& sid : Trustees(made))
        EXPECT_TRUE(sid == L"S-1-5-18" || sid == L"S-1-5-32-544" || sid == CurrentUser()) << Utf8(sid);
    }
    const int number = app.FreeFileNumber();
    app.OpenNewFile(folder + "\\Setup.LST", number);
    app.WriteRecords(number, 1, Bytes(5, 0x4C));
    app.CloseFile(number);
    app.PutInPlace(folder + "\\Setup.LST");
    app.ReleaseFiles();
  }
  EXPECT_EQ(Contents(folder + "\\Setup.LST"), Bytes(5, 0x4C));
  EXPECT_TRUE(Renamable(folder)) << "let go of at the end";
  {
    Win32Services again;
    EXPECT_NO_THROW(again.HoldOutputFolder(folder)) << "a folder that is there is held as it is";
  }

  ASSERT_TRUE(CreateDirectoryW(Wide(Path("elsewhere")).c_str(), nullptr));
  ASSERT_TRUE(wine_host::MakeSymbolicLink(Wide(Path("link")), Wide(Path("elsewhere"))));
  PutFile(Path("file"), Bytes(3));
  for (const std::string& refused : {Path("link"), Path("link\\hg"), Path("file\\hg")}) {
    SCOPED_TRACE(refused);
    Win32Services app;
    const Failure failure = FailureOf([&] { app.HoldOutputFolder(refused); });
    EXPECT_EQ(failure.number, ErrorNumber::kPathFileAccessError);
    EXPECT_NE(failure.detail.find("nothing was written"), std::string::npos) << failure.detail;
  }
  EXPECT_FALSE(Exists(Path("elsewhere\\hg"))) << "made through the link";
  DeleteFileW(Wide(Path("link")).c_str());
}

// Whether the system opens a link itself when asked to (Windows), or what it leads to (Wine).
bool OpensLinksThemselves(const std::string& link) {
  const FileHandle opened(CreateFileW(Wide(link).c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  return opened && GetFileInformationByHandle(opened.Get(), &info) &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// A file or a link in the work folder's place is moved aside itself, never what a link leads
// to; where that cannot be done the error says what to remove, and nothing moves.
TEST_F(FoldersTest, AFileOrALinkIsMovedAsideItselfOrNotAtAll) {
  ASSERT_TRUE(CreateDirectoryW(Wide(Path("elsewhere")).c_str(), nullptr));
  PutFile(Path("elsewhere\\kept.txt"), Bytes(4, 6));
  PutFile(Path("victim.dll"), Bytes(300, 7));
  enum class Kind { kFile, kHiddenFile, kFileInUse, kFolderLink, kFileLink };
  for (const Kind kind : {Kind::kFile, Kind::kHiddenFile, Kind::kFileInUse, Kind::kFolderLink, Kind::kFileLink}) {
    SCOPED_TRACE(static_cast<int>(kind));
    const std::string taken = Path("taken");
    FileHandle in_use;
    bool link = false;
    switch (kind) {
      case Kind::kFile:
      case Kind::kHiddenFile:
      case Kind::kFileInUse:
        PutFile(taken, Bytes(5, 2), kind == Kind::kHiddenFile ? FILE_ATTRIBUTE_HIDDEN : 0);
        if (kind == Kind::kFileInUse)
          in_use.Reset(
              CreateFileW(Wide(taken).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        break;
      case Kind::kFolderLink:
      case Kind::kFileLink:
        link = true;
        ASSERT_TRUE(wine_host::MakeSymbolicLink(Wide(taken),
                                                Wide(Path(kind == Kind::kFolderLink ? "elsewhere" : "victim.dll"))));
        break;
    }
    Win32Services app;
    if (kind == Kind::kFileInUse || (link && !OpensLinksThemselves(taken))) {
      const Failure failure = FailureOf([&] { app.MoveFolderAside(taken); });
      EXPECT_EQ(failure.number, ErrorNumber::kPathFileAccessError);
      const std::string says =
          link ? "Remove the link " + taken + " (not what it leads to)" : "is open in another program";
      EXPECT_NE(failure.detail.find(says), std::string::npos) << failure.detail;
      EXPECT_NE(GetFileAttributesW(Wide(taken).c_str()), INVALID_FILE_ATTRIBUTES) << "nothing moved";
    } else {
      const std::string aside = app.MoveFolderAside(taken);
      EXPECT_EQ(aside.rfind(taken + ".", 0), 0u) << aside;
      EXPECT_EQ(GetFileAttributesW(Wide(taken).c_str()), INVALID_FILE_ATTRIBUTES);
      if (!link) {
        EXPECT_EQ(Contents(aside), Bytes(5, 2));
      }
      DeleteFileW(Wide(aside).c_str());
      RemoveDirectoryW(Wide(aside).c_str());
    }
    EXPECT_EQ(Contents(Path("elsewhere\\kept.txt")), Bytes(4, 6));
    EXPECT_EQ(Contents(Path("victim.dll")), Bytes(300, 7));
    in_use.Reset();
    wine_host::RemoveTree(Wide(taken));
  }
}

TEST_F(FoldersTest, AFolderMovedAsideKeepsItsContentsAndOneInUseStaysWhereItIs) {
  ASSERT_TRUE(CreateDirectoryW(Wide(Path("shared")).c_str(), nullptr));
  PutFile(Path("shared\\version.dll"), Bytes(5));
  Win32Services app;
  {
    // Open in another program (here, another handle): Windows would not rename the folder.
    const FileHandle open(CreateFileW(Wide(Path("shared\\version.dll")).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(open);
    const Failure failure = FailureOf([&] { app.MoveFolderAside(Path("shared")); });
    EXPECT_EQ(failure.number, ErrorNumber::kPathFileAccessError);
    for (const char* says : {"version.dll is open in another program", "Close the programs that use it, or remove"})
      EXPECT_NE(failure.detail.find(says), std::string::npos) << failure.detail;
    EXPECT_EQ(Contents(Path("shared\\version.dll")), Bytes(5)) << "nothing moved";
  }
  {
    // A program running from a folder holds no handle to its file, and allows DELETE on it:
    // only write access meets it. Windows would refuse the folder's rename. (Its own folder:
    // Wine's user32 would load the version.dll above, which is no DLL.)
    ASSERT_TRUE(CreateDirectoryW(Wide(Path("running")).c_str(), nullptr));
    PutFile(Path("running\\HaldenGrid.exe"), Contents(ProgramFolder() + "hdgr_win32_fixture.exe"));
    std::wstring command = L"\"" + Wide(Path("running\\HaldenGrid.exe")) + L"\" error";  // waits on its error box
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started));
    const ProcessHandle running(started.hProcess);
    const ProcessHandle thread(started.hThread);
    for (int tries = 0; tries < 200 && FindWindowW(L"#32770", Wide(kErrorTitle).c_str()) == nullptr; ++tries) Sleep(50);
    const Failure failure = FailureOf([&] { app.MoveFolderAside(Path("running")); });
    TerminateProcess(running.Get(), 0);
    WaitForSingleObject(running.Get(), 10'000);
    EXPECT_EQ(failure.number, ErrorNumber::kPathFileAccessError);
    EXPECT_NE(failure.detail.find("HaldenGrid.exe is open in another program"), std::string::npos) << failure.detail;
    EXPECT_TRUE(Exists(Path("running\\HaldenGrid.exe"))) << "nothing moved";
  }
  const std::string aside = app.MoveFolderAside(Path("shared"));
  EXPECT_EQ(aside.rfind(Path("shared") + ".", 0), 0u) << aside;
  EXPECT_EQ(Contents(aside + "\\version.dll"), Bytes(5));
  EXPECT_EQ(GetFileAttributesW(Wide(Path("shared")).c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace hdgr::win32::testing
