#include "record_file.h"

#include <algorithm>
#include <utility>

#include "platform/run_time_error.h"

namespace hdgr {

RecordFile::RecordFile(std::unique_ptr<RawFile> raw, std::string name)
    : raw_(std::move(raw)), name_(std::move(name)), size_(raw_->Size()) {}

void RecordFile::ThrowBadRecord(std::int64_t record) const {
  throw RunTimeError(ErrorNumber::kBadRecordNumber, "Record " + std::to_string(record) + " of " + name_);
}

void RecordFile::Read(std::int32_t first, std::span<std::uint8_t> into) {
  if (into.empty()) return;
  if (first < 1) ThrowBadRecord(first);
  const std::int64_t last = std::int64_t{first} + static_cast<std::int64_t>(into.size()) - 1;
  if (last > size_) ThrowBadRecord(std::max<std::int64_t>(first, size_ + 1));
  raw_->ReadAt(std::int64_t{first} - 1, into);
}

void RecordFile::Write(std::int32_t first, std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return;
  if (first < 1) ThrowBadRecord(first);
  const std::int64_t end = std::int64_t{first} - 1 + static_cast<std::int64_t>(bytes.size());
  try {
    raw_->WriteAt(std::int64_t{first} - 1, bytes);
  } catch (...) {
    // Part of the run may have reached the file: its length is what the medium says.
    try {
      size_ = raw_->Size();
    } catch (...) {
    }
    throw;
  }
  size_ = std::max(size_, end);
}

}  // namespace hdgr
