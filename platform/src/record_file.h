#pragma once
// A random file of one-byte records numbered from 1, moved in runs of consecutive
// records: a run is one read or one write of the file underneath, with nothing buffered,
// so a write that fails throws at once.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "raw_file.h"

namespace hdgr {

class RecordFile {
 public:
  // `name` names the file in error messages.
  RecordFile(std::unique_ptr<RawFile> raw, std::string name);
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;

  // Records below 1 or past the end: bad record number, nothing read.
  void Read(std::int32_t first, std::span<std::uint8_t> into);
  // Record 0 or below: bad record number. Past the end extends the file.
  void Write(std::int32_t first, std::span<const std::uint8_t> bytes);

  std::int64_t Size() const { return size_; }
  const std::string& Name() const { return name_; }

 private:
  [[noreturn]] void ThrowBadRecord(std::int64_t record) const;

  std::unique_ptr<RawFile> raw_;
  std::string name_;
  std::int64_t size_;
};

}  // namespace hdgr
