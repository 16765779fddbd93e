#include "flows/switches.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "flows/layout_run.h"
#include "platform/log_text.h"

namespace hdgr {

namespace {

constexpr std::string_view kHelp =
    "Halden Grid setup, for unattended deployment:\r\n"
    "\r\n"
    "  /quiet\tno window and no message; accepts on its own\r\n"
    "  /passive\tthe window and its progress only; accepts on its own\r\n"
    "  /log FILE\tappends what the setup does to FILE (also /log=FILE)\r\n"
    "  /verify\tchecks the package and its signature, writes nothing\r\n"
    "  /layout FOLDER\twrites the installer's files into FOLDER, starts nothing\r\n"
    "  /?, /help\tthis list, asked alone\r\n"
    "Each switch at most once.\r\n"
    "\r\n"
    "Exit codes: 0 done, 1 run-time error, 2 the product is running,\r\n"
    "3 the installed copy is current or newer, 4 cancelled by the user,\r\n"
    "5 another setup is running, 6 started as the system account (start it\r\n"
    "as the user), 87 bad command line. /verify: 0 intact and signed by a\r\n"
    "trusted publisher, 1 changed, 7 not signed, 8 signed by a publisher this\r\n"
    "machine does not trust, 9 signature broken.";

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
  return lower;
}

bool IsSwitch(std::string_view word) { return word.size() > 1 && (word[0] == '/' || word[0] == '-'); }

// The switch a word names, one name for each however it is written; empty for none.
std::string_view SwitchNamed(std::string_view lower_name) {
  for (const std::string_view name : {"quiet", "passive", "verify", "help", "log", "layout"})
    if (lower_name == name) return name;
  // One part for the elevated copy: the install or the upgrade.
  if (lower_name == "elevated-install" || lower_name == "elevated-upgrade") return "elevated";
  if (lower_name == "?") return "help";
  if (lower_name.rfind("log=", 0) == 0) return "log";
  if (lower_name.rfind("layout=", 0) == 0) return "layout";
  return {};
}

}  // namespace

Switches ParseSwitches(std::span<const std::string> arguments) {
  Switches switches;
  const auto offend = [&](std::string_view word, CommandLineFault fault) {
    if (switches.offending) return;
    switches.offending = std::string(word);
    switches.fault = fault;
  };
  std::vector<std::string_view> given;     // by the switch's one name
  std::optional<std::string> beside_help;  // the first switch given that is not /? or /help
  std::optional<std::string> beside_layout;  // the first switch given that a layout does not take
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& word = arguments[i];
    const std::string name = IsSwitch(word) ? Lower(std::string_view(word).substr(1)) : std::string();
    const std::string_view known = SwitchNamed(name);
    std::optional<std::string> file;
    std::string_view file_word;  // the word that carries the file or folder, as given
    const bool next_word = name == "log" || name == "layout" || name == "elevated-upgrade";
    if (next_word && i + 1 < arguments.size() && !IsSwitch(arguments[i + 1]) && !arguments[i + 1].empty()) {
      file_word = arguments[++i];
      file = arguments[i];
    } else if ((known == "log" || known == "layout") && name.size() > known.size() + 1) {
      file_word = word;
      file = word.substr(known.size() + 2);
    }
    if (known.empty() || ((known == "log" || known == "layout" || name == "elevated-upgrade") && !file)) {
      offend(word, CommandLineFault::kNotASwitch);
    } else if (std::find(given.begin(), given.end(), known) != given.end()) {
      offend(word, CommandLineFault::kGivenTwice);
    } else {
      given.push_back(known);
      switches.quiet = switches.quiet || known == "quiet";
      switches.passive = switches.passive || known == "passive";
      switches.verify = switches.verify || known == "verify";
      switches.help = switches.help || known == "help";
      if (known == "log") switches.log_file = file;
      if (known == "layout") {
        switches.layout_folder = LayoutFolderOf(*file, &switches.why);
        if (!switches.layout_folder) offend(file_word, CommandLineFault::kNoLayoutFolder);
      }
      if (known != "quiet" && known != "log" && known != "layout" && known != "help" && !beside_layout)
        beside_layout = word;
      if (known == "elevated") switches.elevated_part = ElevatedPart{name == "elevated-upgrade", file.value_or("")};
      if (known != "help" && !beside_help) beside_help = word;
    }
  }
  if (switches.help && beside_help) offend(*beside_help, CommandLineFault::kHelpNotAlone);
  if (switches.layout_folder && beside_layout) offend(*beside_layout, CommandLineFault::kNotWithLayout);
  return switches;
}

std::string DescribeSwitches(const Switches& switches) {
  std::string text;
  const auto add = [&](std::string_view part) {
    if (!text.empty()) text += ' ';
    text += part;
  };
  if (switches.quiet) add("/quiet");
  if (switches.passive) add("/passive");
  if (switches.verify) add("/verify");
  if (switches.help) add("/help");
  if (switches.log_file) add("/log " + QuotedForLog(*switches.log_file));
  if (switches.layout_folder) add("/layout " + QuotedForLog(*switches.layout_folder));
  if (switches.elevated_part && !switches.elevated_part->upgrade) add("/elevated-install");
  if (switches.elevated_part && switches.elevated_part->upgrade)
    add("/elevated-upgrade " + QuotedForLog(switches.elevated_part->product_folder));
  return text.empty() ? "none" : text;
}

std::string HelpText(const Switches& switches) {
  if (!switches.offending) return std::string(kHelp);
  // An empty word, as a script's unset variable in quotes gives, is shown as what it was.
  const std::string shown = switches.offending->empty() ? "\"\"" : *switches.offending;
  std::string_view why = "Not a switch of this setup: ";
  if (switches.fault == CommandLineFault::kGivenTwice) why = "Given twice: ";
  if (switches.fault == CommandLineFault::kHelpNotAlone) why = "Not with /? or /help: ";
  if (switches.fault == CommandLineFault::kNotWithLayout) why = "Not with /layout: ";
  if (switches.fault == CommandLineFault::kNoLayoutFolder)
    return "Not a folder to lay the installer's files out in: " + shown + " (" + switches.why + ")\r\n\r\n" +
           std::string(kHelp);
  return std::string(why) + shown + "\r\n\r\n" + std::string(kHelp);
}

}  // namespace hdgr
