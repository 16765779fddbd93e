#pragma once
// The demo payload's generated files, of the designed table's lengths, and the padding that
// brings a program to the length of its segment.

#include <cstdint>
#include <string_view>
#include <vector>

namespace hdgr {

// Index of the segment whose file is named `file_name`; throws PackError for any other name.
// The designed table's lengths are those of segment `index`'s file in the demo payload.
int SegmentIndexOf(std::string_view file_name);

// Index of the segment of a program built from sources (Setup.exe or HaldenGrid.exe), the
// files padding is for; throws PackError for any other name.
int ProgramSegmentIndexOf(std::string_view file_name);

// Deterministic pseudo-random bytes of the cabinet's length, starting "MSCF".
std::vector<std::uint8_t> DemoCabinet();

// An INI-style list of the package's files, CR LF lines, filled with comment lines to the
// list's exact length.
std::vector<std::uint8_t> DemoFileList();

// DemoCabinet() or DemoFileList() by segment index; throws PackError for the programs.
std::vector<std::uint8_t> GeneratedDemoFile(int index);

// `program` followed by zero bytes up to `length` bytes; the loader ignores bytes after the
// image. Throws PackError when the program is already longer.
std::vector<std::uint8_t> PadToLength(std::vector<std::uint8_t> program, std::int32_t length, std::string_view source);

}  // namespace hdgr
