#pragma once
// An in-memory medium under a record file that counts its calls, can run out of space,
// and says when it is released.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "platform/run_time_error.h"
#include "platform/src/raw_file.h"

namespace hdgr::testing {

struct Medium {
  std::vector<std::uint8_t> bytes;
  std::size_t capacity = SIZE_MAX;
  int reads = 0;
  int writes = 0;
  bool released = false;
};

class MemoryRawFile : public RawFile {
 public:
  explicit MemoryRawFile(Medium& medium) : medium_(medium) {}
  ~MemoryRawFile() override { medium_.released = true; }
  std::int64_t Size() override { return static_cast<std::int64_t>(medium_.bytes.size()); }
  void ReadAt(std::int64_t offset, std::span<std::uint8_t> into) override {
    ++medium_.reads;
    const auto at = static_cast<std::size_t>(offset);
    ASSERT_LE(at + into.size(), medium_.bytes.size()) << "read outside the file";
    std::copy_n(medium_.bytes.begin() + static_cast<std::ptrdiff_t>(at), into.size(), into.begin());
  }
  void WriteAt(std::int64_t offset, std::span<const std::uint8_t> data) override {
    ++medium_.writes;
    const auto at = static_cast<std::size_t>(offset);
    if (at + data.size() > medium_.capacity) throw RunTimeError(ErrorNumber::kDiskFull, "medium");
    if (at + data.size() > medium_.bytes.size()) medium_.bytes.resize(at + data.size());
    std::copy(data.begin(), data.end(), medium_.bytes.begin() + static_cast<std::ptrdiff_t>(at));
  }

 private:
  Medium& medium_;
};

inline std::vector<std::uint8_t> Pattern(std::size_t length, unsigned seed = 7) {
  std::mt19937 random(seed);
  std::vector<std::uint8_t> bytes(length);
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
  return bytes;
}

}  // namespace hdgr::testing
