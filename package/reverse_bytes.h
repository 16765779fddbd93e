#pragma once
// Turning a block of bytes round in place, eight at a time from both ends: the copy turns
// every byte of the payload round, and one at a time costs as much as reading it.

#include <cstdint>
#include <span>

namespace hdgr {

void ReverseBytes(std::span<std::uint8_t> bytes);

}  // namespace hdgr
