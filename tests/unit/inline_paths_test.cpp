// The calls a copy makes at every byte or progress point can be answered inline, without
// reaching the implementation; these are the rules implementations rely on.

#include <gtest/gtest.h>

#include "fake_platform.h"

namespace hdgr::testing {
namespace {

class PassingServices : public FakePlatform {
 public:
  void PassNextPumps(std::uint32_t count) { PassPumps(count); }
};

TEST(InlinePaths, PassedPumpsReturnAtOnceUntilTheCountIsSpent) {
  PassingServices services;
  services.PassNextPumps(2);
  services.PumpEvents();
  services.PumpEvents();
  EXPECT_TRUE(services.calls.empty());
  services.PumpEvents();
  services.PumpEvents();
  EXPECT_EQ(services.calls, (std::vector<std::string>{"PumpEvents", "PumpEvents"}));
}

TEST(InlinePaths, ABarThatKeepsItsValueHearsNothingOfIt) {
  struct KeepingBar : ProgressBar {
    KeepingBar() : ProgressBar(true) {}
    void SetMax(float) override {}
    void ValueSet() override { ++notices; }
    int notices = 0;
  } keeping;
  keeping.SetValue(18'104.3f);
  EXPECT_EQ(keeping.Value(), 18'104.3f);
  EXPECT_EQ(keeping.notices, 0);

  FakePlatform fake;  // its bar hears every Value, in order
  fake.progress_bar1.SetValue(0.1f);
  fake.progress_bar1.SetValue(0.2f);
  EXPECT_EQ(fake.progress_bar1.values, (std::vector<float>{0.1f, 0.2f}));
  EXPECT_EQ(fake.progress_bar1.Value(), 0.2f);
}

}  // namespace
}  // namespace hdgr::testing
