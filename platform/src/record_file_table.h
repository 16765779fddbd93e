#pragma once
// The open random files by file number (1 to 255), each a buffered RecordFile.

#include <array>
#include <functional>
#include <memory>
#include <string_view>

#include "platform/src/record_file.h"

namespace hdgr::win32 {

class RecordFileTable {
 public:
  static constexpr int kHighestNumber = 255;

  // The lowest number not in use; none left: too many files.
  int FreeNumber() const;
  // A number outside 1..255: bad file number; one in use: file already open.
  void Open(std::string_view path, int number);
  // An unopened number: bad file name or number.
  std::uint8_t Read(int number, std::int32_t record) { return File(number).ReadByte(record); }
  void Write(int number, std::int32_t record, std::uint8_t value) { File(number).WriteByte(record, value); }
  // Closing a number that is not open does nothing. The file is released even when its
  // last writes fail; the failure is thrown after.
  void Close(int number);
  // Releases every file, then throws the first failure.
  void CloseAll();

 private:
  RecordFile& File(int number) {
    // One unsigned compare for both ends of 1..255.
    const auto index = static_cast<std::size_t>(static_cast<unsigned>(number) - 1u);
    if (index >= kHighestNumber || !files_[index]) ThrowNotOpen(number);
    return *files_[index];
  }
  [[noreturn]] static void ThrowNotOpen(int number);

  std::array<std::unique_ptr<RecordFile>, kHighestNumber> files_;  // [n - 1] holds number n
};

}  // namespace hdgr::win32
