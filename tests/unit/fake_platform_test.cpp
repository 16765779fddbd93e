#include "fake_platform.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace hdgr::testing {
namespace {

TEST(FakePlatform, EndProgramStopsTheCaller) {
  FakePlatform fake;
  EXPECT_THROW(fake.EndProgram(), ProgramEnded);
  EXPECT_EQ(fake.calls.back(), "EndProgram");
}

TEST(FakePlatform, InjectedFailureHitsTheChosenCallOnly) {
  FakePlatform fake;
  fake.Fail(Op::kSaveSetting, "app_Minor", ErrorNumber::kPermissionDenied);
  fake.SaveSetting("HaldenGrid", "applicationSettings", "app_Major", "3");
  EXPECT_THROW(fake.SaveSetting("HaldenGrid", "applicationSettings", "app_Minor", "4"), RunTimeError);
  fake.SaveSetting("HaldenGrid", "applicationSettings", "app_Minor", "4");
  EXPECT_EQ(fake.Setting("app_Major"), "3");
  EXPECT_EQ(fake.Setting("app_Minor"), "4");
}

}  // namespace
// A test whose planned failure never fires guards nothing: it fails, and says which.
TEST(FakePlatform, APlannedFailureThatNeverFiresFailsTheTest) {
  EXPECT_NONFATAL_FAILURE(
      {
        FakePlatform local;
        local.Fail(Op::kWriteRecords, "c:\\x.bin", ErrorNumber::kDiskFull);
      },
      "a planned failure of WriteRecords on \"c:\\x.bin\" never fired");
}

}  // namespace hdgr::testing
