#pragma once
// The open random files by file number (1 to 255).

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/application_services.h"
#include "record_file.h"

namespace hdgr {

class RecordFileTable {
 public:
  RecordFileTable() = default;
  RecordFileTable(const RecordFileTable&) = delete;
  RecordFileTable& operator=(const RecordFileTable&) = delete;

  // The lowest number not in use; none left: too many files.
  int FreeNumber() const;
  // Takes `raw` under `number`, named `name` in errors. A number outside 1..255: bad file
  // number; one in use: file already open.
  void Open(int number, std::unique_ptr<RawFile> raw, std::string name);
  // An unopened number: bad file name or number.
  void Read(int number, std::int32_t first, std::span<std::uint8_t> into);
  void Write(int number, std::int32_t first, std::span<const std::uint8_t> bytes);
  // Closing a number that is not open does nothing.
  void Close(int number);
  void CloseAll();
  // A number outside 1..255 or in use fails as Open would, before anything is created.
  void CheckOpenable(int number, std::string_view name) const;

 private:
  static std::size_t Index(int number) { return static_cast<std::size_t>(number - 1); }
  RecordFile& Opened(int number);

  std::array<std::unique_ptr<RecordFile>, kHighestFileNumber> files_;  // [n - 1] holds number n
};

}  // namespace hdgr
