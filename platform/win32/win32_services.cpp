#include "platform/win32/win32_services.h"

#include "platform/win32/file_system.h"
#include "platform/win32/registry_settings.h"
#include "platform/win32/start_program.h"
#include "platform/win32/system_info.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_error.h"

namespace hdgr::win32 {

int ShowMessageBox(HWND owner, std::string_view text, std::string_view title, UINT icon) {
  const bool owned = owner != nullptr && IsWindow(owner);
  const UINT modality = owned ? MB_APPLMODAL : MB_TASKMODAL | MB_SETFOREGROUND;
  return MessageBoxW(owned ? owner : nullptr, Wide(text).c_str(), Wide(title).c_str(),
                     MB_OK | icon | modality);
}

void Win32Services::ShowMessage(std::string_view text, MessageIcon icon, std::string_view title) {
  if (ShowMessageBox(owner_, text, title, static_cast<UINT>(icon)) == 0)
    throw Win32Error(GetLastError(), "Message box \"" + std::string(title) + "\"");
}

std::string Win32Services::ReadSetting(std::string_view application, std::string_view section,
                                       std::string_view key, std::string_view default_value) {
  return ReadRegistrySetting(application, section, key, default_value);
}

void Win32Services::SaveSetting(std::string_view application, std::string_view section,
                                std::string_view key, std::string_view value) {
  SaveRegistrySetting(application, section, key, value);
}

std::string Win32Services::FindEntry(std::string_view path, int mask) { return win32::FindEntry(path, mask); }
void Win32Services::RemoveFile(std::string_view path) { win32::RemoveFile(path); }
void Win32Services::MakeFolder(std::string_view path) { win32::MakeFolder(path); }
void Win32Services::ChangeFolder(std::string_view path) { win32::ChangeFolder(path); }
std::int32_t Win32Services::FileLength(std::string_view path) { return win32::FileLength(path); }
void Win32Services::ReplaceFile(std::string_view from, std::string_view to) { win32::ReplaceFile(from, to); }

void Win32Services::ReadFileInChunks(std::string_view path,
                                     const std::function<void(std::span<const std::uint8_t>)>& sink) {
  win32::ReadFileInChunks(path, sink);
}

int Win32Services::FreeFileNumber() { return files_.FreeNumber(); }

std::uint8_t Win32Services::ReadRecord(int file_number, std::int32_t record) {
  return files_.Read(file_number, record);
}

void Win32Services::WriteRecord(int file_number, std::int32_t record, std::uint8_t value) {
  files_.Write(file_number, record, value);
}

void Win32Services::OpenRandomFile(std::string_view path, int file_number) {
  files_.Open(path, file_number);
}

// Between the files of a run the bar keeps the display's pace (a repaint costs about a
// millisecond under Wine); every run ends with close all, and then it shows the last Value.
void Win32Services::CloseFile(int file_number) {
  PassPumps(0);
  files_.Close(file_number);
}

void Win32Services::CloseAllFiles() {
  PassPumps(0);
  pump_.ShowExactly();
  files_.CloseAll();
}

void Win32Services::SavePicture(const Picture& picture, std::string_view path) {
  WriteWholeFile(path, picture.Bytes());
}

std::uint32_t Win32Services::StartProgram(std::string_view path, int show_state) {
  return win32::StartProgram(path, show_state);
}

// Only a copy pumps densely enough for passed calls to stay microseconds apart; a lone
// call at any other time is asked of the pump.
void Win32Services::PumpEventsNow() {
  pump_.Pump();
  if (files_.AnyOpen()) PassPumps(PacedEventPump::kCallsPerClockRead - 1);
}

ScreenMetrics Win32Services::GetScreenMetrics() { return ReadScreenMetrics(); }

OwnVersion Win32Services::GetOwnVersion() { return ReadOwnVersion(); }

void Win32Services::EndProgram() { ExitProcess(0); }

}  // namespace hdgr::win32
