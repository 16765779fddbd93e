// The work folder: made open to us alone, held for the run, refused when it is not ours.
#include <aclapi.h>
#include <sddl.h>

#include "platform/win32/unique_handle.h"
#include "platform/win32/wide_text.h"
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

// Wine keeps no access lists of its own: it reads them back from the host's permissions,
// so what can be checked here is that nobody but us, SYSTEM and the administrators is let
// in, where a folder made the ordinary way lets everyone read.
TEST_F(FoldersTest, AFolderTheRunMakesLetsInOnlyTheUserSystemAndTheAdministrators) {
  const std::string made = Path("work");
  {
    Win32Services app;
    app.MakeFolder(made);
    const std::vector<std::wstring> trustees = Trustees(made);
    ASSERT_FALSE(trustees.empty());
    for (const std::wstring& sid : trustees)
      EXPECT_TRUE(sid == L"S-1-5-18" || sid == L"S-1-5-32-544" || sid == CurrentUser()) << Utf8(sid);
    EXPECT_NE(std::find(trustees.begin(), trustees.end(), CurrentUser()), trustees.end());
    EXPECT_FALSE(Renamable(made)) << "held for the run";
    EXPECT_FALSE(RemoveDirectoryW(Wide(made).c_str()));
    EXPECT_EQ(FailureOf([&] { app.MakeFolder(made); }).number, ErrorNumber::kPathFileAccessError);
    EXPECT_EQ(FailureOf([&] { app.MakeFolder(Path("no\\such")); }).number, ErrorNumber::kPathNotFound);
  }
  EXPECT_TRUE(Renamable(made)) << "let go of at the end";
  ASSERT_TRUE(CreateDirectoryW(Wide(Path("ordinary")).c_str(), nullptr));
  std::printf("an ordinary folder lets in %zu trustees, ours %zu\n", Trustees(Path("ordinary")).size(),
              Trustees(made).size());
}

TEST_F(FoldersTest, HoldFolderTakesOnlyARealFolderOfOurs) {
  ASSERT_TRUE(CreateDirectoryW(Wide(Path("ours")).c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(Wide(Path("elsewhere")).c_str(), nullptr));
  ASSERT_TRUE(wine_host::MakeSymbolicLink(Wide(Path("link")), Wide(Path("elsewhere"))));
  PutFile(Path("file"), Bytes(3));
  ASSERT_TRUE(CreateDirectoryW(Wide(Path("theirs")).c_str(), nullptr));
  wine_host::GiveToAnotherUser(Wide(Path("theirs")));
  const bool other_owner = Trustees(Path("theirs")) != Trustees(Path("ours"));
  {
    Win32Services app;
    app.HoldFolder(Path("ours"));
    EXPECT_FALSE(Renamable(Path("ours")));
    struct Case {
      const char* name;
      ErrorNumber number;
      const char* says;
    };
    const Case cases[] = {
        {"link", ErrorNumber::kPathFileAccessError, "is a link"},
        {"file", ErrorNumber::kPathFileAccessError, "is a file"},
        {"missing", ErrorNumber::kPathNotFound, "missing"},
        {"theirs", ErrorNumber::kPermissionDenied, "belongs to another user"},
    };
    for (const Case& c : cases) {
      if (std::string(c.name) == "theirs" && !other_owner) {
        std::printf("the host cannot give a folder to another user here: not checked\n");
        continue;
      }
      const Failure failure = FailureOf([&] { app.HoldFolder(Path(c.name)); });
      EXPECT_EQ(failure.number, c.number) << c.name;
      EXPECT_NE(failure.detail.find(c.says), std::string::npos) << failure.detail;
    }
    EXPECT_TRUE(Renamable(Path("elsewhere"))) << "nothing is held of a refused folder";
  }
  wine_host::TakeBack(Wide(Path("theirs")));
  DeleteFileW(Wide(Path("link")).c_str());
}

}  // namespace
}  // namespace hdgr::win32::testing
