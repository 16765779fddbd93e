#pragma once
// The command line an administrator deploys the setup with. Without switches the setup is
// the interactive program it always was.

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace hdgr {

struct Switches {
  bool quiet = false;    // no window and no message box at all; accepts on its own
  bool passive = false;  // the window and its progress; accepts on its own, waits for nobody
  bool verify = false;   // checks the payload against its digests and writes nothing
  bool help = false;
  std::optional<std::string> log_file;  // UTF-8 lines appended, each with its time
  // The first word that is no switch (an empty one too), or a /log without a file name;
  // none when all is well.
  std::optional<std::string> offending;

  bool Unattended() const { return quiet || passive; }
};

// `arguments` without the program's own name. Switches start with '/' or '-', in any letter
// case and any order: /quiet, /passive, /verify, /log FILE (or /log=FILE), /? and /help.
Switches ParseSwitches(std::span<const std::string> arguments);
// The switches as the log records them.
std::string DescribeSwitches(const Switches& switches);
// What the help box says, the offending word first when there is one.
std::string HelpText(const std::optional<std::string>& offending);

}  // namespace hdgr
