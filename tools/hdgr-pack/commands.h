#pragma once
// The packer's commands. Each throws PackError on the first problem, having left no
// file half-written; each reports what it did on `out`.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <span>
#include <string_view>

#include "package/segment_layout.h"

namespace hdgr {

struct BuildRequest {
  std::filesystem::path carrier;
  std::array<std::filesystem::path, kPackedFileNames.size()> payload;  // in segment-table order
  std::optional<std::filesystem::path> cover;
  std::optional<std::filesystem::path> digests_source;
};

// Packs files of any lengths into the smallest carrier that holds them (never fewer rows
// than the design's).
void BuildCarrier(const BuildRequest& request, std::ostream& out);
// A carrier as `table`'s files need it: its size and headers, and where each file lies.
void CheckCarrier(const std::filesystem::path& carrier, const SegmentTable& table, std::ostream& out);
// CheckCarrier on a carrier's bytes, `name` standing for its file.
void CheckCarrierBytes(std::span<const std::uint8_t> carrier, const SegmentTable& table, std::string_view name,
                       std::ostream& out);
void UnpackCarrier(const std::filesystem::path& carrier, const SegmentTable& table, const std::filesystem::path& folder,
                   std::ostream& out);

// The demo payload's helpers: a program padded to `length` bytes, and the generated
// cabinet and file list.
void PadProgram(std::int32_t length, const std::filesystem::path& program, const std::filesystem::path& padded);
void MakeDemoFile(int segment, const std::filesystem::path& file);

// The designed table, the demo payload's: "NAME LENGTH" per line, in table order.
void ListSegments(std::ostream& out);

}  // namespace hdgr
