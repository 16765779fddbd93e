#include "fake_platform.h"

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
  fake.Fail("SaveSetting", "app_Minor", ErrorNumber::kPermissionDenied);
  fake.SaveSetting("HaldenGrid", "applicationSettings", "app_Major", "3");
  EXPECT_THROW(fake.SaveSetting("HaldenGrid", "applicationSettings", "app_Minor", "4"), RunTimeError);
  fake.SaveSetting("HaldenGrid", "applicationSettings", "app_Minor", "4");
  EXPECT_EQ(fake.Setting("app_Major"), "3");
  EXPECT_EQ(fake.Setting("app_Minor"), "4");
}

}  // namespace
}  // namespace hdgr::testing
