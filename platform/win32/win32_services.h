#pragma once
// The application services over the wide-character Win32 API.

#include <windows.h>

#include <memory>
#include <string>

#include "platform/application_services.h"
#include "platform/run_time_error.h"
#include "platform/win32/base/unique_handle.h"
#include "platform/win32/display/paced_event_pump.h"
#include "platform/win32/files/held_files.h"
#include "platform/win32/log/run_log.h"

namespace hdgr {
class RecordFileTable;  // the record files are the platform's own affair
}

namespace hdgr::win32 {

class Win32Services final : public ApplicationServices {
 public:
  Win32Services();
  ~Win32Services() override;
  Win32Services(const Win32Services&) = delete;
  Win32Services& operator=(const Win32Services&) = delete;

  // Message boxes become modal to `owner` once the setup window exists; without one
  // they are task-modal and come to the foreground.
  void SetOwnerWindow(HWND owner) { owner_ = owner; }
  HWND OwnerWindow() const { return owner_; }
  // What the pump and close all bring up to date (the progress bar); may be null.
  void SetPendingDisplay(PendingDisplay* display) { pump_.SetDisplay(display); }
  // Messages go to the log only, no box waits for anybody.
  void SetUnattended(bool unattended) { unattended_ = unattended; }
  // A run that shows nothing places its form on no screen: the screen is not asked (its
  // first question starts the process's display, under Wine 10-35 ms), and its metrics
  // read as an empty screen at 96 dpi.
  void SetNoScreen() { no_screen_ = true; }
  // The title of the run-time error's box.
  void SetErrorTitle(std::string_view title) { error_title_ = title; }
  // The log that Note writes to; kept when opened (RunLog::Open), nothing otherwise.
  RunLog& Log() { return log_; }
  // The event boundary's end for a failure: noted with where it was met (RunTimeError::Where),
  // shown unless unattended (modal to the owner window when there is one) in the user's
  // words alone, then exit code 1.
  [[noreturn]] void EndWithRunTimeError(const RunTimeError& error);
  // A quit message reached the program: never its own (EndProgram ends the process with
  // its own code), so it is dropped; the first is noted.
  void IgnoreForeignQuit(int code);

  void ShowMessage(std::string_view text, MessageIcon icon, std::string_view title) override;
  void Note(std::string_view line) override { log_.Write(line); }
  std::string ReadSetting(std::string_view application, std::string_view section,
                          std::string_view key, std::string_view default_value) override;
  void SaveSetting(std::string_view application, std::string_view section, std::string_view key,
                   std::string_view value) override;
  std::string SettingsPlace(std::string_view application, std::string_view section) override;
  std::string FindEntry(std::string_view path, int mask) override;
  void RemoveFile(std::string_view path) override;
  void MakeFolder(std::string_view path) override;
  bool HoldPrivateFolder(std::string_view path) override;
  std::string MoveFolderAside(std::string_view path) override;
  void HoldProductFolder(std::string_view program_path) override;
  void HoldOutputFolder(std::string_view folder) override;
  void RemoveLeftovers(std::string_view final_path) override;
  void ChangeFolder(std::string_view path) override;
  std::int32_t FileLength(std::string_view path) override;
  int FreeFileNumber() override;
  void OpenRandomFile(std::string_view path, int file_number) override;
  void OpenNewFile(std::string_view final_path, int file_number) override;
  void ReadRecords(int file_number, std::int32_t first, std::span<std::uint8_t> into) override;
  void WriteRecords(int file_number, std::int32_t first, std::span<const std::uint8_t> bytes) override;
  void CloseFile(int file_number) override;
  void CloseAllFiles() override;
  std::int64_t NewFileLength(std::string_view final_path) override;
  void PutInPlace(std::string_view final_path) override;
  void DiscardNewFile(std::string_view final_path) override;
  void SealFile(std::string_view path) override;
  void ReadHeldFile(std::string_view path, std::span<std::uint8_t> into) override;
  void ReleaseFiles() override;
  void SavePicture(const Picture& picture, std::string_view path) override;
  std::uint32_t StartProgram(std::string_view path, int show_state) override;
  bool Elevated() override;
  bool RunsAsServiceAccount() override;
  bool MayReplace(std::string_view program_path) override;
  // With this run's /quiet (for /quiet and /passive alike: the copy shows nothing either
  // way) and its log.
  std::optional<int> RunElevatedCopy(std::span<const std::string> arguments) override;
  // At most once per PacedEventPump::kIntervalMs; returns at once in between.
  void PumpEvents() override;
  ScreenMetrics GetScreenMetrics() override;
  OwnVersion GetOwnVersion() override;
  // Ends the process; files still open are not flushed. A run whose log could not be
  // written ends with exit code 1, whatever it did: its record is incomplete.
  [[noreturn]] void EndProgram(int exit_code = kExitDone) override;

 private:
  HWND owner_ = nullptr;
  bool unattended_ = false;
  bool no_screen_ = false;
  bool foreign_quit_noted_ = false;
  std::string error_title_;
  RunLog log_;
  std::unique_ptr<RecordFileTable> files_;
  HeldFiles held_;
  PacedEventPump pump_;
};

// Shows a message box as the services do; 0 when the box could not be shown.
int ShowMessageBox(HWND owner, std::string_view text, std::string_view title, UINT icon);

}  // namespace hdgr::win32
