#pragma once
// A test double of the whole platform: an in-memory drive, settings store, desktop and
// setup window. It records every call in order (except the record reads and writes,
// which come once per block) and can make any service fail with a given run-time error.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/run_time_error.h"

namespace hdgr::testing {

// The platform's operations as the double records them and a test makes them fail.
enum class Op {
  kShowMessage,
  kReadSetting,
  kSaveSetting,
  kFindEntry,
  kRemoveFile,
  kMakeFolder,
  kChangeFolder,
  kHoldPrivateFolder,
  kMoveFolderAside,
  kHoldProductFolder,
  kRemoveLeftovers,
  kFileLength,
  kOpenRandomFile,
  kOpenNewFile,
  kReadRecords,
  kWriteRecords,
  kCloseFile,
  kCloseAllFiles,
  kNewFileLength,
  kPutInPlace,
  kDiscardNewFile,
  kSealFile,
  kReadHeldFile,
  kReleaseFiles,
  kSavePicture,
  kStartProgram,
  kPumpEvents,
  kGetScreenMetrics,
  kEndProgram,
  kFindWindowByTitle,
  kGetWindowRect,
  kSetWindowPos,
  kFlashWindow,
  kElevated,
  kRunsAsServiceAccount,
  kMayReplace,
  kRunElevatedCopy,
  kHoldOutputFolder,
};

// The method's name, as calls are recorded under it.
std::string_view NameOf(Op operation);
// Finding entries, lengths, settings read, window lookups: they change nothing.
bool IsQuery(Op operation);

// EndProgram throws this, so a test sees that no later step ran.
struct ProgramEnded {};

struct FakeFile {
  std::vector<std::uint8_t> bytes;
  bool hidden = false;
  bool system = false;
  bool read_only = false;
  std::int32_t highest_record_read = 0;  // the highest record ReadRecords was asked for; 0: none
};

class FakePlatform;

class FakeLabel : public Label {
 public:
  FakeLabel(FakePlatform& owner, std::string name, std::string caption)
      : owner_(owner), name_(std::move(name)), caption_(std::move(caption)) {}
  std::string Caption() const override { return caption_; }
  void SetCaption(std::string_view caption) override;
  void SetVisible(bool visible) override;
  void SetForeColor(Colour colour) override;
  bool visible = true;
  Colour fore_color{0, 0, 0};

 private:
  FakePlatform& owner_;
  std::string name_;
  std::string caption_;
};

class FakeButton : public CommandButton {
 public:
  FakeButton(FakePlatform& owner, std::string name, std::string caption)
      : owner_(owner), name_(std::move(name)), caption_(std::move(caption)) {}
  std::string Caption() const override { return caption_; }
  void SetCaption(std::string_view caption) override;
  bool Enabled() const override { return enabled_; }
  void SetEnabled(bool enabled) override;

 private:
  FakePlatform& owner_;
  std::string name_;
  std::string caption_;
  bool enabled_ = true;
};

class FakeProgressBar : public ProgressBar {
 public:
  explicit FakeProgressBar(FakePlatform& owner) : owner_(owner) {}
  void SetMax(float max) override;
  void SetValue(float value) override;
  float max = 100;
  float value = 0;
  std::vector<float> values;  // every Value set, in order

 private:
  FakePlatform& owner_;
};

class FakeTimer : public Timer {
 public:
  explicit FakeTimer(FakePlatform& owner) : owner_(owner) {}
  void SetEnabled(bool enabled) override;
  bool enabled = false;

 private:
  FakePlatform& owner_;
};

class FakePicture : public Picture {
 public:
  std::span<const std::uint8_t> Bytes() const override { return bytes; }
  std::vector<std::uint8_t> bytes;
};

class FakePlatform : public ApplicationServices, public User32, public SetupForm {
 public:
  FakePlatform();
  // A planned failure (Fail) that never fired fails the test that planned it: the test
  // guarded nothing.
  ~FakePlatform() override;
  Platform platform() { return Platform{*this, *this, *this}; }

  // --- what a test arranges and inspects ---------------------------------------------
  std::vector<std::string> calls;  // in order; see each operation for its wording
  void ClearCalls();  // not calls.clear(): the double keeps a fact per call beside them
  std::vector<std::string> notes;  // the run's log lines, apart from the calls

  // The `skip`+1-th call of `operation` whose first argument contains `target`
  // (case-insensitive; "" matches all) throws `number`. Record operations match the name
  // the file was opened under (a new file's final path).
  void Fail(Op operation, std::string target, ErrorNumber number, int skip = 0);
  // Called with each call as it is recorded, before the call does its work: a test can
  // change the drive at exactly that moment, as another program might.
  std::function<void(const std::string& call)> on_call;

  std::map<std::string, FakeFile> files;  // by lower-cased full path
  std::set<std::string> folders;          // lower-cased full paths, "c:" is the drive
  // Links in a folder's place: HoldProductFolder refuses them, HoldPrivateFolder says no,
  // MoveFolderAside takes them (as it takes a file).
  std::set<std::string> untrusted_folders;
  // Folders others may change: HoldPrivateFolder says no, MoveFolderAside takes them.
  std::set<std::string> shared_folders;
  std::set<std::string> held_folders;
  // Drive letters this run does not have, lower-cased ("q:"): another logon session's
  // network or subst drive. FindEntry on a path there is path not found.
  std::set<std::string> unseen_drives;
  // Drive letters whose volume keeps no access lists, lower-cased ("c:"): FAT, exFAT.
  // MakeFolder and HoldPrivateFolder refuse them.
  std::set<std::string> drives_without_access_lists;
  // Folders a run with the administrators' rights made: private to such a run, refused
  // (permission denied) to one without them (elevated, below).
  std::set<std::string> administrators_folders;
  std::set<std::string> held_files;
  std::map<std::string, std::string> settings;  // "application\section\key" -> text
  std::map<std::string, WindowHandle> windows;  // top-level windows by exact title
  std::map<WindowHandle, WindowRect> window_rects;
  ScreenMetrics screen{12000.0f, 9000.0f, 15.0f, 15.0f};  // 800 x 600 pixels
  std::uint32_t task_number = 4242;  // what StartProgram returns; 0: the program asks for rights the run lacks
  bool elevated = true;              // what Elevated says
  bool service_account = false;      // what RunsAsServiceAccount says
  std::set<std::string> not_replaceable;  // lower-cased program paths MayReplace says no to
  // What RunElevatedCopy returns: the copy's exit code, or nothing for a refused consent.
  std::optional<int> elevated_copy_exit = kExitDone;
  std::string current_folder;
  FakePicture picture;
  static constexpr WindowHandle kSetupWindow = 0x5e7;
  // What MoveFolderAside appends to a folder's name.
  static constexpr std::string_view kAsideSuffix = ".0123456789abcdef.aside";

  // Helpers for tests.
  void PutFile(const std::string& path, std::vector<std::uint8_t> bytes);
  const FakeFile* File(const std::string& path) const;
  // The new file for `final_path`, wherever it lies now (under its fresh name or in place);
  // nullptr when there is none.
  const FakeFile* WrittenFile(const std::string& final_path) const;
  bool HasFolder(const std::string& path) const;
  std::string Setting(const std::string& key) const;  // under HaldenGrid\applicationSettings
  bool HasCall(const std::string& call) const;
  std::ptrdiff_t IndexOf(const std::string& call) const;  // -1 when absent
  std::vector<std::string> CallsStartingWith(const std::string& prefix) const;
  // The calls without the read-only queries (finding entries, lengths, settings read,
  // window lookups): a sequence check over these guards what the code changes, and a new
  // query added on the way does not break it.
  std::vector<std::string> ChangingCalls() const;

  // --- controls ------------------------------------------------------------------------
  FakeLabel progress_caption{*this, "Label1", "Progress"};
  FakeLabel version_digits[3]{{*this, "Label3(0)", "3"}, {*this, "Label3(1)", "4"}, {*this, "Label3(2)", "0"}};
  FakeLabel status_line{*this, "Label5", "Your version: 0"};
  FakeButton accept_button{*this, "Command1", "Accept terms of install"};
  FakeButton cancel_button{*this, "Command2", "Cancel"};
  FakeProgressBar progress_bar{*this};
  FakeTimer exit_timer{*this};

  // --- SetupForm -------------------------------------------------------------------------
  Label& ProgressCaption() override { return progress_caption; }
  Label& VersionDigit(int index) override;
  Label& StatusLine() override { return status_line; }
  CommandButton& AcceptButton() override { return accept_button; }
  CommandButton& CancelButton() override { return cancel_button; }
  ProgressBar& Progress() override { return progress_bar; }
  Timer& ExitTimer() override { return exit_timer; }
  const Picture& CarrierPicture() override { return picture; }
  WindowHandle hWnd() const override { return kSetupWindow; }
  void KeepSessionOpen(std::string_view reason) override {
    RecordControl("KeepSessionOpen(" + std::string(reason) + ")");
    session_kept_open = true;
  }
  void LetSessionEnd() override {
    RecordControl("LetSessionEnd");
    session_kept_open = false;
  }
  bool session_kept_open = false;

  // --- ApplicationServices -------------------------------------------------------------
  void ShowMessage(std::string_view text, MessageIcon icon, std::string_view title) override;
  void Note(std::string_view line) override { notes.emplace_back(line); }
  std::string ReadSetting(std::string_view application, std::string_view section,
                          std::string_view key, std::string_view default_value) override;
  void SaveSetting(std::string_view application, std::string_view section, std::string_view key,
                   std::string_view value) override;
  std::string SettingsPlace(std::string_view application, std::string_view section) override {
    return "HKEY_CURRENT_USER\\Software\\" + std::string(application) + "\\" + std::string(section);
  }
  std::string FindEntry(std::string_view path, int mask) override;
  void RemoveFile(std::string_view path) override;
  void MakeFolder(std::string_view path) override;
  void ChangeFolder(std::string_view path) override;
  bool HoldPrivateFolder(std::string_view path) override;
  std::string MoveFolderAside(std::string_view path) override;
  void HoldProductFolder(std::string_view program_path) override;
  // Holds the deepest folder on the way that exists and makes those below it; a link
  // (untrusted_folders) or a file on the way is refused. Private where the drive keeps
  // access lists (held_folders either way).
  void HoldOutputFolder(std::string_view folder) override;
  void RemoveLeftovers(std::string_view final_path) override;
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
  void PumpEvents() override;
  ScreenMetrics GetScreenMetrics() override;
  OwnVersion GetOwnVersion() override { return {3, 4, 0}; }
  [[noreturn]] void EndProgram(int exit_code = kExitDone) override;
  int exit_code = -1;  // what EndProgram was given
  bool Elevated() override;
  bool RunsAsServiceAccount() override;
  bool MayReplace(std::string_view program_path) override;
  std::optional<int> RunElevatedCopy(std::span<const std::string> arguments) override;

  // --- User32 ----------------------------------------------------------------------------
  WindowHandle FindWindowByTitle(std::string_view title) override;
  WindowRect GetWindowRect(WindowHandle window) override;
  void SetWindowPos(WindowHandle window, WindowHandle insert_after, std::int32_t x, std::int32_t y,
                    std::int32_t width, std::int32_t height, std::uint32_t flags) override;
  void FlashWindow(WindowHandle window, bool invert) override;

  // A control's property set, e.g. "Label1.Caption=Done".
  void RecordControl(std::string call) { Record(std::move(call), false); }

 private:
  struct Failure {
    Op operation;
    std::string target;
    ErrorNumber number;
    int skip;
  };
  struct OpenFileEntry {
    std::string key;   // where the file lies, lower-cased
    std::string name;  // what errors name: the path, or a new file's final path
  };
  struct NewFileEntry {
    std::string key;  // where it lies now: its fresh name, or its final path once in place
    bool in_place = false;
  };
  // Recorded as "Name(arguments)", or "Name" without.
  void Record(Op operation, std::string_view arguments = {});
  void Record(std::string call, bool query);
  void MaybeFail(Op operation, std::string_view target);
  OpenFileEntry& OpenFile(int file_number);
  NewFileEntry& NewFileFor(std::string_view final_path, std::string_view operation);
  void CheckNumberFree(int file_number, std::string_view path) const;
  void RefuseWithoutAccessLists(std::string_view path) const;
  // Where a file the services hold lies: a new file's fresh name, or the path itself; ""
  // when the path is not held.
  std::string HeldKey(std::string_view path) const;

  std::vector<Failure> failures_;
  std::vector<bool> queries_;  // per call: a query's
  std::map<int, OpenFileEntry> open_files_;
  std::map<std::string, NewFileEntry> new_files_;  // by lower-cased final path
  int new_file_count_ = 0;
};

std::string Lower(std::string_view text);

}  // namespace hdgr::testing
