#include "record_file_table.h"

#include <string>
#include <utility>

#include "platform/run_time_error.h"

namespace hdgr {

int RecordFileTable::FreeNumber() const {
  for (int number = 1; number <= kHighestFileNumber; ++number)
    if (!files_[Index(number)]) return number;
  throw RunTimeError(ErrorNumber::kTooManyFiles, "All 255 file numbers are in use");
}

void RecordFileTable::CheckOpenable(int number, std::string_view name) const {
  if (number < 1 || number > kHighestFileNumber)
    throw RunTimeError(ErrorNumber::kBadFileNameOrNumber,
                       "File number " + std::to_string(number) + " for " + std::string(name));
  if (const auto& slot = files_[Index(number)])
    throw RunTimeError(ErrorNumber::kFileAlreadyOpen,
                       "File number " + std::to_string(number) + " holds " + slot->Name());
}

void RecordFileTable::Open(int number, std::unique_ptr<RawFile> raw, std::string name) {
  CheckOpenable(number, name);
  files_[Index(number)] = std::make_unique<RecordFile>(std::move(raw), std::move(name));
}

RecordFile& RecordFileTable::Opened(int number) {
  if (number < 1 || number > kHighestFileNumber || !files_[Index(number)])
    throw RunTimeError(ErrorNumber::kBadFileNameOrNumber, "File number " + std::to_string(number) + " is not open");
  return *files_[Index(number)];
}

void RecordFileTable::Read(int number, std::int32_t first, std::span<std::uint8_t> into) {
  Opened(number).Read(first, into);
}

void RecordFileTable::Write(int number, std::int32_t first, std::span<const std::uint8_t> bytes) {
  Opened(number).Write(first, bytes);
}

void RecordFileTable::Close(int number) {
  if (number < 1 || number > kHighestFileNumber) return;
  files_[Index(number)].reset();
}

void RecordFileTable::CloseAll() {
  for (auto& file : files_) file.reset();
}

}  // namespace hdgr
