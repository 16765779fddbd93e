#pragma once
// SHA-256, for the payload digests the build records and each run verifies.

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "package/sha256_blocks.h"

namespace hdgr {

using Sha256Digest = std::array<std::uint8_t, 32>;

class Sha256 {
 public:
  Sha256();
  void Update(std::span<const std::uint8_t> bytes);
  Sha256Digest Finish();

 private:
  Sha256State state_;
  std::array<std::uint8_t, 64> block_{};
  std::size_t block_used_ = 0;
  std::uint64_t total_bytes_ = 0;
};

Sha256Digest Sha256Of(std::span<const std::uint8_t> bytes);
std::string ToHex(const Sha256Digest& digest);

}  // namespace hdgr
