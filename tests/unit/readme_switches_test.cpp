// The README's deployment tables and the program's own help are kept by hand in two
// places: every switch the help names and every exit code the program has must be in both.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/application_services.h"
#include "flows/switches.h"

namespace hdgr {
namespace {

std::string Readme() {
  std::ifstream file(std::string(HDGR_SOURCE_DIR) + "/README.md");
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// "/quiet", "/log", "/?", "/help": each switch the help text lists, without its argument.
std::vector<std::string> SwitchesInHelp() {
  std::vector<std::string> found;
  std::istringstream help(HelpText(Switches{}));
  for (std::string line; std::getline(help, line);) {
    if (line.rfind("  /", 0) != 0) continue;
    std::istringstream words(line.substr(2, line.find('\t') - 2));
    for (std::string word; words >> word;)
      if (word[0] == '/') found.push_back(word.back() == ',' ? word.substr(0, word.size() - 1) : word);
  }
  return found;
}

TEST(ReadmeSwitchesTest, TheReadmeListsEverySwitchAndExitCodeTheProgramKnows) {
  const std::string readme = Readme();
  ASSERT_FALSE(readme.empty());
  const std::vector<std::string> switches = SwitchesInHelp();
  EXPECT_EQ(switches, (std::vector<std::string>{"/quiet", "/passive", "/log", "/verify", "/layout", "/?", "/help"}));
  for (const std::string& word : switches) EXPECT_NE(readme.find("`" + word), std::string::npos) << word;
  // The package's own switches, for the copy it starts elevated, are documented too.
  for (const char* word : {"`/elevated-install`", "`/elevated-upgrade FOLDER`"})
    EXPECT_NE(readme.find(word), std::string::npos) << word;
  for (const int code : {kExitDone, kExitFailed, kExitProductRunning, kExitNothingToDo, kExitCancelled,
                         kExitAnotherSetupRunning, kExitServiceAccount, kExitNotSigned, kExitSignerNotTrusted,
                         kExitSignatureBroken, kExitBadCommandLine}) {
    EXPECT_NE(readme.find("\n| " + std::to_string(code) + " |"), std::string::npos) << code;
    EXPECT_NE(HelpText(Switches{}).find(std::to_string(code) + " "), std::string::npos) << code;
  }
}

}  // namespace
}  // namespace hdgr
