#include "tools/hdgr-pack/command_line.h"

#include <algorithm>
#include <charconv>
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

// A length of one byte or more, as a decimal number of 32 bits.
std::optional<std::int32_t> LengthIn(std::string_view text) {
  std::int32_t length = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), length);
  if (error != std::errc() || end != text.data() + text.size() || length < 1) return std::nullopt;
  return length;
}

// --lengths L1,L2,L3,L4: the package's table; the designed one without it.
SegmentTable TableOption(const Words& words) {
  const auto given = words.options.find("--lengths");
  if (given == words.options.end()) return kDesignedSegments;
  SegmentLengths lengths{};
  std::string_view rest = given->second;
  for (std::size_t i = 0; i < lengths.size(); ++i) {
    const std::size_t comma = i + 1 < lengths.size() ? rest.find(',') : rest.size();
    const std::optional<std::int32_t> length =
        comma == std::string_view::npos ? std::nullopt : LengthIn(rest.substr(0, comma));
    if (!length)
      Refuse("--lengths takes the four files' lengths in bytes, each at least 1, as L1,L2,L3,L4: not '" +
             given->second + "'");
    lengths[i] = *length;
    rest.remove_prefix(std::min(rest.size(), comma + 1));
  }
  return TableOf(lengths);
}

BuildRequest ParseBuild(const std::vector<std::string>& arguments) {
  const Words words = SplitWords("build", arguments, {"--out", "--cover", "--digests-source"});
  RequireCount("build", words, kPackedFileNames.size(),
               "the four payload files: Setup.exe HaldenGrid.CAB Setup.LST HaldenGrid.exe");
  BuildRequest request;
  const auto out = Option(words, "--out");
  if (!out) Refuse("build needs --out CARRIER.bmp");
  request.carrier = *out;
  for (std::size_t i = 0; i < kPackedFileNames.size(); ++i) request.payload[i] = words.positional[i];
  request.cover = Option(words, "--cover");
  request.digests_source = Option(words, "--digests-source");
  return request;
}

PadCommand ParsePad(const std::vector<std::string>& arguments) {
  const Words words = SplitWords("pad", arguments, {"--segment", "--length"});
  RequireCount("pad", words, 2, "a program and the padded file to write");
  const auto segment = words.options.find("--segment");
  const auto length = words.options.find("--length");
  if ((segment == words.options.end()) == (length == words.options.end()))
    Refuse("pad needs --segment Setup.exe, --segment HaldenGrid.exe or --length BYTES, one of them");
  if (segment != words.options.end())
    return {kDesignedSegments[ProgramSegmentIndexOf(segment->second)].length, words.positional[0],
            words.positional[1]};
  const std::optional<std::int32_t> bytes = LengthIn(length->second);
  if (!bytes) Refuse("--length takes a number of bytes, at least 1: not '" + length->second + "'");
  return {*bytes, words.positional[0], words.positional[1]};
}

}  // namespace

const char kUsage[] =
    "Usage:\n"
    "  hdgr-pack build --out CARRIER.bmp Setup.exe HaldenGrid.CAB Setup.LST HaldenGrid.exe\n"
    "                  [--cover PICTURE.bmp] [--digests-source DIGESTS.cpp]\n"
    "      Packs the four files, of any lengths, into a new carrier bitmap 1000 pixels wide and\n"
    "      as tall as they need (2000 rows at least); PICTURE.bmp (24-bit) fills the pixels the\n"
    "      payload leaves free. DIGESTS.cpp receives the files' SHA-256 digests.\n"
    "  hdgr-pack check CARRIER.bmp [--lengths L1,L2,L3,L4]\n"
    "      Verifies the carrier's size and headers and lists the packed files with digests.\n"
    "  hdgr-pack unpack CARRIER.bmp FOLDER [--lengths L1,L2,L3,L4]\n"
    "      Writes the four packed files into FOLDER.\n"
    "      Without --lengths (the four files' lengths in bytes, in table order), check and\n"
    "      unpack take the demo payload's.\n"
    "  hdgr-pack pad (--segment NAME | --length BYTES) PROGRAM PADDED\n"
    "      Pads a program with zero bytes to the demo payload's length of NAME (Setup.exe or\n"
    "      HaldenGrid.exe), or to BYTES.\n"
    "  hdgr-pack make-demo NAME FILE\n"
    "      Writes the demo payload's HaldenGrid.CAB or Setup.LST.\n"
    "  hdgr-pack segments\n"
    "      Lists the packed files in table order with the demo payload's lengths, one\n"
    "      'NAME LENGTH' line each (the build reads the names).\n"
    "Any problem is reported on one line and exits with code 2.\n"
    "\n"
    "The setup package itself, from a folder of the release's four files and its version:\n"
    "  scripts/build-package.sh FOLDER VERSION\n"
    "(the README's \"Building a package from your own files\").\n";

Command ParseCommandLine(const std::vector<std::string>& arguments) {
  if (arguments.empty()) Refuse("no command given");
  const std::string& command = arguments[0];
  if (command == "--help" || command == "-h" || command == "help") return HelpCommand{};
  if (command == "build") return ParseBuild(arguments);
  if (command == "pad") return ParsePad(arguments);
  if (command == "check" || command == "unpack") {
    const Words words = SplitWords(command, arguments, {"--lengths"});
    if (command == "check") {
      RequireCount(command, words, 1, "one carrier bitmap");
      return CheckCommand{words.positional[0], TableOption(words)};
    }
    RequireCount(command, words, 2, "a carrier bitmap and a folder");
    return UnpackCommand{words.positional[0], words.positional[1], TableOption(words)};
  }
  const Words words = SplitWords(command, arguments, {});
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
