#include "flows/switches.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hdgr {
namespace {

// Named fields, each false or empty unless a row says otherwise: a new switch is a new
// field, not an edit of every row.
struct Row {
  std::vector<std::string> arguments;
  bool quiet = false;
  bool passive = false;
  bool verify = false;
  bool help = false;
  std::optional<std::string> log = std::nullopt;
  std::optional<std::string> offending = std::nullopt;
};

TEST(SwitchesTest, EveryWayOfWritingASwitchAndEveryWrongWord) {
  const std::vector<Row> rows = {
      {.arguments = {}},
      {.arguments = {"/quiet"}, .quiet = true},
      {.arguments = {"-QUIET", "/Log", "c:\\logs\\setup log.txt"}, .quiet = true, .log = "c:\\logs\\setup log.txt"},
      {.arguments = {"/log=d:\\x.log", "/passive"}, .passive = true, .log = "d:\\x.log"},
      {.arguments = {"/LOG=D:\\Mixed Case.log"}, .log = "D:\\Mixed Case.log"},
      {.arguments = {"/verify", "-?"}, .verify = true, .help = true},
      {.arguments = {"/HELP"}, .help = true},
      {.arguments = {"/quiet", "/force", "/bogus"}, .quiet = true, .offending = "/force"},
      {.arguments = {"install"}, .offending = "install"},
      {.arguments = {"/log"}, .offending = "/log"},
      {.arguments = {"/log", "/quiet"}, .quiet = true, .offending = "/log"},
      {.arguments = {"/log="}, .offending = "/log="},
      {.arguments = {"/"}, .offending = "/"},
      {.arguments = {"", "/quiet"}, .quiet = true, .offending = ""},
      {.arguments = {"/quiet", "/log", ""}, .quiet = true, .offending = "/log"},
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
