#include "platform/win32/record_file_table.h"

#include <exception>
#include <string>

#include "platform/run_time_error.h"
#include "platform/win32/handle_raw_file.h"

namespace hdgr::win32 {

void RecordFileTable::ThrowNotOpen(int number) {
  throw RunTimeError(ErrorNumber::kBadFileNameOrNumber,
                     "File number " + std::to_string(number) + " is not open");
}

int RecordFileTable::FreeNumber() const {
  for (int number = 1; number <= kHighestNumber; ++number)
    if (!files_[static_cast<std::size_t>(number - 1)]) return number;
  throw RunTimeError(ErrorNumber::kTooManyFiles, "All 255 file numbers are in use");
}

void RecordFileTable::Open(std::string_view path, int number) {
  if (number < 1 || number > kHighestNumber)
    throw RunTimeError(ErrorNumber::kBadFileNameOrNumber,
                       "File number " + std::to_string(number) + " for " + std::string(path));
  auto& slot = files_[static_cast<std::size_t>(number - 1)];
  if (slot)
    throw RunTimeError(ErrorNumber::kFileAlreadyOpen,
                       "File number " + std::to_string(number) + " holds " + slot->Path());
  slot = std::make_unique<RecordFile>(HandleRawFile::OpenForRecords(path), std::string(path));
}

void RecordFileTable::Close(int number) {
  if (number < 1 || number > kHighestNumber) return;
  const std::unique_ptr<RecordFile> file = std::move(files_[static_cast<std::size_t>(number - 1)]);
  if (file) file->Close();
}

void RecordFileTable::CloseAll() {
  std::exception_ptr first;
  for (int number = 1; number <= kHighestNumber; ++number) {
    try {
      Close(number);
    } catch (...) {
      if (!first) first = std::current_exception();
    }
  }
  if (first) std::rethrow_exception(first);
}

}  // namespace hdgr::win32
