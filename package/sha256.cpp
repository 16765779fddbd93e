#include "package/sha256.h"

#include <algorithm>

namespace hdgr {
namespace {

constexpr std::array<std::uint32_t, 8> kInitialState{
    0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19,
};

}  // namespace

Sha256::Sha256() : state_(kInitialState) {}

void Sha256::Update(std::span<const std::uint8_t> bytes) {
  total_bytes_ += bytes.size();
  std::size_t offset = 0;
  if (block_used_ > 0) {
    const std::size_t take = std::min(block_.size() - block_used_, bytes.size());
    std::copy_n(bytes.begin(), take, block_.begin() + static_cast<std::ptrdiff_t>(block_used_));
    block_used_ += take;
    offset = take;
    if (block_used_ < block_.size()) return;
    CompressSha256Blocks(state_, block_.data(), 1);
    block_used_ = 0;
  }
  const std::size_t whole_blocks = (bytes.size() - offset) / block_.size();
  CompressSha256Blocks(state_, bytes.data() + offset, whole_blocks);
  offset += whole_blocks * block_.size();
  block_used_ = bytes.size() - offset;
  std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), block_used_, block_.begin());
}

Sha256Digest Sha256::Finish() {
  const std::uint64_t bit_length = total_bytes_ * 8;
  block_[block_used_++] = 0x80;
  if (block_used_ > block_.size() - 8) {
    std::fill(block_.begin() + static_cast<std::ptrdiff_t>(block_used_), block_.end(), std::uint8_t{0});
    CompressSha256Blocks(state_, block_.data(), 1);
    block_used_ = 0;
  }
  std::fill(block_.begin() + static_cast<std::ptrdiff_t>(block_used_), block_.end() - 8, std::uint8_t{0});
  for (int i = 0; i < 8; ++i) block_[56 + i] = static_cast<std::uint8_t>(bit_length >> (56 - 8 * i));
  CompressSha256Blocks(state_, block_.data(), 1);

  Sha256Digest digest;
  for (std::size_t i = 0; i < digest.size(); ++i)
    digest[i] = static_cast<std::uint8_t>(state_[i / 4] >> (24 - 8 * (i % 4)));
  *this = Sha256();  // a finished hasher starts over rather than hashing on from a padded state
  return digest;
}

Sha256Digest Sha256Of(std::span<const std::uint8_t> bytes) {
  Sha256 hasher;
  hasher.Update(bytes);
  return hasher.Finish();
}

std::string ToHex(const Sha256Digest& digest) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(digest.size() * 2);
  for (const std::uint8_t byte : digest) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0f];
  }
  return text;
}

}  // namespace hdgr
