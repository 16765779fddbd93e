#include "platform/win32/win32_services.h"

#include <iterator>
#include <limits>
#include <memory>
#include <string_view>

#include "platform/form_design.h"
#include "platform/src/record_file_table.h"
#include "platform/win32/base/administrator_rights.h"
#include "platform/win32/base/wide_text.h"
#include "platform/win32/base/win32_error.h"
#include "platform/win32/display/screen_metrics.h"
#include "platform/win32/files/file_error.h"
#include "platform/win32/files/file_handles.h"
#include "platform/win32/files/file_system.h"
#include "platform/win32/files/handle_raw_file.h"
#include "platform/win32/files/held_folder.h"
#include "platform/win32/files/output_folder.h"
#include "platform/win32/system/elevated_copy.h"
#include "platform/win32/system/own_program.h"
#include "platform/win32/system/registry_settings.h"
#include "platform/win32/system/run_rights.h"
#include "platform/win32/system/start_program.h"

namespace hdgr::win32 {

Win32Services::Win32Services() : files_(std::make_unique<RecordFileTable>()) {
  pump_.SetForeignQuit([this](int code) { IgnoreForeignQuit(code); });
}
Win32Services::~Win32Services() = default;

namespace {

// The box this thread is about to show, made topmost as it is activated. MB_TOPMOST asks
// the same of Windows; Wine ignores it.
class TopmostBox {
 public:
  TopmostBox() : hook_(SetWindowsHookExW(WH_CBT, &Activated, nullptr, GetCurrentThreadId())) {}
  TopmostBox(const TopmostBox&) = delete;
  TopmostBox& operator=(const TopmostBox&) = delete;
  ~TopmostBox() {
    if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
  }

 private:
  static LRESULT CALLBACK Activated(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_ACTIVATE && IsThisThreadsBox(reinterpret_cast<HWND>(wparam)))
      SetWindowPos(reinterpret_cast<HWND>(wparam), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return CallNextHookEx(nullptr, code, wparam, lparam);
  }
  // Only the box: as it closes, the activation of the window that comes next (another
  // program's, such as the running product's) can pass through this thread's hook too.
  static bool IsThisThreadsBox(HWND window) {
    wchar_t name[8]{};
    return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId() &&
           GetClassNameW(window, name, static_cast<int>(std::size(name))) > 0 && std::wstring_view(name) == L"#32770";
  }
  HHOOK hook_;
};

}  // namespace

int ShowMessageBox(HWND owner, std::string_view text, std::string_view title, UINT icon) {
  const bool owned = owner != nullptr && IsWindow(owner);
  // Owned, a box stays above its owner, the topmost setup window. Without one (start-up,
  // or a second setup whose first keeps its window topmost) only a topmost box is sure to
  // be seen, rather than holding the keyboard behind another window.
  if (owned) return MessageBoxW(owner, Wide(text).c_str(), Wide(title).c_str(), MB_OK | icon | MB_APPLMODAL);
  const TopmostBox topmost;
  return MessageBoxW(nullptr, Wide(text).c_str(), Wide(title).c_str(),
                     MB_OK | icon | MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST);
}

void Win32Services::ShowMessage(std::string_view text, MessageIcon icon, std::string_view title) {
  log_.Write("message \"" + std::string(title) + "\": " + std::string(text));
  if (unattended_) return;
  if (ShowMessageBox(owner_, text, title, static_cast<UINT>(icon)) != 0) return;
  const DWORD code = GetLastError();
  // A box's own loop ends at a quit message and posts it again: another program closed the
  // box, which has one OK button, as OK would have.
  if (MSG quit; PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    IgnoreForeignQuit(static_cast<int>(quit.wParam));
    return;
  }
  throw Win32Error(code, "Message box \"" + std::string(title) + "\"");
}

void Win32Services::EndWithRunTimeError(const RunTimeError& error) {
  // The log's own failure is this error, or a run-time error already: it must not hide it.
  // Where it was met goes to the log alone: the box keeps to the user's words.
  try {
    log_.Write(error.Where().empty() ? error.MessageText() : error.MessageText() + "\nat " + error.Where());
  } catch (const RunTimeError&) {
  }
  if (!unattended_) ShowMessageBox(owner_, error.MessageText(), error_title_, MB_ICONERROR);
  EndProgram(kExitFailed);
}

void Win32Services::IgnoreForeignQuit(int code) {
  if (foreign_quit_noted_) return;
  foreign_quit_noted_ = true;
  Note("ignored a quit message with exit code " + std::to_string(code) +
       ", which the setup did not post (any more are not noted)");
}

std::string Win32Services::ReadSetting(std::string_view application, std::string_view section, std::string_view key,
                                       std::string_view default_value) {
  return ReadRegistrySetting(application, section, key, default_value);
}

void Win32Services::SaveSetting(std::string_view application, std::string_view section, std::string_view key,
                                std::string_view value) {
  SaveRegistrySetting(application, section, key, value);
}

std::string Win32Services::SettingsPlace(std::string_view application, std::string_view section) {
  return "HKEY_CURRENT_USER\\Software\\" + std::string(application) + "\\" + std::string(section);
}

std::string Win32Services::FindEntry(std::string_view path, int mask) { return win32::FindEntry(path, mask); }

void Win32Services::RemoveFile(std::string_view path) {
  if (held_.Holds(path)) held_.Remove(path);
  else win32::RemoveFile(path);
}

void Win32Services::MakeFolder(std::string_view path) { held_.KeepFolder(path, MakePrivateFolder(Wide(path))); }
bool Win32Services::HoldPrivateFolder(std::string_view path) {
  FileHandle folder = win32::HoldPrivateFolder(Wide(path));
  if (!folder) return false;
  held_.KeepFolder(path, std::move(folder));
  return true;
}
void Win32Services::RemoveLeftovers(std::string_view final_path) {
  for (const std::string& removed : win32::RemoveLeftovers(final_path))
    Note("removed " + removed + ", left by a run that was stopped");
}
void Win32Services::HoldProductFolder(std::string_view program_path) { held_.HoldProductFolder(program_path); }
void Win32Services::HoldOutputFolder(std::string_view folder) { win32::HoldOutputFolder(Wide(folder), held_); }
std::string Win32Services::MoveFolderAside(std::string_view path) { return Utf8(win32::MoveFolderAside(Wide(path))); }
void Win32Services::ChangeFolder(std::string_view path) { win32::ChangeFolder(path); }

std::int32_t Win32Services::FileLength(std::string_view path) {
  if (!held_.Holds(path)) return win32::FileLength(path);
  const std::int64_t length = held_.Length(path);
  if (length > std::numeric_limits<std::int32_t>::max())
    throw RunTimeError(ErrorNumber::kOverflow, std::string(path) + " is longer than 2 GiB - 1");
  return static_cast<std::int32_t>(length);
}

int Win32Services::FreeFileNumber() { return files_->FreeNumber(); }

void Win32Services::OpenRandomFile(std::string_view path, int file_number) {
  files_->CheckOpenable(file_number, path);
  std::unique_ptr<RawFile> raw;
  if (held_.Holds(path)) raw = HandleRawFile::Over(held_.HoldOf(path), Wide(path));
  else raw = HandleRawFile::OpenForRecords(path);
  files_->Open(file_number, std::move(raw), std::string(path));
}

void Win32Services::OpenNewFile(std::string_view final_path, int file_number) {
  files_->CheckOpenable(file_number, final_path);
  SharedFileHandle records = held_.CreateNew(final_path);
  files_->Open(file_number, HandleRawFile::Over(std::move(records), Wide(final_path)), std::string(final_path));
}

void Win32Services::ReadRecords(int file_number, std::int32_t first, std::span<std::uint8_t> into) {
  files_->Read(file_number, first, into);
}

void Win32Services::WriteRecords(int file_number, std::int32_t first, std::span<const std::uint8_t> bytes) {
  files_->Write(file_number, first, bytes);
}

void Win32Services::CloseFile(int file_number) { files_->Close(file_number); }

// Every run ends its copies with close all: the bar takes the run's last Value exactly.
void Win32Services::CloseAllFiles() {
  pump_.ShowExactlySoon();
  files_->CloseAll();
}

std::int64_t Win32Services::NewFileLength(std::string_view final_path) { return held_.Length(final_path); }
void Win32Services::PutInPlace(std::string_view final_path) { held_.PutInPlace(final_path); }
void Win32Services::DiscardNewFile(std::string_view final_path) { held_.Release(final_path); }
void Win32Services::SealFile(std::string_view path) { held_.Seal(path); }
void Win32Services::ReadHeldFile(std::string_view path, std::span<std::uint8_t> into) { held_.Read(path, into); }
void Win32Services::ReleaseFiles() { held_.ReleaseAll(); }

void Win32Services::SavePicture(const Picture& picture, std::string_view path) {
  held_.Release(path);
  const SharedFileHandle writer = held_.CreateNew(path);
  if (const DWORD code = WriteWhole(writer->Get(), picture.Bytes()); code != 0) {
    held_.Release(path);
    throw FileError(code, Wide(path));
  }
  try {
    held_.PutInPlace(path);
  } catch (...) {
    held_.Release(path);
    throw;
  }
}

std::uint32_t Win32Services::StartProgram(std::string_view path, int show_state) {
  if (!held_.Holds(path)) return win32::StartProgram(path, show_state);
  return win32::StartProgram(path, show_state, [this, path] { held_.Release(path); });
}

bool Win32Services::Elevated() { return HasAdministratorRights(); }
bool Win32Services::RunsAsServiceAccount() { return win32::RunsAsServiceAccount(); }
bool Win32Services::MayReplace(std::string_view program_path) { return win32::MayReplace(Wide(program_path)); }

std::optional<int> Win32Services::RunElevatedCopy(std::span<const std::string> arguments) {
  std::vector<std::wstring> words;
  for (const std::string& argument : arguments) words.push_back(Wide(argument));
  if (unattended_) words.emplace_back(L"/quiet");
  if (!log_.Path().empty()) {
    words.emplace_back(L"/log");
    words.push_back(log_.Path());
  }
  return RunElevated(OwnProgramPath(), words, owner_,
                     [this] { PumpAllMessages([this](int code) { IgnoreForeignQuit(code); }); });
}

void Win32Services::PumpEvents() { pump_.Pump(); }

ScreenMetrics Win32Services::GetScreenMetrics() {
  constexpr auto kAtDesignDpi = static_cast<float>(kTwipsPerPixel);
  if (no_screen_) return ScreenMetrics{0, 0, kAtDesignDpi, kAtDesignDpi};
  return ReadScreenMetrics();
}

OwnVersion Win32Services::GetOwnVersion() { return ReadOwnVersion(); }

void Win32Services::EndProgram(int exit_code) {
  try {
    log_.Write("exit code " + std::to_string(exit_code));
  } catch (const RunTimeError&) {
  }
  ExitProcess(static_cast<UINT>(log_.Failed() ? kExitFailed : exit_code));
}

}  // namespace hdgr::win32
