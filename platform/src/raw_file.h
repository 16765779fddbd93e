#pragma once
// The unbuffered file under a RecordFile: whole-span reads and writes at byte offsets.
// Each platform supplies one over its own file handle; tests supply one in memory.

#include <cstdint>
#include <span>

namespace hdgr {

class RawFile {
 public:
  virtual ~RawFile() = default;
  // Length in bytes as it is on the medium now.
  virtual std::int64_t Size() = 0;
  // Fills `into` completely from `offset`; the range lies inside Size().
  virtual void ReadAt(std::int64_t offset, std::span<std::uint8_t> into) = 0;
  // Writes all of `bytes` at `offset`, extending the file when it ends below.
  virtual void WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes) = 0;
};

}  // namespace hdgr
