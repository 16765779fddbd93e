#pragma once
// The open random files by file number (1 to 255), each a buffered RecordFile, published
// to the services' record windows so that a call per byte rarely reaches this table.

#include <array>
#include <functional>
#include <memory>
#include <string_view>

#include "platform/record_window.h"
#include "record_file.h"

namespace hdgr {

class RecordFileTable {
 public:
  using Windows = std::array<RecordWindow, kHighestFileNumber>;
  // Opens the medium under a record file: read and write, creating a missing file.
  using RawOpener = std::function<std::unique_ptr<RawFile>(std::string_view path)>;

  // `windows` ([n - 1] for number n) must outlive the table; only the table writes them.
  RecordFileTable(Windows& windows, RawOpener open_raw);
  RecordFileTable(const RecordFileTable&) = delete;
  RecordFileTable& operator=(const RecordFileTable&) = delete;

  // The lowest number not in use; none left: too many files.
  int FreeNumber() const;
  // A number outside 1..255: bad file number; one in use: file already open.
  void Open(std::string_view path, int number);
  // What the windows did not answer. An unopened number: bad file name or number.
  std::uint8_t Read(int number, std::int32_t record);
  void Write(int number, std::int32_t record, std::uint8_t value);
  // Closing a number that is not open does nothing. The file is released even when its
  // last writes fail; the failure is thrown after.
  void Close(int number);
  // Releases every file, then throws the first failure.
  void CloseAll();
  bool AnyOpen() const { return open_count_ > 0; }

 private:
  static std::size_t Index(int number) { return static_cast<std::size_t>(number - 1); }
  // The file, its window emptied and the appends made through it taken back.
  RecordFile& Withdrawn(int number);
  [[noreturn]] static void ThrowNotOpen(int number);

  Windows& windows_;
  RawOpener open_raw_;
  std::array<std::unique_ptr<RecordFile>, kHighestFileNumber> files_;  // [n - 1] holds number n
  int open_count_ = 0;
};

}  // namespace hdgr
