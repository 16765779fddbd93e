#include "record_file.h"

#include <algorithm>
#include <span>
#include <utility>

#include "platform/run_time_error.h"

namespace hdgr {

RecordFile::RecordFile(std::unique_ptr<RawFile> raw, std::string path)
    : raw_(std::move(raw)),
      path_(std::move(path)),
      size_(raw_->Size()),
      disk_size_(size_),
      cache_(std::make_unique_for_overwrite<std::uint8_t[]>(kBlockBytes)),
      pending_(std::make_unique_for_overwrite<std::uint8_t[]>(kBlockBytes)) {
  UpdateWriteLimit();
}

void RecordFile::ThrowBadRecord(std::int32_t record) const {
  throw RunTimeError(ErrorNumber::kBadRecordNumber,
                     "Record " + std::to_string(record) + " of " + path_);
}

std::uint8_t RecordFile::ReadSlow(std::int32_t record) {
  const std::int64_t offset = std::int64_t{record} - 1;
  if (record < 1 || offset >= Size()) ThrowBadRecord(record);
  if (InPending(offset)) return pending_[offset - pending_start_];
  // The block may hold bytes still pending, or lie past what the raw file holds yet.
  Flush();
  Load(offset);
  return cache_[offset - cache_start_];
}

void RecordFile::Load(std::int64_t offset) {
  const std::int64_t start = offset / kBlockBytes * kBlockBytes;
  const std::int64_t length = std::min(kBlockBytes, disk_size_ - start);
  DropCache();  // stays empty if the read fails
  raw_->ReadAt(start, std::span<std::uint8_t>(cache_.get(), static_cast<std::size_t>(length)));
  cache_start_ = start;
  cache_length_ = static_cast<std::uint64_t>(length);
  UpdateWriteLimit();
}

void RecordFile::DropCache() {
  cache_start_ = 0;
  cache_length_ = 0;
  UpdateWriteLimit();
}

void RecordFile::WriteSlow(std::int32_t record, std::uint8_t value) {
  if (record < 1) ThrowBadRecord(record);
  const std::int64_t offset = std::int64_t{record} - 1;
  if (InCache(offset)) cache_[offset - cache_start_] = value;
  if (InPending(offset)) {
    pending_[offset - pending_start_] = value;
    return;
  }
  if (offset != pending_end_ || pending_end_ - pending_start_ >= kBlockBytes) {
    Flush();
    RestartPending(offset);
  }
  pending_[offset - pending_start_] = value;
  pending_end_ = offset + 1;
  UpdateWriteLimit();
}

void RecordFile::RestartPending(std::int64_t offset) {
  pending_start_ = pending_end_ = offset;
  UpdateWriteLimit();
}

// The fast path must neither overrun the run's buffer nor skip a cached copy of a byte.
void RecordFile::UpdateWriteLimit() {
  std::int64_t limit = pending_start_ + kBlockBytes;
  if (cache_length_ > 0) {
    if (InCache(pending_end_)) limit = pending_end_;
    else if (cache_start_ > pending_end_) limit = std::min(limit, cache_start_);
  }
  write_limit_ = limit;
}

// The cache always holds the newest bytes of its block (writes go through to it, and the
// fast appends stop short of it), so it may be read while a run is pending.
void RecordFile::PublishReads(RecordWindow& window) const {
  window.read = {cache_.get(), cache_start_, cache_length_};
  window.write = {};
}

void RecordFile::PublishAppends(RecordWindow& window) const {
  window.read = {};
  window.write = {pending_.get(), pending_start_, pending_end_, write_limit_};
}

void RecordFile::Withdraw(RecordWindow& window) {
  if (window.write.bytes == pending_.get()) {
    pending_end_ = window.write.next_offset;
    UpdateWriteLimit();
  }
  window = {};
}

void RecordFile::Flush() {
  if (pending_end_ == pending_start_) return;
  try {
    raw_->WriteAt(pending_start_, std::span<const std::uint8_t>(
                                      pending_.get(), static_cast<std::size_t>(pending_end_ - pending_start_)));
  } catch (...) {
    // The bytes are lost: the file ends where the medium says, not where the writes said.
    size_ = disk_size_;
    RestartPending(0);
    DropCache();
    throw;
  }
  disk_size_ = std::max(disk_size_, pending_end_);
  size_ = std::max(size_, pending_end_);
  RestartPending(pending_end_);
}

void RecordFile::Close() {
  try {
    Flush();
  } catch (...) {
    raw_.reset();
    throw;
  }
  raw_.reset();
}

}  // namespace hdgr
