#include "platform/win32/win32_services.h"
#include "platform/win32/base/unique_handle.h"
#include "platform/win32/base/wide_text.h"
#include "tests/wine/registry_link.h"

#include "win32_test_support.h"

namespace hdgr::win32::testing {
namespace {

// A throw-away application key, HKCU\Software\HdgrTest-<process id>.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, Key().c_str()); }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, Key().c_str()); }
  std::wstring Key() const { return L"Software\\" + Wide(application); }
  void StoreRaw(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
    RegistryKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (Key() + L"\\applicationSettings").c_str(), 0, nullptr,
                              0, KEY_SET_VALUE, nullptr, key.Receive(), nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key.Get(), name, 0, type, static_cast<const BYTE*>(data), bytes), ERROR_SUCCESS);
  }

  const std::string application = "HdgrTest-" + std::to_string(GetCurrentProcessId());
  Win32Services app;
};

TEST_F(SettingsTest, MissingApplicationSectionOrKeyGivesTheDefault) {
  EXPECT_EQ(app.ReadSetting(application, "applicationSettings", "app_Major", "0"), "0");
  app.SaveSetting(application, "otherSection", "app_Major", "9");
  EXPECT_EQ(app.ReadSetting(application, "applicationSettings", "app_Major", "0"), "0");
  app.SaveSetting(application, "applicationSettings", "app_Minor", "4");
  EXPECT_EQ(app.ReadSetting(application, "applicationSettings", "app_Major", "0"), "0");
  EXPECT_EQ(app.ReadSetting(application, "applicationSettings", "app_path", ""), "");
}

TEST_F(SettingsTest, SaveCreatesWhatIsMissingAndReplacesTheValue) {
  app.SaveSetting(application, "applicationSettings", "app_Major", "3");
  app.SaveSetting(application, "applicationSettings", "app_Major", "03 ");
  EXPECT_EQ(app.ReadSetting(application, "applicationSettings", "app_Major", "0"), "03 ");
  DWORD type = 0;
  wchar_t stored[16] = {};
  DWORD bytes = sizeof stored;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, (Key() + L"\\applicationSettings").c_str(), L"app_Major",
                         RRF_RT_ANY, &type, stored, &bytes),
            ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD{REG_SZ});
  EXPECT_STREQ(stored, L"03 ");
}

TEST_F(SettingsTest, StoredTextComesBackAsStored) {
  app.SaveSetting(application, "applicationSettings", "app_path", "");
  EXPECT_EQ(app.ReadSetting(application, "applicationSettings", "app_path", "default"), "")
      << "an existing empty value is not missing";
  const std::string folder = "C:\\Programme\\Prodütto Ωmega 製品\\";
  app.SaveSetting(application, "applicationSettings", "app_path", folder);
  EXPECT_EQ(app.ReadSetting(application, "applicationSettings", "app_path", ""), folder);
  const std::string long_text(5000, 'x');
  app.SaveSetting(application, "applicationSettings", "app_path", long_text);
  EXPECT_EQ(app.ReadSetting(application, "applicationSettings", "app_path", ""), long_text);
}

TEST_F(SettingsTest, AValueNotStoredAsTextIsATypeMismatch) {
  const DWORD three = 3;
  StoreRaw(L"app_Major", REG_DWORD, &three, sizeof three);
  const Failure failure =
      FailureOf([&] { app.ReadSetting(application, "applicationSettings", "app_Major", "0"); });
  EXPECT_EQ(failure.number, ErrorNumber::kTypeMismatch);
  EXPECT_NE(failure.detail.find("app_Major"), std::string::npos) << failure.detail;

  const wchar_t expandable[] = L"%TEMP%";
  StoreRaw(L"app_path", REG_EXPAND_SZ, expandable, sizeof expandable);
  EXPECT_EQ(app.ReadSetting(application, "applicationSettings", "app_path", ""), "%TEMP%");
}

// Another program of the user's may make the application's key or the section's key a link
// to the machine's settings, or to a key of its own holding the versions it likes.
TEST_F(SettingsTest, ARegistryLinkOnTheWayIsRefusedNotFollowed) {
  const std::wstring elsewhere = Key() + L"-elsewhere";
  struct Case {
    const char* what;
    std::wstring link;  // under HKEY_CURRENT_USER
    HKEY target_root;
    std::wstring target;  // the key the link names, under target_root
    bool target_exists;
  };
  const Case cases[] = {
      {"the section's key, to a key of the user's", Key() + L"\\applicationSettings", HKEY_CURRENT_USER, elsewhere,
       true},
      {"the application's key, to the machine's", Key(), HKEY_LOCAL_MACHINE, elsewhere, true},
      {"the section's key, to a missing key of the machine's", Key() + L"\\applicationSettings", HKEY_LOCAL_MACHINE,
       elsewhere, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // The target as the version check would find it through the link: the section's values.
    const std::wstring target_section = c.link == Key() ? c.target + L"\\applicationSettings" : c.target;
    RegDeleteTreeW(c.target_root, c.target.c_str());
    RegDeleteKeyW(c.target_root, c.target.c_str());
    if (c.target_exists) {
      ASSERT_EQ(RegSetKeyValueW(c.target_root, target_section.c_str(), L"app_Major", REG_SZ, L"9", sizeof L"9"),
                ERROR_SUCCESS);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, Key().c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, Key().c_str());
    if (c.link != Key()) {
      RegistryKey application_key;
      ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, Key().c_str(), application_key.Receive()), ERROR_SUCCESS);
    }
    {
      const std::wstring name = (c.target_root == HKEY_LOCAL_MACHINE ? wine_host::MachineKeyName(c.target)
                                                                     : wine_host::UserKeyName(c.target));
      const wine_host::RegistryLink link(c.link, name);
      ASSERT_TRUE(link.Made());

      const std::string named = "HKEY_CURRENT_USER\\" + Utf8(c.link) + " is a registry link";
      const Failure read = FailureOf([&] { app.ReadSetting(application, "applicationSettings", "app_Major", "0"); });
      EXPECT_EQ(read.number, ErrorNumber::kPathFileAccessError);
      EXPECT_NE(read.detail.find(named), std::string::npos) << read.detail;
      const Failure saved = FailureOf([&] { app.SaveSetting(application, "applicationSettings", "app_Major", "3"); });
      EXPECT_EQ(saved.number, ErrorNumber::kPathFileAccessError);
      EXPECT_NE(saved.detail.find(named), std::string::npos) << saved.detail;
    }
    wchar_t stored[8] = {};
    DWORD bytes = sizeof stored;
    const LSTATUS status =
        RegGetValueW(c.target_root, target_section.c_str(), L"app_Major", RRF_RT_REG_SZ, nullptr, stored, &bytes);
    if (c.target_exists) {
      EXPECT_EQ(status, ERROR_SUCCESS);
      EXPECT_STREQ(stored, L"9") << "written through the link";
    } else {
      RegistryKey made;
      EXPECT_NE(RegOpenKeyExW(c.target_root, c.target.c_str(), 0, KEY_READ, made.Receive()), ERROR_SUCCESS)
          << "the link's missing target was made";
    }
    RegDeleteTreeW(c.target_root, c.target.c_str());
    RegDeleteKeyW(c.target_root, c.target.c_str());
  }
}

}  // namespace
}  // namespace hdgr::win32::testing
