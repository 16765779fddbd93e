#pragma once
// Reading hdgr-pack's command line into one command.

#include <cstdint>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "tools/hdgr-pack/commands.h"

namespace hdgr {

struct HelpCommand {};
// check and unpack take the table of the package's files with --lengths; without it, the
// designed table (the demo payload's).
struct CheckCommand {
  std::filesystem::path carrier;
  SegmentTable table = kDesignedSegments;
};
struct UnpackCommand {
  std::filesystem::path carrier;
  std::filesystem::path folder;
  SegmentTable table = kDesignedSegments;
};
// --segment NAME pads to the designed length of a program's segment, --length N to N bytes.
struct PadCommand {
  std::int32_t length;
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
