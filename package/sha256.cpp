#include "package/sha256.h"

#include <algorithm>
#include <bit>

namespace hdgr {
namespace {

constexpr std::array<std::uint32_t, 64> kRoundConstants{
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

constexpr std::array<std::uint32_t, 8> kInitialState{
    0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19,
};

std::uint32_t LoadBigEndian(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
         std::uint32_t{p[3]};
}

}  // namespace

Sha256::Sha256() : state_(kInitialState) {}

void Sha256::Compress(const std::uint8_t* block) {
  std::array<std::uint32_t, 64> w;
  for (int i = 0; i < 16; ++i) w[i] = LoadBigEndian(block + 4 * i);
  for (int i = 16; i < 64; ++i) {
    const std::uint32_t s0 = std::rotr(w[i - 15], 7) ^ std::rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
    const std::uint32_t s1 = std::rotr(w[i - 2], 17) ^ std::rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }
  auto [a, b, c, d, e, f, g, h] = state_;
  for (int i = 0; i < 64; ++i) {
    const std::uint32_t s1 = std::rotr(e, 6) ^ std::rotr(e, 11) ^ std::rotr(e, 25);
    const std::uint32_t choose = (e & f) ^ (~e & g);
    const std::uint32_t t1 = h + s1 + choose + kRoundConstants[i] + w[i];
    const std::uint32_t s0 = std::rotr(a, 2) ^ std::rotr(a, 13) ^ std::rotr(a, 22);
    const std::uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
    const std::uint32_t t2 = s0 + majority;
    h = g;
    g = f;
    f = e;
    e = d + t1;
    d = c;
    c = b;
    b = a;
    a = t1 + t2;
  }
  const std::array<std::uint32_t, 8> round_result{a, b, c, d, e, f, g, h};
  for (std::size_t i = 0; i < state_.size(); ++i) state_[i] += round_result[i];
}

void Sha256::Update(std::span<const std::uint8_t> bytes) {
  total_bytes_ += bytes.size();
  std::size_t offset = 0;
  if (block_used_ > 0) {
    const std::size_t take = std::min(block_.size() - block_used_, bytes.size());
    std::copy_n(bytes.begin(), take, block_.begin() + static_cast<std::ptrdiff_t>(block_used_));
    block_used_ += take;
    offset = take;
    if (block_used_ < block_.size()) return;
    Compress(block_.data());
    block_used_ = 0;
  }
  for (; bytes.size() - offset >= block_.size(); offset += block_.size()) Compress(bytes.data() + offset);
  block_used_ = bytes.size() - offset;
  std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), block_used_, block_.begin());
}

Sha256Digest Sha256::Finish() {
  const std::uint64_t bit_length = total_bytes_ * 8;
  block_[block_used_++] = 0x80;
  if (block_used_ > block_.size() - 8) {
    std::fill(block_.begin() + static_cast<std::ptrdiff_t>(block_used_), block_.end(), std::uint8_t{0});
    Compress(block_.data());
    block_used_ = 0;
  }
  std::fill(block_.begin() + static_cast<std::ptrdiff_t>(block_used_), block_.end() - 8, std::uint8_t{0});
  for (int i = 0; i < 8; ++i) block_[56 + i] = static_cast<std::uint8_t>(bit_length >> (56 - 8 * i));
  Compress(block_.data());

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
