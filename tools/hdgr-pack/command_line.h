#pragma once
// Reading hdgr-pack's command line into one command.

#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "tools/hdgr-pack/commands.h"

namespace hdgr {

struct HelpCommand {};
struct CheckCommand {
  std::filesystem::path carrier;
};
struct UnpackCommand {
  std::filesystem::path carrier;
  std::filesystem::path folder;
};
struct PadCommand {
  int segment;
  std::filesystem::path program;
  std::filesystem::path padded;
};
struct MakeDemoCommand {
  int segment;
  std::filesystem::path file;
};
struct SegmentsCommand {};

using Command = std::variant<HelpCommand, BuildRequest, CheckCommand, UnpackCommand, PadCommand, MakeDemoCommand,
                             SegmentsCommand>;

// `arguments` without the program's name. Throws PackError for a bad command line.
Command ParseCommandLine(const std::vector<std::string>& arguments);

extern const char kUsage[];

}  // namespace hdgr
