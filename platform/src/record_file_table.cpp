#include "record_file_table.h"

#include <exception>
#include <string>
#include <utility>

#include "platform/run_time_error.h"

namespace hdgr {

RecordFileTable::RecordFileTable(Windows& windows, RawOpener open_raw)
    : windows_(windows), open_raw_(std::move(open_raw)) {}

void RecordFileTable::ThrowNotOpen(int number) {
  throw RunTimeError(ErrorNumber::kBadFileNameOrNumber,
                     "File number " + std::to_string(number) + " is not open");
}

int RecordFileTable::FreeNumber() const {
  for (int number = 1; number <= kHighestFileNumber; ++number)
    if (!files_[Index(number)]) return number;
  throw RunTimeError(ErrorNumber::kTooManyFiles, "All 255 file numbers are in use");
}

void RecordFileTable::Open(std::string_view path, int number) {
  if (number < 1 || number > kHighestFileNumber)
    throw RunTimeError(ErrorNumber::kBadFileNameOrNumber,
                       "File number " + std::to_string(number) + " for " + std::string(path));
  auto& slot = files_[Index(number)];
  if (slot)
    throw RunTimeError(ErrorNumber::kFileAlreadyOpen,
                       "File number " + std::to_string(number) + " holds " + slot->Path());
  slot = std::make_unique<RecordFile>(open_raw_(path), std::string(path));
  ++open_count_;
  slot->PublishAppends(windows_[Index(number)]);
}

// Everything below withdraws first: a failing call leaves the window empty, and an empty
// window only costs the next call its speed.
RecordFile& RecordFileTable::Withdrawn(int number) {
  // One unsigned compare for both ends of 1..255.
  const auto index = static_cast<std::size_t>(static_cast<unsigned>(number) - 1u);
  if (index >= files_.size() || !files_[index]) ThrowNotOpen(number);
  files_[index]->Withdraw(windows_[index]);
  return *files_[index];
}

std::uint8_t RecordFileTable::Read(int number, std::int32_t record) {
  RecordFile& file = Withdrawn(number);
  const std::uint8_t value = file.ReadByte(record);
  file.PublishReads(windows_[Index(number)]);
  return value;
}

void RecordFileTable::Write(int number, std::int32_t record, std::uint8_t value) {
  RecordFile& file = Withdrawn(number);
  file.WriteByte(record, value);
  file.PublishAppends(windows_[Index(number)]);
}

void RecordFileTable::Close(int number) {
  if (number < 1 || number > kHighestFileNumber || !files_[Index(number)]) return;
  Withdrawn(number);
  const std::unique_ptr<RecordFile> file = std::move(files_[Index(number)]);
  --open_count_;
  file->Close();
}

void RecordFileTable::CloseAll() {
  std::exception_ptr first;
  for (int number = 1; number <= kHighestFileNumber; ++number) {
    try {
      Close(number);
    } catch (...) {
      if (!first) first = std::current_exception();
    }
  }
  if (first) std::rethrow_exception(first);
}

}  // namespace hdgr
