#pragma once
// A random file of one-byte records numbered from 1, buffered so that one call per byte
// stays cheap: reads come from a cached block, writes gather in one contiguous pending
// run that goes to the raw file when it is full, when a read misses the cache, and at
// Close. Only this process writes the file while it is open (it is shared for reading
// only), so the cache never goes stale behind our back.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "raw_file.h"

namespace hdgr {

class RecordFile {
 public:
  static constexpr std::size_t kBlockBytes = 64 * 1024;

  // `path` names the file in error messages.
  RecordFile(std::unique_ptr<RawFile> raw, std::string path);
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;

  // Records below 1 or past the end: bad record number.
  std::uint8_t ReadByte(std::int32_t record) {
    const std::int64_t offset = std::int64_t{record} - 1;
    if (InCache(offset))
      return cache_[static_cast<std::size_t>(offset - cache_start_)];
    return ReadSlow(record);
  }

  // Record 0 or below: bad record number. Past the end extends the file.
  void WriteByte(std::int32_t record, std::uint8_t value) {
    const std::int64_t offset = std::int64_t{record} - 1;
    if (offset == PendingEnd() && pending_.size() < kBlockBytes && !InCache(offset)) {
      pending_.push_back(value);
      if (offset >= size_) size_ = offset + 1;
      return;
    }
    WriteSlow(record, value);
  }

  // Length including pending writes.
  std::int64_t Size() const { return size_; }
  const std::string& Path() const { return path_; }

  // Writes the pending run; on failure the run is dropped and the error thrown.
  void Flush();
  // Flushes and releases the raw file, which is released even when the flush fails.
  void Close();

 private:
  bool InCache(std::int64_t offset) const { return offset >= cache_start_ && offset < cache_end_; }
  std::int64_t PendingEnd() const { return pending_start_ + static_cast<std::int64_t>(pending_.size()); }
  std::uint8_t ReadSlow(std::int32_t record);
  void WriteSlow(std::int32_t record, std::uint8_t value);
  void Load(std::int64_t offset);
  [[noreturn]] void ThrowBadRecord(std::int32_t record) const;

  std::unique_ptr<RawFile> raw_;
  std::string path_;
  std::int64_t size_;       // logical length, pending writes included
  std::int64_t disk_size_;  // length on the raw file

  std::vector<std::uint8_t> cache_;
  std::int64_t cache_start_ = 0;
  std::int64_t cache_end_ = 0;  // empty cache: start == end

  std::vector<std::uint8_t> pending_;
  std::int64_t pending_start_ = 0;
};

}  // namespace hdgr
