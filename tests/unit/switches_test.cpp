#include "setup_window/switches.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hdgr {
namespace {

struct Row {
  std::vector<std::string> arguments;
  bool quiet, passive, verify, help;
  std::optional<std::string> log;
  std::optional<std::string> offending;
};

TEST(SwitchesTest, EveryWayOfWritingASwitchAndEveryWrongWord) {
  const std::vector<Row> rows = {
      {{}, false, false, false, false, std::nullopt, std::nullopt},
      {{"/quiet"}, true, false, false, false, std::nullopt, std::nullopt},
      {{"-QUIET", "/Log", "c:\\logs\\setup log.txt"}, true, false, false, false, "c:\\logs\\setup log.txt", std::nullopt},
      {{"/log=d:\\x.log", "/passive"}, false, true, false, false, "d:\\x.log", std::nullopt},
      {{"/LOG=D:\\Mixed Case.log"}, false, false, false, false, "D:\\Mixed Case.log", std::nullopt},
      {{"/verify", "-?"}, false, false, true, true, std::nullopt, std::nullopt},
      {{"/HELP"}, false, false, false, true, std::nullopt, std::nullopt},
      {{"/quiet", "/force", "/bogus"}, true, false, false, false, std::nullopt, "/force"},
      {{"install"}, false, false, false, false, std::nullopt, "install"},
      {{"/log"}, false, false, false, false, std::nullopt, "/log"},
      {{"/log", "/quiet"}, true, false, false, false, std::nullopt, "/log"},
      {{"/log="}, false, false, false, false, std::nullopt, "/log="},
      {{"/"}, false, false, false, false, std::nullopt, "/"},
      {{"", "/quiet"}, true, false, false, false, std::nullopt, ""},
      {{"/quiet", "/log", ""}, true, false, false, false, std::nullopt, "/log"},
  };
  for (const Row& row : rows) {
    std::string shown;
    for (const auto& argument : row.arguments) shown += argument + " ";
    SCOPED_TRACE(shown);
    const Switches switches = ParseSwitches(row.arguments);
    EXPECT_EQ(switches.quiet, row.quiet);
    EXPECT_EQ(switches.passive, row.passive);
    EXPECT_EQ(switches.verify, row.verify);
    EXPECT_EQ(switches.help, row.help);
    EXPECT_EQ(switches.log_file, row.log);
    EXPECT_EQ(switches.offending, row.offending);
  }
}

TEST(SwitchesTest, TheHelpNamesTheOffendingWordFirstAndEveryExitCode) {
  const std::string help = HelpText("/bogus");
  EXPECT_EQ(help.rfind("Not a switch of this setup: /bogus", 0), 0u);
  for (const char* code : {"0 done", "1 run-time error", "2 the product is running", "3 the installed copy",
                           "4 cancelled", "5 another setup", "87 bad command line"})
    EXPECT_NE(help.find(code), std::string::npos) << code;
  EXPECT_EQ(HelpText(std::nullopt).find("Not a switch"), std::string::npos);
  EXPECT_EQ(DescribeSwitches(ParseSwitches(std::vector<std::string>{"/passive", "/log", "a b.log"})),
            "/passive /log \"a b.log\"");
}

}  // namespace
}  // namespace hdgr
