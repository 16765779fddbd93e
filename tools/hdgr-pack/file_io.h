#pragma once
// Whole-file reads and all-or-nothing writes: a file is written under a temporary name
// next to its target and renamed over it only when complete, so a failure at any point
// leaves the old file (or none) and no partial one.

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace hdgr {

// Throws PackError naming `path` when it is missing, a folder or unreadable.
std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path);

// A file written in full under a temporary name; Commit() puts it in place. Destroyed
// uncommitted, it removes the temporary file.
class StagedFile {
 public:
  StagedFile(std::filesystem::path target, std::span<const std::uint8_t> bytes);
  ~StagedFile();
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;
  StagedFile(StagedFile&& other) noexcept;
  StagedFile& operator=(StagedFile&&) = delete;

  void Commit();

 private:
  std::filesystem::path target_;
  std::filesystem::path temporary_;
};

void WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// True when `path` already holds exactly `bytes`.
bool FileHolds(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

}  // namespace hdgr
