#pragma once
// The application services over the wide-character Win32 API.

#include <windows.h>

#include "platform/application_services.h"
#include "platform/win32/paced_event_pump.h"
#include "platform/src/record_file_table.h"
#include "platform/win32/handle_raw_file.h"

namespace hdgr::win32 {

class Win32Services final : public ApplicationServices {
 public:
  Win32Services() = default;
  Win32Services(const Win32Services&) = delete;
  Win32Services& operator=(const Win32Services&) = delete;

  // Message boxes become modal to `owner` once the setup window exists; without one
  // they are task-modal and come to the foreground.
  void SetOwnerWindow(HWND owner) { owner_ = owner; }
  HWND OwnerWindow() const { return owner_; }
  // What the pump and close all bring up to date (the progress bar); may be null.
  void SetPendingDisplay(PendingDisplay* display) { pump_.SetDisplay(display); }

  void ShowMessage(std::string_view text, MessageIcon icon, std::string_view title) override;
  std::string ReadSetting(std::string_view application, std::string_view section,
                          std::string_view key, std::string_view default_value) override;
  void SaveSetting(std::string_view application, std::string_view section, std::string_view key,
                   std::string_view value) override;
  std::string FindEntry(std::string_view path, int mask) override;
  void RemoveFile(std::string_view path) override;
  void MakeFolder(std::string_view path) override;
  void ChangeFolder(std::string_view path) override;
  std::int32_t FileLength(std::string_view path) override;
  void ReplaceFile(std::string_view from, std::string_view to) override;
  void ReadFileInChunks(std::string_view path,
                        const std::function<void(std::span<const std::uint8_t>)>& sink) override;
  int FreeFileNumber() override;
  void OpenRandomFile(std::string_view path, int file_number) override;
  void CloseFile(int file_number) override;
  void CloseAllFiles() override;
  void SavePicture(const Picture& picture, std::string_view path) override;
  std::uint32_t StartProgram(std::string_view path, int show_state) override;
  ScreenMetrics GetScreenMetrics() override;
  OwnVersion GetOwnVersion() override;
  // Ends the process with exit code 0; files still open are not flushed.
  [[noreturn]] void EndProgram() override;

 private:
  // The record files publish their cached blocks and pending runs as the record windows,
  // so these come about once a block; out of line, so the per-byte loops stay small.
  [[gnu::noinline]] std::uint8_t ReadRecord(int file_number, std::int32_t record) override;
  [[gnu::noinline]] void WriteRecord(int file_number, std::int32_t record, std::uint8_t value) override;
  // At most once per PacedEventPump::kIntervalMs; returns at once in between.
  void PumpEventsNow() override;

  HWND owner_ = nullptr;
  RecordFileTable files_{RecordWindows(), [](std::string_view path) -> std::unique_ptr<RawFile> {
                           return HandleRawFile::OpenForRecords(path);
                         }};
  PacedEventPump pump_;
};

// Shows a message box as the services do; 0 when the box could not be shown.
int ShowMessageBox(HWND owner, std::string_view text, std::string_view title, UINT icon);

}  // namespace hdgr::win32
