#pragma once
// SHA-256's compression of whole 64-byte blocks. Each run reads every file it wrote back
// through it, megabytes at a time: where the processor has SHA instructions they do the
// rounds (several times faster), else portable code does.

#include <array>
#include <cstddef>
#include <cstdint>

namespace hdgr {

using Sha256State = std::array<std::uint32_t, 8>;

// Compresses `count` blocks from `blocks` into `state`, the fastest way this processor has.
void CompressSha256Blocks(Sha256State& state, const std::uint8_t* blocks, std::size_t count);

// The two ways, for tests that hold them against each other.
void CompressSha256BlocksPortably(Sha256State& state, const std::uint8_t* blocks, std::size_t count);
// False where the processor (or this build's target) has no SHA instructions.
bool HasSha256Instructions();
// Only where HasSha256Instructions().
void CompressSha256BlocksWithInstructions(Sha256State& state, const std::uint8_t* blocks, std::size_t count);

}  // namespace hdgr
