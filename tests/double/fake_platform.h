#pragma once
// A test double of the whole platform: an in-memory drive, settings store, desktop and
// setup window. It records every call in order (except the per-byte record reads and
// writes) and can make any service fail with a given run-time error.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/run_time_error.h"

namespace hdgr::testing {

// EndProgram throws this, so a test sees that no later step ran.
struct ProgramEnded {};

struct FakeFile {
  std::vector<std::uint8_t> bytes;
  bool hidden = false;
  bool system = false;
  bool read_only = false;
  std::int32_t highest_record_read = 0;  // the highest record ReadByte was asked for; 0: none
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
  void ValueSet() override;
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
  Platform platform() { return Platform{*this, *this, *this}; }

  // --- what a test arranges and inspects ---------------------------------------------
  std::vector<std::string> calls;  // in order; see each operation for its wording

  // The `skip`+1-th call of `operation` whose first argument contains `target`
  // (case-insensitive; "" matches all) throws `number`. Operation names are the
  // method names, e.g. "WriteByte", "SaveSetting", "ReplaceFile".
  void Fail(std::string operation, std::string target, ErrorNumber number, int skip = 0);

  std::map<std::string, FakeFile> files;  // by lower-cased full path
  std::set<std::string> folders;          // lower-cased full paths, "c:" is the drive
  std::map<std::string, std::string> settings;  // "application\section\key" -> text
  std::map<std::string, WindowHandle> windows;  // top-level windows by exact title
  std::map<WindowHandle, WindowRect> window_rects;
  ScreenMetrics screen{12000.0f, 9000.0f, 15.0f, 15.0f};  // 800 x 600 pixels
  std::uint32_t task_number = 4242;  // what StartProgram returns
  std::string current_folder;
  FakePicture picture;
  static constexpr WindowHandle kSetupWindow = 0x5e7;

  // Helpers for tests.
  void PutFile(const std::string& path, std::vector<std::uint8_t> bytes);
  const FakeFile* File(const std::string& path) const;
  bool HasFolder(const std::string& path) const;
  std::string Setting(const std::string& key) const;  // under HaldenGrid\applicationSettings
  bool HasCall(const std::string& call) const;
  std::ptrdiff_t IndexOf(const std::string& call) const;  // -1 when absent
  std::vector<std::string> CallsStartingWith(const std::string& prefix) const;

  // --- controls ------------------------------------------------------------------------
  FakeLabel label1{*this, "Label1", "Progress"};
  FakeLabel label3[3]{{*this, "Label3(0)", "3"}, {*this, "Label3(1)", "4"}, {*this, "Label3(2)", "0"}};
  FakeLabel label5{*this, "Label5", "Your version: 0"};
  FakeButton command1{*this, "Command1", "Accept terms of install"};
  FakeButton command2{*this, "Command2", "Cancel"};
  FakeProgressBar progress_bar1{*this};
  FakeTimer timer1{*this};

  // --- SetupForm -------------------------------------------------------------------------
  Label& Label1() override { return label1; }
  Label& Label3(int index) override;
  Label& Label5() override { return label5; }
  CommandButton& Command1() override { return command1; }
  CommandButton& Command2() override { return command2; }
  ProgressBar& ProgressBar1() override { return progress_bar1; }
  Timer& Timer1() override { return timer1; }
  const Picture& Picture1() override { return picture; }
  WindowHandle hWnd() const override { return kSetupWindow; }

  // --- ApplicationServices -------------------------------------------------------------
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
  void PumpEventsNow() override;
  ScreenMetrics GetScreenMetrics() override;
  OwnVersion GetOwnVersion() override { return {3, 4, 0}; }
  [[noreturn]] void EndProgram() override;

  // --- User32 ----------------------------------------------------------------------------
  WindowHandle FindWindowA(std::string_view title) override;
  WindowRect GetWindowRect(WindowHandle window) override;
  void SetWindowPos(WindowHandle window, WindowHandle insert_after, std::int32_t x, std::int32_t y,
                    std::int32_t width, std::int32_t height, std::uint32_t flags) override;
  void FlashWindow(WindowHandle window, bool invert) override;

  void Record(std::string call) { calls.push_back(std::move(call)); }

 protected:
  // Every ReadByte and WriteByte: the fake publishes no record windows.
  std::uint8_t ReadRecord(int file_number, std::int32_t record) override;
  void WriteRecord(int file_number, std::int32_t record, std::uint8_t value) override;

 private:
  struct Failure {
    std::string operation;
    std::string target;
    ErrorNumber number;
    int skip;
  };
  void MaybeFail(std::string_view operation, std::string_view target);
  FakeFile& OpenFile(int file_number, std::string_view operation);

  std::vector<Failure> failures_;
  std::map<int, std::string> open_files_;  // file number -> lower-cased path
};

std::string Lower(std::string_view text);

}  // namespace hdgr::testing
