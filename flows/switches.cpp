#include "flows/switches.h"

#include <algorithm>
#include <cctype>

#include "platform/log_text.h"

namespace hdgr {

namespace {

constexpr std::string_view kHelp =
    "Halden Grid setup, for unattended deployment:\r\n"
    "\r\n"
    "  /quiet\tno window and no message; accepts on its own\r\n"
    "  /passive\tthe window and its progress only; accepts on its own\r\n"
    "  /log FILE\tappends what the setup does to FILE (also /log=FILE)\r\n"
    "  /verify\tchecks the package and writes nothing\r\n"
    "  /?, /help\tthis list\r\n"
    "\r\n"
    "Exit codes: 0 done, 1 run-time error, 2 the product is running,\r\n"
    "3 the installed copy is current or newer, 4 cancelled by the user,\r\n"
    "5 another setup is running, 87 bad command line.";

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
  return lower;
}

bool IsSwitch(std::string_view word) { return word.size() > 1 && (word[0] == '/' || word[0] == '-'); }

}  // namespace

Switches ParseSwitches(std::span<const std::string> arguments) {
  Switches switches;
  const auto offend = [&](std::string_view word) {
    if (!switches.offending) switches.offending = std::string(word);
  };
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& word = arguments[i];
    if (!IsSwitch(word)) {
      offend(word);
      continue;
    }
    const std::string name = Lower(std::string_view(word).substr(1));
    if (name == "quiet") {
      switches.quiet = true;
    } else if (name == "passive") {
      switches.passive = true;
    } else if (name == "verify") {
      switches.verify = true;
    } else if (name == "?" || name == "help") {
      switches.help = true;
    } else if (name == "log") {
      if (i + 1 < arguments.size() && !IsSwitch(arguments[i + 1]) && !arguments[i + 1].empty())
        switches.log_file = arguments[++i];
      else
        offend(word);
    } else if (name.rfind("log=", 0) == 0) {
      if (name.size() > 4) switches.log_file = word.substr(5);
      else offend(word);
    } else {
      offend(word);
    }
  }
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
  return text.empty() ? "none" : text;
}

std::string HelpText(const std::optional<std::string>& offending) {
  if (!offending) return std::string(kHelp);
  // An empty word, as a script's unset variable in quotes gives, is shown as what it was.
  const std::string shown = offending->empty() ? "\"\"" : *offending;
  return "Not a switch of this setup: " + shown + "\r\n\r\n" + std::string(kHelp);
}

}  // namespace hdgr
