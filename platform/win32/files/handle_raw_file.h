#pragma once
// A raw file over a Windows file handle, underneath the record files: each run of records
// is one read or one write of it, nothing buffered.

#include <memory>
#include <string>
#include <string_view>

#include "platform/src/raw_file.h"
#include "platform/win32/base/unique_handle.h"

namespace hdgr::win32 {

class HandleRawFile : public RawFile {
 public:
  // Read and write, shared for reading only; creates a missing file and keeps an
  // existing one as it is.
  static std::unique_ptr<HandleRawFile> OpenForRecords(std::string_view path);
  // Over a handle already open, shared with its other users; `name` is what errors say.
  static std::unique_ptr<HandleRawFile> Over(SharedFileHandle file, std::wstring name);

  std::int64_t Size() override;
  void ReadAt(std::int64_t offset, std::span<std::uint8_t> into) override;
  void WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes) override;

 private:
  static constexpr std::int64_t kUnknownPosition = -1;

  HandleRawFile(SharedFileHandle file, std::wstring path, std::int64_t position)
      : file_(std::move(file)), path_(std::move(path)), position_(position) {}
  // Puts the file pointer at `offset` unless it is there already.
  void MoveTo(std::int64_t offset);

  SharedFileHandle file_;
  std::wstring path_;
  std::int64_t position_;  // the file pointer, as our own calls left it
};

}  // namespace hdgr::win32
