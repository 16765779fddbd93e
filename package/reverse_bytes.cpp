#include "package/reverse_bytes.h"

#include <algorithm>
#include <cstring>

namespace hdgr {

namespace {

std::uint64_t Load(const std::uint8_t* at) {
  std::uint64_t word;
  std::memcpy(&word, at, sizeof word);
  return __builtin_bswap64(word);
}

void Store(std::uint8_t* at, std::uint64_t word) { std::memcpy(at, &word, sizeof word); }

}  // namespace

void ReverseBytes(std::span<std::uint8_t> bytes) {
  std::uint8_t* front = bytes.data();
  std::uint8_t* back = bytes.data() + bytes.size();
  // Whole words from both ends while they do not meet; the middle one byte at a time.
  while (back - front >= 16) {
    back -= 8;
    const std::uint64_t low = Load(front);
    const std::uint64_t high = Load(back);
    Store(front, high);
    Store(back, low);
    front += 8;
  }
  std::reverse(front, back);
}

}  // namespace hdgr
