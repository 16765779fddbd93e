#pragma once
// The application services the setup logic needs of the platform. Every operation
// that fails throws RunTimeError; callers test results only where a contract below
// says there is a result to test. Text is UTF-8 throughout.

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "platform/record_window.h"

namespace hdgr {

enum class MessageIcon : int { kError = 16, kInformation = 64 };

// Find entry masks.
inline constexpr int kFindFiles = 0;     // plain files only: not hidden, system or folders
inline constexpr int kFindFolders = 16;  // folders too

// Show state for StartProgram: a normal window that gets the focus.
inline constexpr int kShowNormalFocus = 1;

struct ScreenMetrics {
  float width_twips;
  float height_twips;
  float twips_per_pixel_x;
  float twips_per_pixel_y;
};

struct OwnVersion {
  int major;
  int minor;
  int revision;
};

// The stored image of a picture box: the exact bytes of a bitmap file.
class Picture {
 public:
  virtual ~Picture() = default;
  virtual std::span<const std::uint8_t> Bytes() const = 0;
};

class ApplicationServices {
 public:
  virtual ~ApplicationServices() = default;

  // Modal, one OK button; a carriage return in `text` breaks the line.
  // Returns when the user has closed it.
  virtual void ShowMessage(std::string_view text, MessageIcon icon, std::string_view title) = 0;

  // The current user's stored text, also when it is empty; `default_value` when the
  // application, section or key is missing.
  virtual std::string ReadSetting(std::string_view application, std::string_view section,
                                  std::string_view key, std::string_view default_value) = 0;
  // Creates whatever is missing and replaces the value; kept after the program ends.
  virtual void SaveSetting(std::string_view application, std::string_view section,
                           std::string_view key, std::string_view value) = 0;

  // Name (no folder) of the first entry matching `path` literally, or the empty text.
  // kFindFiles: plain files only; kFindFolders: folders and plain files.
  virtual std::string FindEntry(std::string_view path, int mask) = 0;
  virtual void RemoveFile(std::string_view path) = 0;
  // Creates one folder whose parent exists.
  virtual void MakeFolder(std::string_view path) = 0;
  virtual void ChangeFolder(std::string_view path) = 0;
  // Length in bytes; a file longer than 2 GiB - 1 is an overflow.
  virtual std::int32_t FileLength(std::string_view path) = 0;
  // Replaces `to` (if any, whatever its attributes) with `from` in one step; both in the
  // same folder.
  virtual void ReplaceFile(std::string_view from, std::string_view to) = 0;
  // Reads the whole file front to back, handing each chunk to `sink`.
  virtual void ReadFileInChunks(std::string_view path,
                                const std::function<void(std::span<const std::uint8_t>)>& sink) = 0;

  // Random files of one-byte records numbered from 1.
  virtual int FreeFileNumber() = 0;
  // Read and write; a missing file is created, an existing one keeps its length and bytes.
  virtual void OpenRandomFile(std::string_view path, int file_number) = 0;
  // Record 0, a negative record or one past the end: kBadRecordNumber.
  // Called once per byte of a copy, so a published window answers without a virtual call.
  std::uint8_t ReadByte(int file_number, std::int32_t record) {
    // One unsigned compare each: the file number's range, then both ends of the window.
    const auto slot = static_cast<unsigned>(file_number) - 1u;
    if (slot < static_cast<unsigned>(kHighestFileNumber)) {
      const RecordReadWindow& window = record_windows_[slot].read;
      const auto index = static_cast<std::uint64_t>(std::int64_t{record} - 1 - window.first_offset);
      if (index < window.length) [[likely]] return window.bytes[index];
    }
    return ReadRecord(file_number, record);
  }
  // Writing just past the end extends the file.
  void WriteByte(int file_number, std::int32_t record, std::uint8_t value) {
    const auto slot = static_cast<unsigned>(file_number) - 1u;
    if (slot < static_cast<unsigned>(kHighestFileNumber)) {
      RecordWriteWindow& window = record_windows_[slot].write;
      const std::int64_t offset = std::int64_t{record} - 1;
      if ((offset == window.next_offset) & (offset < window.limit)) [[likely]] {
        window.bytes[offset - window.base_offset] = value;
        window.next_offset = offset + 1;
        return;
      }
    }
    WriteRecord(file_number, record, value);
  }
  // Releases the file; buffered writes that cannot be flushed fail here.
  virtual void CloseFile(int file_number) = 0;
  virtual void CloseAllFiles() = 0;

  // Writes exactly the picture's stored bytes, replacing an existing file.
  virtual void SavePicture(const Picture& picture, std::string_view path) = 0;
  // Returns at once: the task number, 0 when the program did not start.
  virtual std::uint32_t StartProgram(std::string_view path, int show_state) = 0;
  // Handles pending window messages (repaint, input), then returns. Called at every
  // progress point of a copy: an implementation that pumps at the display's pace lets the
  // calls in between return here, with no virtual call (PassPumps).
  void PumpEvents() {
    if (pumps_to_pass_ > 0) [[likely]] {
      --pumps_to_pass_;
      return;
    }
    PumpEventsNow();
  }
  virtual ScreenMetrics GetScreenMetrics() = 0;
  virtual OwnVersion GetOwnVersion() = 0;
  // Stops at once: no later step runs and no further event is handled.
  [[noreturn]] virtual void EndProgram() = 0;

 protected:
  // PumpEvents whenever it does not return at once.
  virtual void PumpEventsNow() = 0;
  // The next `count` calls of PumpEvents return at once.
  void PassPumps(std::uint32_t count) { pumps_to_pass_ = count; }

  // ReadByte and WriteByte whenever the file's window does not answer.
  virtual std::uint8_t ReadRecord(int file_number, std::int32_t record) = 0;
  virtual void WriteRecord(int file_number, std::int32_t record, std::uint8_t value) = 0;

  // [n - 1] for file number n; all empty unless the implementation publishes.
  std::array<RecordWindow, kHighestFileNumber>& RecordWindows() { return record_windows_; }

 private:
  std::array<RecordWindow, kHighestFileNumber> record_windows_{};
  std::uint32_t pumps_to_pass_ = 0;
};

}  // namespace hdgr
