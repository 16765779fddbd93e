// Files the services create and put in place: held from their creation, reached through
// the hold only, and never written through a link.
#include <algorithm>
#include <cctype>

#include "platform/win32/base/unique_handle.h"
#include "platform/win32/base/wide_text.h"
#include "platform/win32/files/link_check.h"
#include "platform/win32/win32_services.h"
#include "tests/wine/wine_host.h"

#include "win32_test_support.h"

namespace hdgr::win32::testing {
namespace {

using ByteVector = std::vector<std::uint8_t>;

bool OthersCanWrite(const std::string& path) {
  const FileHandle file(CreateFileW(Wide(path).c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    0, nullptr));
  return file.Valid();
}

// As an installer that opens its own cabinet: reading, and sharing only reading.
bool AReaderSharingOnlyReadingCanOpen(const std::string& path) {
  const FileHandle file(
      CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  return file.Valid();
}

bool OthersCanRemoveOrRename(const std::string& path) {
  const std::wstring wide = Wide(path);
  if (MoveFileExW(wide.c_str(), (wide + L".moved").c_str(), 0)) {
    MoveFileExW((wide + L".moved").c_str(), wide.c_str(), 0);
    return true;
  }
  return DeleteFileW(wide.c_str()) != FALSE;
}

// The names in `folder` other than those given.
std::vector<std::string> OtherEntries(const std::string& folder, const std::vector<std::string>& known) {
  std::vector<std::string> found;
  WIN32_FIND_DATAW entry{};
  const FindHandle find(FindFirstFileW(Wide(folder + "\\*").c_str(), &entry));
  if (!find) return found;
  do {
    const std::string name = Utf8(entry.cFileName);
    if (name != "." && name != ".." && std::find(known.begin(), known.end(), name) == known.end())
      found.push_back(name);
  } while (FindNextFileW(find.Get(), &entry));
  return found;
}

class BytesPicture : public Picture {
 public:
  explicit BytesPicture(ByteVector bytes) : bytes_(std::move(bytes)) {}
  std::span<const std::uint8_t> Bytes() const override { return bytes_; }

 private:
  ByteVector bytes_;
};

class HeldFilesTest : public TempFolderTest {
 protected:
  void TearDown() override {
    app.reset();  // lets go of everything before the folder goes
    TempFolderTest::TearDown();
  }
  // A new file for `path` holding `bytes`, its number closed.
  void WriteNew(const std::string& path, const ByteVector& bytes) {
    const int number = app->FreeFileNumber();
    app->OpenNewFile(path, number);
    app->WriteRecords(number, 1, bytes);
    app->CloseFile(number);
  }
  std::unique_ptr<Win32Services> app = std::make_unique<Win32Services>();
};

TEST_F(HeldFilesTest, ANewFileIsHeldFromItsCreationUntilReleased) {
  const std::string path = Path("Setup.exe");
  const int number = app->FreeFileNumber();
  app->OpenNewFile(path, number);
  EXPECT_FALSE(Exists(path)) << "nothing at the final path yet";
  const std::vector<std::string> fresh = OtherEntries(Folder(), {});
  ASSERT_EQ(fresh.size(), 1u);
  EXPECT_EQ(fresh[0].rfind("Setup.exe.", 0), 0u) << fresh[0];
  const std::string fresh_path = Path(fresh[0]);
  EXPECT_FALSE(OthersCanWrite(fresh_path));
  EXPECT_FALSE(OthersCanRemoveOrRename(fresh_path));

  app->WriteRecords(number, 1, Bytes(70'000, 2));
  app->CloseFile(number);
  EXPECT_FALSE(OthersCanWrite(fresh_path)) << "closing the number keeps the hold";
  EXPECT_EQ(app->NewFileLength(path), 70'000);

  app->PutInPlace(path);
  EXPECT_EQ(OtherEntries(Folder(), {"Setup.exe"}), std::vector<std::string>{});
  EXPECT_EQ(Contents(path), Bytes(70'000, 2));
  EXPECT_FALSE(OthersCanWrite(path));
  EXPECT_FALSE(OthersCanRemoveOrRename(path));

  app->ReleaseFiles();
  EXPECT_TRUE(OthersCanWrite(path));
  EXPECT_TRUE(OthersCanRemoveOrRename(path));
}

TEST_F(HeldFilesTest, NewFilesNeverPutInPlaceLeaveNothing) {
  WriteNew(Path("a.bin"), Bytes(10));
  app->DiscardNewFile(Path("a.bin"));
  WriteNew(Path("b.bin"), Bytes(10));
  app->ReleaseFiles();
  EXPECT_EQ(OtherEntries(Folder(), {}), std::vector<std::string>{});
  app->DiscardNewFile(Path("never.bin"));  // nothing to discard is no error
}

// Whatever is at the final path is replaced whole in one rename, or refused and kept.
TEST_F(HeldFilesTest, PuttingInPlaceReplacesTheEntryWholeOrRefusesIt) {
  struct Case {
    const char* name;
    DWORD attributes;  // of a longer file there before; 0: none
    std::optional<ErrorNumber> refused;
  };
  const Case cases[] = {
      {"no file there", 0, std::nullopt},
      {"a longer plain file", FILE_ATTRIBUTE_NORMAL, std::nullopt},
      {"a hidden file", FILE_ATTRIBUTE_HIDDEN, std::nullopt},
      {"a system file", FILE_ATTRIBUTE_SYSTEM, std::nullopt},
      {"a hidden system file", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, std::nullopt},
      {"a read-only file", FILE_ATTRIBUTE_READONLY, ErrorNumber::kPathFileAccessError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Path("HaldenGrid.exe");
    if (c.attributes != 0) PutFile(path, Bytes(5000, 9), c.attributes);
    WriteNew(path, Bytes(10, 5));
    if (c.refused) {
      const Failure failure = FailureOf([&] { app->PutInPlace(path); });
      EXPECT_EQ(failure.number, *c.refused);
      EXPECT_NE(failure.detail.find(path), std::string::npos) << failure.detail;
      EXPECT_EQ(failure.detail.find(".new"), std::string::npos) << failure.detail;
      EXPECT_EQ(Contents(path), Bytes(5000, 9));
      app->DiscardNewFile(path);
    } else {
      app->PutInPlace(path);
      EXPECT_EQ(Contents(path), Bytes(10, 5));
      app->ReleaseFiles();
    }
    EXPECT_EQ(OtherEntries(Folder(), {"HaldenGrid.exe"}), std::vector<std::string>{});
    SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(Wide(path).c_str());
  }
  ASSERT_TRUE(CreateDirectoryW(Wide(Path("folder")).c_str(), nullptr));
  WriteNew(Path("folder"), Bytes(3));
  EXPECT_EQ(FailureOf([&] { app->PutInPlace(Path("folder")); }).number, ErrorNumber::kPathFileAccessError);
}

// Under Wine a symbolic link to a file looks like the file; deleting it or opening it for
// writing reaches what it points to. The services replace the link itself instead.
TEST_F(HeldFilesTest, ALinkIsReplacedItselfAndWhatItPointsToIsNeverTouched) {
  const std::string victim = Path("victim.dll");
  PutFile(victim, Bytes(300, 7));
  for (const char* way : {"put in place", "save picture", "remove"}) {
    SCOPED_TRACE(way);
    const std::string link = Path("link.bin");
    ASSERT_TRUE(wine_host::MakeSymbolicLink(Wide(link), Wide(victim)));
    if (Contents(link) != Bytes(300, 7)) GTEST_SKIP() << "no symbolic links on this host";
    if (std::string(way) == "put in place") {
      WriteNew(link, Bytes(40, 1));
      app->PutInPlace(link);
      EXPECT_EQ(Contents(link), Bytes(40, 1));
    } else if (std::string(way) == "save picture") {
      app->SavePicture(BytesPicture(Bytes(50, 2)), link);
      EXPECT_EQ(Contents(link), Bytes(50, 2));
    } else {
      app->RemoveFile(link);
      EXPECT_FALSE(Exists(link));
    }
    app->ReleaseFiles();
    EXPECT_EQ(Contents(victim), Bytes(300, 7));
    DeleteFileW(Wide(link).c_str());
  }
}

// A path is judged in its plain form: behind the long-path prefix a link above the folder
// is refused as in the plain path, and a real folder held; a device path, which reaches a
// volume past its drive letter, is never taken for a folder without a link on the way.
TEST_F(HeldFilesTest, AProductFolderIsJudgedInItsPlainFormAndDevicePathsAreRefused) {
  const std::string real = Path("real");
  ASSERT_TRUE(CreateDirectoryW(Wide(real).c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(Wide(real + "\\prod").c_str(), nullptr));
  ASSERT_TRUE(wine_host::MakeSymbolicLink(Wide(Path("link")), Wide(real)));
  struct Case {
    std::string folder;
    bool held;
    bool by_volume = false;  // past the drive letter to the volume itself
  };
  std::vector<Case> cases = {
      {real + "\\prod", true},
      {"\\\\?\\" + real + "\\prod", true},
      {Path("link") + "\\prod", false},
      {"\\\\?\\" + Path("link") + "\\prod", false},
      {"\\\\.\\" + real + "\\prod", false},
      {"\\\\?\\GLOBALROOT\\??\\" + real + "\\prod", false, true},
  };
  wchar_t volume[MAX_PATH + 1];  // "\\?\Volume{...}\"
  if (GetVolumeNameForVolumeMountPointW(Wide(real.substr(0, 3)).c_str(), volume, MAX_PATH + 1))
    cases.push_back({Utf8(volume) + real.substr(3) + "\\prod", false, true});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    Win32Services services;
    const std::string program = c.folder + "\\HaldenGrid.exe";
    if (c.held) {
      services.HoldProductFolder(program);
    } else {
      // Wine opens no volume path at all (path not found); Windows does, and the check says no.
      const Failure failure = FailureOf([&] { services.HoldProductFolder(program); });
      if (!c.by_volume || failure.number != ErrorNumber::kPathNotFound) {
        EXPECT_EQ(failure.number, ErrorNumber::kPathFileAccessError);
        EXPECT_NE(failure.detail.find("is a link to another place"), std::string::npos) << failure.detail;
      }
    }
  }
  DeleteFileW(Wide(Path("link")).c_str());
}

// The work folder the run holds is the setup's own: a product folder that is it, or a
// folder in it, is refused before anything is written, however its path spells it; a
// folder beside it whose name only begins the same is the product's.
// A product folder past MAX_PATH is the folder it names, and a link on the way to one still
// tells: the final path is read whatever its length (Wine reads it into MAX_PATH characters
// and fails past that). The new program goes in and replaces the old one there.
TEST_F(HeldFilesTest, AProductFolderPastMaxPathIsHeldAndWrittenAndALinkOnTheWayStillTells) {
  std::string real = Path("real");
  ASSERT_TRUE(CreateDirectoryW(Wide(real).c_str(), nullptr));
  ASSERT_TRUE(wine_host::MakeSymbolicLink(Wide(Path("link")), Wide(real)));
  std::string below;
  while ((real + below).size() < 320) {
    below += "\\" + std::string(40, static_cast<char>('a' + below.size() % 26));
    ASSERT_TRUE(CreateDirectoryW(Wide(real + below).c_str(), nullptr)) << (real + below).size();
  }
  PutFile(real + below + "\\HaldenGrid.exe", Bytes(7000, 3));
  for (const std::string& folder : {real + below, "\\\\?\\" + real + below}) {
    SCOPED_TRACE(folder.size());
    Win32Services services;
    const std::string program = folder + "\\HaldenGrid.exe";
    services.HoldProductFolder(program);
    const int number = services.FreeFileNumber();
    services.OpenNewFile(program, number);
    services.WriteRecords(number, 1, Bytes(5000, 4));
    services.CloseFile(number);
    services.PutInPlace(program);
    EXPECT_EQ(Contents(real + below + "\\HaldenGrid.exe"), Bytes(5000, 4));
  }
  for (const std::string& folder : {Path("link") + below, "\\\\?\\" + Path("link") + below}) {
    SCOPED_TRACE(folder);
    const Failure failure = FailureOf([&] { Win32Services().HoldProductFolder(folder + "\\HaldenGrid.exe"); });
    EXPECT_EQ(failure.number, ErrorNumber::kPathFileAccessError);
    EXPECT_NE(failure.detail.find("is a link to another place"), std::string::npos) << failure.detail;
  }
  DeleteFileW(Wide(Path("link")).c_str());
}

// Where the system cannot give a final path at all, the check says so: nothing is taken for
// a link, or for no link, without knowing.
TEST(LinkCheck, AFinalPathThatCannotBeReadIsSaidNotTakenForALink) {
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  ASSERT_TRUE(CreatePipe(&read_end, &write_end, nullptr, 0));
  const FileHandle reading(read_end);
  const FileHandle writing(write_end);
  EXPECT_EQ(FinalPathOf(reading.Get()), L"");
  const Failure failure = FailureOf([&] { ReachedWithoutLink(reading.Get(), L"C:\\hdgr\\HaldenGrid.exe"); });
  EXPECT_EQ(failure.number, ErrorNumber::kPathFileAccessError);
  EXPECT_NE(failure.detail.find("C:\\hdgr\\HaldenGrid.exe: the system cannot say where this lies"), std::string::npos)
      << failure.detail;
  EXPECT_EQ(failure.detail.find("is a link"), std::string::npos) << failure.detail;
}

TEST_F(HeldFilesTest, TheWorkFolderOrAFolderInItIsNeverTheProductsFolder) {
  const std::string work = Path("hdgr work folder");
  app->MakeFolder(work);
  ASSERT_TRUE(CreateDirectoryW(Wide(work + "\\sub").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(Wide(work + " 2").c_str(), nullptr));
  wchar_t short_name[MAX_PATH + 1];
  ASSERT_NE(GetShortPathNameW(Wide(work).c_str(), short_name, MAX_PATH + 1), 0u);
  const std::string short_work = Utf8(short_name);
  ASSERT_NE(short_work, work) << "no short name to spell it with";
  std::string upper = work;
  std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return static_cast<char>(std::toupper(c)); });
  for (const std::string& folder : {work, upper, "\\\\?\\" + work, short_work, work + "\\sub", short_work + "\\sub",
                                    "\\\\?\\" + short_work + "\\sub", work + "\\.\\sub\\.."}) {
    SCOPED_TRACE(folder);
    const Failure failure = FailureOf([&] { app->HoldProductFolder(folder + "\\HaldenGrid.exe"); });
    EXPECT_EQ(failure.number, ErrorNumber::kPathFileAccessError);
    for (const char* says : {"is the setup's own work folder", "not the product's folder: nothing was written"})
      EXPECT_NE(failure.detail.find(says), std::string::npos) << failure.detail;
  }
  app->HoldProductFolder(work + " 2\\HaldenGrid.exe");
  WriteNew(work + " 2\\HaldenGrid.exe", Bytes(3));
  app->PutInPlace(work + " 2\\HaldenGrid.exe");
  EXPECT_EQ(Contents(work + " 2\\HaldenGrid.exe"), Bytes(3));
  EXPECT_EQ(OtherEntries(work, {"sub"}), std::vector<std::string>{}) << "nothing written in the work folder";
}

// A new file is made and renamed through its folder's hold, never through the path again:
// once a folder above the held one is renamed and another put in its place (Windows refuses
// that rename while something below is open; Wine allows it), nothing reaches the newcomer.
TEST_F(HeldFilesTest, ANewFileGoesIntoTheHeldFolderWhereverItsPathNowLeads) {
  const std::string parent = Path("parent");
  const std::string held = parent + "\\held";
  ASSERT_TRUE(CreateDirectoryW(Wide(parent).c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(Wide(held).c_str(), nullptr));
  WriteNew(held + "\\first.bin", Bytes(3));  // the folder is held from here on
  const std::string moved = Path("moved");
  if (!MoveFileExW(Wide(parent).c_str(), Wide(moved).c_str(), 0))
    GTEST_SKIP() << "the system refuses to rename a folder above an open one";
  ASSERT_TRUE(CreateDirectoryW(Wide(parent).c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(Wide(held).c_str(), nullptr));

  WriteNew(held + "\\second.bin", Bytes(10, 4));
  EXPECT_EQ(OtherEntries(moved + "\\held", {}).size(), 2u) << "both new files in the held folder";
  try {
    app->PutInPlace(held + "\\second.bin");
  } catch (const RunTimeError&) {
    // Wine still knows the held folder by its old path and refuses; Windows renames it in there.
  }
  EXPECT_EQ(OtherEntries(held, {}), std::vector<std::string>{}) << "nothing in the folder put in its place";
  app->ReleaseFiles();
}

// Made through the folder's hold, a last name keeps the blanks and dots a path drops: a
// path whose last name would name another entry is refused before anything is made.
TEST_F(HeldFilesTest, APathThatDoesNotEndInAPlainFileNameIsRefused) {
  for (const char* name : {"", ".", "..", "Setup.exe.", "Setup.exe "}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(FailureOf([&] { app->OpenNewFile(Path(name), app->FreeFileNumber()); }).number,
              ErrorNumber::kBadFileNameOrNumber);
  }
  EXPECT_EQ(OtherEntries(Folder(), {}), std::vector<std::string>{});
}

// The one file a run starts, as the run does it: sealed under its fresh name, read back
// through the read-only hold, put in place through it, started.
TEST_F(HeldFilesTest, ASealedFileIsHeldReadOnlyAndStarts) {
  const ByteVector program = Contents(ProgramFolder() + "hdgr_win32_fixture.exe");
  ASSERT_FALSE(program.empty());
  const std::string path = Path("Setup.exe");
  WriteNew(path, program);
  app->SealFile(path);
  const std::vector<std::string> fresh = OtherEntries(Folder(), {});
  ASSERT_EQ(fresh.size(), 1u);
  EXPECT_FALSE(OthersCanWrite(Path(fresh[0])));
  EXPECT_FALSE(OthersCanRemoveOrRename(Path(fresh[0])));
  ByteVector read(program.size());
  app->ReadHeldFile(path, read);
  EXPECT_EQ(read, program);
  app->PutInPlace(path);
  EXPECT_EQ(OtherEntries(Folder(), {"Setup.exe"}), std::vector<std::string>{});
  EXPECT_FALSE(OthersCanWrite(path));
  EXPECT_FALSE(OthersCanRemoveOrRename(path));
  EXPECT_FALSE(AReaderSharingOnlyReadingCanOpen(path)) << "the hold the rename needed still has delete access";
  const std::uint32_t id = app->StartProgram(path, kShowNormalFocus);
  ASSERT_NE(id, 0u) << "a sealed file must start";
  // Let go of before the program ran: it may read itself sharing only reading.
  EXPECT_TRUE(AReaderSharingOnlyReadingCanOpen(path));
  const ProcessHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
  if (process) WaitForSingleObject(process.Get(), 10'000);
  EXPECT_TRUE(OthersCanRemoveOrRename(path));
  EXPECT_EQ(FailureOf([&] { app->SealFile(Path("not-held.exe")); }).number, ErrorNumber::kBadFileNameOrNumber);
}

// The installer's other files, as an install run hands them over: written, put in place,
// then held read-only until the run ends. An installer's reader that shares only reading
// opens them; nobody can write, rename or remove them.
TEST_F(HeldFilesTest, FilesHandedToTheInstallerAreReadableAndStillHeld) {
  const std::string path = Path("HaldenGrid.CAB");
  WriteNew(path, Bytes(70'000, 4));
  app->PutInPlace(path);
  EXPECT_FALSE(AReaderSharingOnlyReadingCanOpen(path)) << "the write hold refuses that reader";
  app->SealFile(path);
  EXPECT_TRUE(AReaderSharingOnlyReadingCanOpen(path));
  EXPECT_FALSE(OthersCanWrite(path));
  EXPECT_FALSE(OthersCanRemoveOrRename(path));
  ByteVector read(70'000);
  app->ReadHeldFile(path, read);
  EXPECT_EQ(read, Bytes(70'000, 4));
  app->ReleaseFiles();
  EXPECT_TRUE(OthersCanWrite(path));
}

TEST_F(HeldFilesTest, ASavedPictureIsHeldAndOpenedThroughItsHold) {
  const std::string path = Path("setup_image.bmp");
  PutFile(path, Bytes(300'000, 8));  // an older, longer one
  app->SavePicture(BytesPicture(Bytes(100'000, 3)), path);
  EXPECT_EQ(Contents(path), Bytes(100'000, 3));
  EXPECT_FALSE(OthersCanWrite(path));
  EXPECT_FALSE(OthersCanRemoveOrRename(path));
  EXPECT_EQ(app->FileLength(path), 100'000);
  app->OpenRandomFile(path, 1);
  ByteVector last(5);
  app->ReadRecords(1, 99'996, last);
  const ByteVector saved = Bytes(100'000, 3);
  EXPECT_EQ(last, ByteVector(saved.end() - 5, saved.end()));
  app->CloseAllFiles();
  app->RemoveFile(path);
  EXPECT_FALSE(Exists(path));

  PutFile(Path("read-only.bmp"), Bytes(10, 8), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(FailureOf([&] { app->SavePicture(BytesPicture(Bytes(5)), Path("read-only.bmp")); }).number,
            ErrorNumber::kPathFileAccessError);
  EXPECT_EQ(Contents(Path("read-only.bmp")), Bytes(10, 8));
  EXPECT_EQ(FailureOf([&] { app->SavePicture(BytesPicture(Bytes(5)), Path("missing\\x.bmp")); }).number,
            ErrorNumber::kPathNotFound);
  EXPECT_EQ(OtherEntries(Folder(), {"read-only.bmp"}), std::vector<std::string>{});
}

}  // namespace
}  // namespace hdgr::win32::testing
