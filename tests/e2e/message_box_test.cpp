#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/win32/unique_handle.h"
#include "platform/win32/wide_text.h"
#include "tests/e2e/driver/e2e_message_box.h"
#include "tests/e2e/e2e_fixture.h"

namespace hdgr::e2e {
namespace {

constexpr auto kTimeout = 60s;
constexpr wchar_t kFormClass[] = L"HdgrForm";

void StoreSetting(const wchar_t* name, const std::wstring& value) {
  win32::RegistryKey key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\HaldenGrid\\applicationSettings", 0, nullptr, 0,
                            KEY_WRITE, nullptr, key.Receive(), nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

class StartUpMessageTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProductState(); }
  void TearDown() override {
    process_.Kill();
    ResetProductState();
  }
  Process process_;
};

TEST_F(StartUpMessageTest, DriverReadsAnInformationBoxAndPressesOk) {
  StoreSetting(L"app_path", L"c:\\no such folder");
  process_ = Start(SetupProgramPath());
  const auto box = WaitForMessageBox(L"hdGR", kTimeout, process_.Id());
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text,
            L"HdGR settings were found in your registry, but the program had either been uninstalled or its "
            L"executable has been deleted.  You may install this copy.");
  EXPECT_EQ(box->icon, BoxIcon::kInformation);
  EXPECT_EQ(WaitForWindow(kSetupTitle, 0ms, process_.Id(), kFormClass), nullptr) << "shown before the message";
  PressOk(box->window);
  HWND window = WaitForWindow(kSetupTitle, kTimeout, process_.Id(), kFormClass);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(ControlOf(window, "Label5").caption, L"Ready to install!");
}

TEST_F(StartUpMessageTest, DriverReadsAnErrorBoxAndTheProgramEndsWithCode1) {
  StoreSetting(L"app_Revision", L"abc");
  process_ = Start(SetupProgramPath());
  const auto box = WaitForMessageBox(kSetupTitle, kTimeout, process_.Id());
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text.rfind(L"Run-time error 13: Type mismatch", 0), 0u) << win32::Utf8(box->text);
  EXPECT_NE(box->text.find(L"app_Revision"), std::wstring::npos);
  EXPECT_EQ(box->icon, BoxIcon::kError);
  PressOk(box->window);
  EXPECT_EQ(process_.WaitForExit(kTimeout), 1u);
  EXPECT_EQ(WaitForWindow(kSetupTitle, 0ms, process_.Id(), kFormClass), nullptr);
}

}  // namespace
}  // namespace hdgr::e2e
