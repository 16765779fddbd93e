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
  CommandLineFault fault = CommandLineFault::kNone;
  std::optional<ElevatedPart> elevated = std::nullopt;
  std::optional<std::string> layout = std::nullopt;
};

constexpr CommandLineFault kNotASwitch = CommandLineFault::kNotASwitch;
constexpr CommandLineFault kGivenTwice = CommandLineFault::kGivenTwice;
constexpr CommandLineFault kHelpNotAlone = CommandLineFault::kHelpNotAlone;
constexpr CommandLineFault kNotWithLayout = CommandLineFault::kNotWithLayout;
constexpr CommandLineFault kNoLayoutFolder = CommandLineFault::kNoLayoutFolder;

TEST(SwitchesTest, EveryWayOfWritingASwitchAndEveryWrongWord) {
  const std::vector<Row> rows = {
      {.arguments = {}},
      {.arguments = {"/quiet"}, .quiet = true},
      {.arguments = {"-QUIET", "/Log", "c:\\logs\\setup log.txt"}, .quiet = true, .log = "c:\\logs\\setup log.txt"},
      {.arguments = {"/log=d:\\x.log", "/passive"}, .passive = true, .log = "d:\\x.log"},
      {.arguments = {"/LOG=D:\\Mixed Case.log"}, .log = "D:\\Mixed Case.log"},
      {.arguments = {"/HELP"}, .help = true},
      {.arguments = {"-?"}, .help = true},
      {.arguments = {"/quiet", "/force", "/bogus"}, .quiet = true, .offending = "/force", .fault = kNotASwitch},
      {.arguments = {"install"}, .offending = "install", .fault = kNotASwitch},
      {.arguments = {"/log"}, .offending = "/log", .fault = kNotASwitch},
      {.arguments = {"/log", "/quiet"}, .quiet = true, .offending = "/log", .fault = kNotASwitch},
      {.arguments = {"/log="}, .offending = "/log=", .fault = kNotASwitch},
      {.arguments = {"/"}, .offending = "/", .fault = kNotASwitch},
      {.arguments = {"", "/quiet"}, .quiet = true, .offending = "", .fault = kNotASwitch},
      {.arguments = {"/quiet", "/log", ""}, .quiet = true, .offending = "/log", .fault = kNotASwitch},
      // Each switch once, however it is written; the first log stays, though nothing uses it.
      {.arguments = {"/quiet", "-QUIET"}, .quiet = true, .offending = "-QUIET", .fault = kGivenTwice},
      {.arguments = {"/log", "a", "/log=b"}, .log = "a", .offending = "/log=b", .fault = kGivenTwice},
      {.arguments = {"/log=a", "/Log", "b", "/quiet"}, .quiet = true, .log = "a", .offending = "/Log",
       .fault = kGivenTwice},
      {.arguments = {"/verify", "/passive", "/verify"}, .passive = true, .verify = true, .offending = "/verify",
       .fault = kGivenTwice},
      {.arguments = {"/?", "/help"}, .help = true, .offending = "/help", .fault = kGivenTwice},
      {.arguments = {"/passive", "/passive", "/bogus"}, .passive = true, .offending = "/passive",
       .fault = kGivenTwice},
      // The package's own, for the administrator's copy it starts.
      {.arguments = {"/elevated-install", "/quiet"}, .quiet = true, .elevated = ElevatedPart{}},
      {.arguments = {"/Elevated-Upgrade", "C:\\Program Files\\HG\\"},
       .elevated = ElevatedPart{true, "C:\\Program Files\\HG\\"}},
      {.arguments = {"/elevated-upgrade"}, .offending = "/elevated-upgrade", .fault = kNotASwitch},
      {.arguments = {"/elevated-install", "/elevated-upgrade", "c:\\p"}, .offending = "/elevated-upgrade",
       .fault = kGivenTwice, .elevated = ElevatedPart{}},
      // The help alone, or the command line is a bad one: its 0 would read as a run done.
      {.arguments = {"/quiet", "/help"}, .quiet = true, .help = true, .offending = "/quiet", .fault = kHelpNotAlone},
      {.arguments = {"-?", "/log=x.log", "/verify"}, .verify = true, .help = true, .log = "x.log",
       .offending = "/log=x.log", .fault = kHelpNotAlone},
      {.arguments = {"/?", "/bogus"}, .help = true, .offending = "/bogus", .fault = kNotASwitch},
      // A layout: the folder as the system resolves it, with a quiet run and a log only;
      // without a folder it may write, the command line is a bad one.
      {.arguments = {"/LAYOUT", "D:\\share\\hg 3.5\\"}, .layout = "D:\\share\\hg 3.5"},
      {.arguments = {"/quiet", "/layout=\\\\srv\\deploy\\x\\..\\hg", "/log", "a.log"}, .quiet = true, .log = "a.log",
       .layout = "\\\\srv\\deploy\\hg"},
      {.arguments = {"/layout=\\\\?\\C:\\Layout"}, .layout = "C:\\Layout"},
      {.arguments = {"/layout"}, .offending = "/layout", .fault = kNotASwitch},
      {.arguments = {"/layout="}, .offending = "/layout=", .fault = kNotASwitch},
      {.arguments = {"/layout", "/quiet"}, .quiet = true, .offending = "/layout", .fault = kNotASwitch},
      {.arguments = {"/layout", "hg"}, .offending = "hg", .fault = kNoLayoutFolder},
      {.arguments = {"/layout=x."}, .offending = "/layout=x.", .fault = kNoLayoutFolder},
      {.arguments = {"/layout", "C:hg"}, .offending = "C:hg", .fault = kNoLayoutFolder},
      {.arguments = {"/layout", "\\hg"}, .offending = "\\hg", .fault = kNoLayoutFolder},
      {.arguments = {"/layout", "\\\\.\\C:\\hg"}, .offending = "\\\\.\\C:\\hg", .fault = kNoLayoutFolder},
      {.arguments = {"/layout", "C:\\hg*"}, .offending = "C:\\hg*", .fault = kNoLayoutFolder},
      {.arguments = {"/layout", "E:\\"}, .offending = "E:\\", .fault = kNoLayoutFolder},
      {.arguments = {"/layout", "\\\\srv\\deploy"}, .offending = "\\\\srv\\deploy", .fault = kNoLayoutFolder},
      {.arguments = {"/layout", "C:\\HDGR_TEMP_SETUP\\out"}, .offending = "C:\\HDGR_TEMP_SETUP\\out",
       .fault = kNoLayoutFolder},
      {.arguments = {"/layout", "c:\\x\\..\\hdgr_temp_setup."}, .offending = "c:\\x\\..\\hdgr_temp_setup.",
       .fault = kNoLayoutFolder},
      {.arguments = {"/layout", "c:\\a", "/verify"}, .verify = true, .offending = "/verify", .fault = kNotWithLayout,
       .layout = "c:\\a"},
      {.arguments = {"/passive", "/layout", "c:\\a"}, .passive = true, .offending = "/passive", .fault = kNotWithLayout,
       .layout = "c:\\a"},
      {.arguments = {"/elevated-install", "/layout", "c:\\a"}, .offending = "/elevated-install",
       .fault = kNotWithLayout, .elevated = ElevatedPart{}, .layout = "c:\\a"},
      {.arguments = {"/layout", "c:\\a", "/layout=c:\\b"}, .offending = "/layout=c:\\b", .fault = kGivenTwice,
       .layout = "c:\\a"},
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
    EXPECT_EQ(switches.fault, row.fault);
    EXPECT_EQ(switches.layout_folder, row.layout);
    EXPECT_EQ(switches.elevated_part.has_value(), row.elevated.has_value());
    if (switches.elevated_part && row.elevated) {
      EXPECT_EQ(switches.elevated_part->upgrade, row.elevated->upgrade);
      EXPECT_EQ(switches.elevated_part->product_folder, row.elevated->product_folder);
    }
  }
}

TEST(SwitchesTest, TheHelpSaysWhatIsWrongWithTheOffendingWordFirstAndEveryExitCode) {
  const struct {
    std::vector<std::string> arguments;
    const char* starts;
  } rows[] = {
      {{"/quiet", "/bogus"}, "Not a switch of this setup: /bogus\r\n\r\nHalden Grid setup"},
      {{"/quiet", "", "/bogus"}, "Not a switch of this setup: \"\"\r\n"},
      {{"/log", "a", "-LOG=b"}, "Given twice: -LOG=b\r\n"},
      {{"/verify", "/?"}, "Not with /? or /help: /verify\r\n"},
      {{"/help"}, "Halden Grid setup, for unattended deployment:"},
      {{"/layout", "c:\\a", "/passive"}, "Not with /layout: /passive\r\n"},
      {{"/layout", "hg"}, "Not a folder to lay the installer's files out in: hg (no full path of a folder)\r\n"},
      {{"/layout", "c:\\hdgr_temp_setup"},
       "Not a folder to lay the installer's files out in: c:\\hdgr_temp_setup (the setup's own work folder"},
  };
  for (const auto& row : rows) {
    const std::string help = HelpText(ParseSwitches(row.arguments));
    EXPECT_EQ(help.rfind(row.starts, 0), 0u) << help;
    for (const char* code : {"0 done", "1 run-time error", "2 the product is running", "3 the installed copy",
                             "4 cancelled", "5 another setup", "87 bad command line", "7 not signed",
                             "8 signed by a publisher", "9 signature broken"})
      EXPECT_NE(help.find(code), std::string::npos) << code;
  }
  EXPECT_EQ(DescribeSwitches(ParseSwitches(std::vector<std::string>{"/passive", "/log", "a b.log"})),
            "/passive /log \"a b.log\"");
  EXPECT_EQ(DescribeSwitches(ParseSwitches(std::vector<std::string>{"/layout", "c:\\deploy\\..\\hg 3.5"})),
            "/layout \"c:\\hg 3.5\"");
}

}  // namespace
}  // namespace hdgr
