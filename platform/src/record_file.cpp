#include "record_file.h"

#include <algorithm>
#include <utility>

#include "platform/run_time_error.h"

namespace hdgr {

RecordFile::RecordFile(std::unique_ptr<RawFile> raw, std::string path)
    : raw_(std::move(raw)), path_(std::move(path)), size_(raw_->Size()), disk_size_(size_) {
  pending_.reserve(kBlockBytes);
}

void RecordFile::ThrowBadRecord(std::int32_t record) const {
  throw RunTimeError(ErrorNumber::kBadRecordNumber,
                     "Record " + std::to_string(record) + " of " + path_);
}

std::uint8_t RecordFile::ReadSlow(std::int32_t record) {
  const std::int64_t offset = std::int64_t{record} - 1;
  if (record < 1 || offset >= size_) ThrowBadRecord(record);
  if (offset >= pending_start_ && offset < PendingEnd())
    return pending_[static_cast<std::size_t>(offset - pending_start_)];
  // The block may hold bytes still pending, or lie past what the raw file holds yet.
  Flush();
  Load(offset);
  return cache_[static_cast<std::size_t>(offset - cache_start_)];
}

void RecordFile::Load(std::int64_t offset) {
  const auto block = static_cast<std::int64_t>(kBlockBytes);
  const std::int64_t start = offset / block * block;
  const std::int64_t length = std::min(block, disk_size_ - start);
  cache_start_ = cache_end_ = 0;  // stays empty if the read fails
  cache_.resize(static_cast<std::size_t>(length));
  raw_->ReadAt(start, cache_);
  cache_start_ = start;
  cache_end_ = start + length;
}

void RecordFile::WriteSlow(std::int32_t record, std::uint8_t value) {
  if (record < 1) ThrowBadRecord(record);
  const std::int64_t offset = std::int64_t{record} - 1;
  if (InCache(offset)) cache_[static_cast<std::size_t>(offset - cache_start_)] = value;
  if (offset >= pending_start_ && offset < PendingEnd()) {
    pending_[static_cast<std::size_t>(offset - pending_start_)] = value;
    return;
  }
  if (offset != PendingEnd() || pending_.size() >= kBlockBytes) {
    Flush();
    pending_start_ = offset;
  }
  pending_.push_back(value);
  size_ = std::max(size_, offset + 1);
}

void RecordFile::Flush() {
  if (pending_.empty()) return;
  try {
    raw_->WriteAt(pending_start_, pending_);
  } catch (...) {
    // The bytes are lost: the file ends where the medium says, not where the writes said.
    pending_.clear();
    size_ = disk_size_;
    cache_start_ = cache_end_ = 0;
    throw;
  }
  disk_size_ = std::max(disk_size_, PendingEnd());
  pending_.clear();
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
