#include "installed/product_settings.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "fake_platform.h"

namespace hdgr::testing {
namespace {

using Calls = std::vector<std::string>;

class ProductSettingsTest : public ::testing::Test {
 protected:
  void Store(const std::string& key, const std::string& value) {
    fake.settings["HaldenGrid\\applicationSettings\\" + key] = value;
  }
  FakePlatform fake;
  InstalledCopy installed;
};

TEST_F(ProductSettingsTest, EmptyStoreReadsInOrderWithDefaults) {
  ReadInstalledCopy(fake, installed);
  EXPECT_EQ(fake.calls, (Calls{"ReadSetting(app_path)", "ReadSetting(app_Major)",
                               "ReadSetting(app_Minor)", "ReadSetting(app_Revision)"}));
  EXPECT_EQ(installed.folder, "");
  EXPECT_EQ(installed.major, 0);
  EXPECT_EQ(installed.minor, 0);
  EXPECT_EQ(installed.revision, 0);
  EXPECT_TRUE(fake.settings.empty());
}

TEST_F(ProductSettingsTest, StoredTextsAreConvertedAndThePathKeptAsItIs) {
  Store("app_path", "  C:\\Program Files\\Halden Grid\\ ");
  Store("app_Major", "07");
  Store("app_Minor", " 3 ");
  Store("app_Revision", "-1");
  ReadInstalledCopy(fake, installed);
  EXPECT_EQ(installed.folder, "  C:\\Program Files\\Halden Grid\\ ");
  EXPECT_EQ(installed.major, 7);
  EXPECT_EQ(installed.minor, 3);
  EXPECT_EQ(installed.revision, -1);
}

TEST_F(ProductSettingsTest, BadVersionTextFailsNamingTheSettingAndChangesNothing) {
  struct Case {
    std::string key;
    std::string text;
    ErrorNumber error;
    std::size_t reads;  // the failing entry is the last one read
  };
  const std::vector<Case> cases = {
      {"app_Revision", "", ErrorNumber::kTypeMismatch, 4},  // present but empty: no default
      {"app_Revision", "abc", ErrorNumber::kTypeMismatch, 4},
      {"app_Minor", "4.x", ErrorNumber::kTypeMismatch, 3},
      {"app_Major", "40000", ErrorNumber::kOverflow, 2},
      {"app_Major", "-32769", ErrorNumber::kOverflow, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key + " = \"" + c.text + "\"");
    FakePlatform store;
    store.settings["HaldenGrid\\applicationSettings\\app_path"] = "C:\\HG";
    store.settings["HaldenGrid\\applicationSettings\\" + c.key] = c.text;
    const auto before = store.settings;
    InstalledCopy read;
    try {
      ReadInstalledCopy(store, read);
      ADD_FAILURE() << "read";
    } catch (const RunTimeError& error) {
      EXPECT_EQ(error.Number(), c.error);
      EXPECT_EQ(error.Detail(), "Setting " + c.key + " = \"" + c.text + "\"");
      // Which value, under which key, to correct or remove.
      EXPECT_NE(error.MessageText().find("\nCorrect or remove the value " + c.key +
                                         " under HKEY_CURRENT_USER\\Software\\HaldenGrid\\applicationSettings"),
                std::string::npos)
          << error.MessageText();
    }
    EXPECT_EQ(store.calls.size(), c.reads);
    EXPECT_EQ(store.calls.back(), "ReadSetting(" + c.key + ")");
    EXPECT_EQ(store.settings, before);
    EXPECT_EQ(read.folder, "");  // the installed copy is not half set
  }
}

TEST_F(ProductSettingsTest, RecordWritesTheOwnVersionInOrderAndLeavesThePath) {
  Store("app_Major", "2");
  Store("app_Minor", "9");
  Store("app_Revision", "9");
  RecordInstalledVersion(fake);
  EXPECT_EQ(fake.CallsStartingWith("SaveSetting("),
            (Calls{"SaveSetting(app_Major,3)", "SaveSetting(app_Minor,4)", "SaveSetting(app_Revision,0)"}));
  EXPECT_EQ(fake.Setting("app_Major"), "3");
  EXPECT_EQ(fake.Setting("app_Minor"), "4");
  EXPECT_EQ(fake.Setting("app_Revision"), "0");
  EXPECT_EQ(fake.Setting("app_path"), "<missing>");

  Store("app_path", " C:\\HG ");
  RecordInstalledVersion(fake);
  EXPECT_EQ(fake.Setting("app_path"), " C:\\HG ");
}

TEST_F(ProductSettingsTest, FailingSaveKeepsTheEntriesWrittenBefore) {
  fake.Fail(Op::kSaveSetting, "app_Minor", ErrorNumber::kPermissionDenied);
  EXPECT_THROW(RecordInstalledVersion(fake), RunTimeError);
  EXPECT_EQ(fake.Setting("app_Major"), "3");
  EXPECT_EQ(fake.Setting("app_Minor"), "<missing>");
  EXPECT_EQ(fake.Setting("app_Revision"), "<missing>");
}

}  // namespace
}  // namespace hdgr::testing
