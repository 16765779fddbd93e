#pragma once
// The command line an administrator deploys the setup with. Without switches the setup is
// the interactive program it always was.

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace hdgr {

// Why a command line is a bad one. A script that gives a switch twice may mean either
// (which log?); one that asks for the help and for a run would read the help's exit code 0
// as the run done.
enum class CommandLineFault {
  kNone,
  kNotASwitch,    // a word that is no switch, an empty one, a /log without a file
  kGivenTwice,    // the same switch a second time, however written (/log a /LOG=b, /? /help)
  kHelpNotAlone,  // /? or /help with another switch
  kNotWithLayout, // /layout with a switch of a run (/passive, /verify, the administrator's copy)
  kNoLayoutFolder,  // /layout whose folder is no full path of a folder it may write
};

// What a standard user's run hands to an administrator's copy of the setup, which the
// system starts elevated after asking for consent: the whole install, or the upgrade of the
// program in the folder the user's run found.
struct ElevatedPart {
  bool upgrade = false;
  std::string product_folder;  // for the upgrade
};

struct Switches {
  bool quiet = false;    // no window and no message box at all; accepts on its own
  bool passive = false;  // the window and its progress; accepts on its own, waits for nobody
  bool verify = false;   // checks the payload against its digests and writes nothing
  bool help = false;
  std::optional<std::string> log_file;  // UTF-8 lines appended, each with its time
  // /layout FOLDER: the installer's files written there, as LayoutFolderOf resolves it.
  std::optional<std::string> layout_folder;
  // /elevated-install or /elevated-upgrade FOLDER: the package's own, for its elevated copy.
  std::optional<ElevatedPart> elevated_part;
  // The first word that makes the command line a bad one, as given: one that is no switch
  // (an empty one too), a /log without a file name, a switch given a second time, or the
  // first other word given with /? or /help or a switch of a run given with /layout, or the
// folder of a /layout that it cannot use. None when all is well.
  std::optional<std::string> offending;
  CommandLineFault fault = CommandLineFault::kNone;
  std::string why;  // what is wrong with a /layout folder

  bool Unattended() const { return quiet || passive; }
};

// `arguments` without the program's own name. Switches start with '/' or '-', in any letter
// case and any order: /quiet, /passive, /verify, /log FILE (or /log=FILE), /? and /help
// (one switch, given alone), /layout FOLDER (or /layout=FOLDER; with /quiet and /log only),
// and the package's own /elevated-install and /elevated-upgrade FOLDER. Each at most once.
Switches ParseSwitches(std::span<const std::string> arguments);
// The switches as the log records them.
std::string DescribeSwitches(const Switches& switches);
// What the help box says, first what is wrong and the offending word when there is one.
std::string HelpText(const Switches& switches);

}  // namespace hdgr
