#include "tools/hdgr-pack/command_line.h"

#include <algorithm>
#include <map>
#include <optional>

#include "tools/hdgr-pack/demo_files.h"
#include "tools/hdgr-pack/pack_error.h"

namespace hdgr {
namespace {

constexpr std::string_view kHelpHint = "; run 'hdgr-pack --help' for usage";

[[noreturn]] void Refuse(const std::string& problem) { throw PackError(problem + std::string(kHelpHint)); }

// A command's words: its options (each taking one value) and its other arguments.
struct Words {
  std::map<std::string, std::string> options;
  std::vector<std::string> positional;
};

Words SplitWords(const std::string& command, const std::vector<std::string>& arguments,
                 std::initializer_list<std::string_view> known_options) {
  Words words;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& word = arguments[i];
    if (word.size() < 2 || word.compare(0, 2, "--") != 0) {
      words.positional.push_back(word);
      continue;
    }
    if (std::find(known_options.begin(), known_options.end(), word) == known_options.end())
      Refuse(command + " has no option " + word);
    if (i + 1 == arguments.size()) Refuse(word + " needs a value");
    if (!words.options.emplace(word, arguments[++i]).second) Refuse(word + " is given twice");
  }
  return words;
}

void RequireCount(const std::string& command, const Words& words, std::size_t count, std::string_view what) {
  if (words.positional.size() != count) Refuse(command + " takes " + std::string(what));
}

std::optional<std::filesystem::path> Option(const Words& words, const std::string& name) {
  const auto found = words.options.find(name);
  if (found == words.options.end()) return std::nullopt;
  return std::filesystem::path(found->second);
}

BuildRequest ParseBuild(const std::vector<std::string>& arguments) {
  const Words words = SplitWords("build", arguments, {"--out", "--cover", "--digests-source"});
  RequireCount("build", words, kSegments.size(), "the four payload files: Setup.exe HaldenGrid.CAB Setup.LST HaldenGrid.exe");
  BuildRequest request;
  const auto out = Option(words, "--out");
  if (!out) Refuse("build needs --out CARRIER.bmp");
  request.carrier = *out;
  for (std::size_t i = 0; i < kSegments.size(); ++i) request.payload[i] = words.positional[i];
  request.cover = Option(words, "--cover");
  request.digests_source = Option(words, "--digests-source");
  return request;
}

PadCommand ParsePad(const std::vector<std::string>& arguments) {
  const Words words = SplitWords("pad", arguments, {"--segment"});
  RequireCount("pad", words, 2, "a program and the padded file to write");
  const auto segment = words.options.find("--segment");
  if (segment == words.options.end()) Refuse("pad needs --segment Setup.exe or --segment HaldenGrid.exe");
  return {ProgramSegmentIndexOf(segment->second), words.positional[0], words.positional[1]};
}

}  // namespace

const char kUsage[] =
    "Usage:\n"
    "  hdgr-pack build --out CARRIER.bmp Setup.exe HaldenGrid.CAB Setup.LST HaldenGrid.exe\n"
    "                  [--cover PICTURE.bmp] [--digests-source DIGESTS.cpp]\n"
    "      Packs the four files into a new carrier bitmap; PICTURE.bmp (24-bit) fills the\n"
    "      pixels the payload leaves free. DIGESTS.cpp receives the files' SHA-256 digests.\n"
    "  hdgr-pack check CARRIER.bmp\n"
    "      Verifies the carrier's size and headers and lists the packed files with digests.\n"
    "  hdgr-pack unpack CARRIER.bmp FOLDER\n"
    "      Writes the four packed files into FOLDER.\n"
    "  hdgr-pack pad --segment NAME PROGRAM PADDED\n"
    "      Pads a program to the length of the packed file NAME (Setup.exe or HaldenGrid.exe).\n"
    "  hdgr-pack make-demo NAME FILE\n"
    "      Writes the demo payload's HaldenGrid.CAB or Setup.LST.\n"
    "  hdgr-pack segments\n"
    "      Lists the packed files in table order, one 'NAME LENGTH' line each (the build reads it).\n"
    "Any problem is reported on one line and exits with code 2.\n";

Command ParseCommandLine(const std::vector<std::string>& arguments) {
  if (arguments.empty()) Refuse("no command given");
  const std::string& command = arguments[0];
  if (command == "--help" || command == "-h" || command == "help") return HelpCommand{};
  if (command == "build") return ParseBuild(arguments);
  if (command == "pad") return ParsePad(arguments);
  const Words words = SplitWords(command, arguments, {});
  if (command == "check") {
    RequireCount(command, words, 1, "one carrier bitmap");
    return CheckCommand{words.positional[0]};
  }
  if (command == "unpack") {
    RequireCount(command, words, 2, "a carrier bitmap and a folder");
    return UnpackCommand{words.positional[0], words.positional[1]};
  }
  if (command == "make-demo") {
    RequireCount(command, words, 2, "a file name (HaldenGrid.CAB or Setup.LST) and the file to write");
    return MakeDemoCommand{SegmentIndexOf(words.positional[0]), words.positional[1]};
  }
  if (command == "segments") {
    RequireCount(command, words, 0, "no arguments");
    return SegmentsCommand{};
  }
  Refuse("unknown command '" + command + "'");
}

}  // namespace hdgr
