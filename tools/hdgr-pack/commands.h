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

#include "package/segment_table.h"

namespace hdgr {

struct BuildRequest {
  std::filesystem::path carrier;
  std::array<std::filesystem::path, kSegments.size()> payload;  // in segment-table order
  std::optional<std::filesystem::path> cover;
  std::optional<std::filesystem::path> digests_source;
};

void BuildCarrier(const BuildRequest& request, std::ostream& out);
void CheckCarrier(const std::filesystem::path& carrier, std::ostream& out);
// CheckCarrier on a carrier's bytes, `name` standing for its file.
void CheckCarrierBytes(std::span<const std::uint8_t> carrier, std::string_view name, std::ostream& out);
void UnpackCarrier(const std::filesystem::path& carrier, const std::filesystem::path& folder, std::ostream& out);

// The demo payload's helpers: a program padded to its segment's length, and the
// generated cabinet and file list.
void PadProgram(int segment, const std::filesystem::path& program, const std::filesystem::path& padded);
void MakeDemoFile(int segment, const std::filesystem::path& file);

// The segment table for the build: "NAME LENGTH" per line, in table order.
void ListSegments(std::ostream& out);

}  // namespace hdgr
