#pragma once
// A random file of one-byte records numbered from 1, buffered so that one call per byte
// stays cheap: reads come from a cached block, writes gather in one contiguous pending
// run that goes to the raw file when it is full, when a read misses the cache, and at
// Close. Only this process writes the file while it is open (it is shared for reading
// only), so the cache never goes stale behind our back.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/record_window.h"
#include "raw_file.h"

namespace hdgr {

class RecordFile {
 public:
  static constexpr std::int64_t kBlockBytes = 64 * 1024;

  // `path` names the file in error messages.
  RecordFile(std::unique_ptr<RawFile> raw, std::string path);
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;

  // Records below 1 or past the end: bad record number.
  std::uint8_t ReadByte(std::int32_t record) {
    // One unsigned compare covers both ends of the cached block.
    const auto index = static_cast<std::uint64_t>(std::int64_t{record} - 1 - cache_start_);
    if (index < cache_length_) return cache_[index];
    return ReadSlow(record);
  }

  // Record 0 or below: bad record number. Past the end extends the file.
  void WriteByte(std::int32_t record, std::uint8_t value) {
    const std::int64_t offset = std::int64_t{record} - 1;
    if (offset == pending_end_ && offset < write_limit_) {
      pending_[offset - pending_start_] = value;
      pending_end_ = offset + 1;
      return;
    }
    WriteSlow(record, value);
  }

  // Length including pending writes.
  std::int64_t Size() const { return size_ > pending_end_ ? size_ : pending_end_; }
  const std::string& Path() const { return path_; }

  // Lets callers past this object: `window` gets the cached block to read, or the pending
  // run to append to, and the other half is emptied. Appends made through it must be taken
  // back with Withdraw before anything else is asked of this file.
  void PublishReads(RecordWindow& window) const;
  void PublishAppends(RecordWindow& window) const;
  // Takes back the appends made through `window`, then empties it.
  void Withdraw(RecordWindow& window);

  // Writes the pending run; on failure the run is dropped and the error thrown.
  void Flush();
  // Flushes and releases the raw file, which is released even when the flush fails.
  void Close();

 private:
  bool InCache(std::int64_t offset) const {
    return static_cast<std::uint64_t>(offset - cache_start_) < cache_length_;
  }
  bool InPending(std::int64_t offset) const { return offset >= pending_start_ && offset < pending_end_; }
  std::uint8_t ReadSlow(std::int32_t record);
  void WriteSlow(std::int32_t record, std::uint8_t value);
  void Load(std::int64_t offset);
  void DropCache();
  void RestartPending(std::int64_t offset);
  void UpdateWriteLimit();
  [[noreturn]] void ThrowBadRecord(std::int32_t record) const;

  std::unique_ptr<RawFile> raw_;
  std::string path_;
  std::int64_t size_;       // logical length, apart from the pending run
  std::int64_t disk_size_;  // length on the raw file

  std::unique_ptr<std::uint8_t[]> cache_;
  std::int64_t cache_start_ = 0;
  std::uint64_t cache_length_ = 0;

  // Offsets [pending_start_, pending_end_) wait in pending_. A write at pending_end_ below
  // write_limit_ just appends: the run has room and the cache does not cover it.
  std::unique_ptr<std::uint8_t[]> pending_;
  std::int64_t pending_start_ = 0;
  std::int64_t pending_end_ = 0;
  std::int64_t write_limit_ = 0;
};

}  // namespace hdgr
