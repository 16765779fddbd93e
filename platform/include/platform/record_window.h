#pragma once
// What an implementation of the services lets ReadByte and WriteByte do for one open
// record file without a virtual call. Record r is offset r - 1. An empty window (the
// default) sends every call to the implementation.

#include <cstdint>

namespace hdgr {

// File numbers of random files run from 1 to this.
inline constexpr int kHighestFileNumber = 255;

// Offsets [first_offset, first_offset + length) may be read from `bytes`.
struct RecordReadWindow {
  const std::uint8_t* bytes = nullptr;
  std::int64_t first_offset = 0;
  std::uint64_t length = 0;
};

// A write at next_offset below limit may be stored at bytes[next_offset - base_offset],
// moving next_offset on by one. The implementation takes next_offset back before it
// touches the file again.
struct RecordWriteWindow {
  std::uint8_t* bytes = nullptr;
  std::int64_t base_offset = 0;
  std::int64_t next_offset = 0;
  std::int64_t limit = 0;
};

// At most one half is ever non-empty, so a fast write never leaves a fast read stale.
struct RecordWindow {
  RecordReadWindow read;
  RecordWriteWindow write;
};

}  // namespace hdgr
