#include "platform/win32/win32_services.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/wide_text.h"

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

}  // namespace
}  // namespace hdgr::win32::testing
