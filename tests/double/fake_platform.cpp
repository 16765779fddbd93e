#include "fake_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <sstream>
#include <stdexcept>

#include "platform/path_text.h"

namespace hdgr::testing {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

namespace {

struct OpFacts {
  Op operation;
  std::string_view name;
  bool query;
};

// In the enum's order, so that an operation's facts are at its index.
constexpr std::array kOps = {
    OpFacts{Op::kShowMessage, "ShowMessage", false},         OpFacts{Op::kReadSetting, "ReadSetting", true},
    OpFacts{Op::kSaveSetting, "SaveSetting", false},         OpFacts{Op::kFindEntry, "FindEntry", true},
    OpFacts{Op::kRemoveFile, "RemoveFile", false},           OpFacts{Op::kMakeFolder, "MakeFolder", false},
    OpFacts{Op::kChangeFolder, "ChangeFolder", false},       OpFacts{Op::kHoldPrivateFolder, "HoldPrivateFolder", false},
    OpFacts{Op::kMoveFolderAside, "MoveFolderAside", false}, OpFacts{Op::kHoldProductFolder, "HoldProductFolder", false},
    OpFacts{Op::kRemoveLeftovers, "RemoveLeftovers", false}, OpFacts{Op::kFileLength, "FileLength", true},
    OpFacts{Op::kOpenRandomFile, "OpenRandomFile", false},   OpFacts{Op::kOpenNewFile, "OpenNewFile", false},
    OpFacts{Op::kReadRecords, "ReadRecords", false},         OpFacts{Op::kWriteRecords, "WriteRecords", false},
    OpFacts{Op::kCloseFile, "CloseFile", false},             OpFacts{Op::kCloseAllFiles, "CloseAllFiles", false},
    OpFacts{Op::kNewFileLength, "NewFileLength", true},      OpFacts{Op::kPutInPlace, "PutInPlace", false},
    OpFacts{Op::kDiscardNewFile, "DiscardNewFile", false},   OpFacts{Op::kSealFile, "SealFile", false},
    OpFacts{Op::kReadHeldFile, "ReadHeldFile", true},        OpFacts{Op::kReleaseFiles, "ReleaseFiles", false},
    OpFacts{Op::kSavePicture, "SavePicture", false},         OpFacts{Op::kStartProgram, "StartProgram", false},
    OpFacts{Op::kPumpEvents, "PumpEvents", false},           OpFacts{Op::kGetScreenMetrics, "GetScreenMetrics", true},
    OpFacts{Op::kEndProgram, "EndProgram", false},           OpFacts{Op::kFindWindowByTitle, "FindWindowByTitle", true},
    OpFacts{Op::kGetWindowRect, "GetWindowRect", true},      OpFacts{Op::kSetWindowPos, "SetWindowPos", false},
    OpFacts{Op::kFlashWindow, "FlashWindow", false},         OpFacts{Op::kElevated, "Elevated", true},
    OpFacts{Op::kRunsAsServiceAccount, "RunsAsServiceAccount", true}, OpFacts{Op::kMayReplace, "MayReplace", true},
    OpFacts{Op::kRunElevatedCopy, "RunElevatedCopy", false}, OpFacts{Op::kHoldOutputFolder, "HoldOutputFolder", false},
};
static_assert(kOps.size() == static_cast<std::size_t>(Op::kHoldOutputFolder) + 1, "an operation without its facts");
static_assert([] {
  for (std::size_t i = 0; i < kOps.size(); ++i)
    if (static_cast<std::size_t>(kOps[i].operation) != i) return false;
  return true;
}(), "the facts are out of the enum's order");

const OpFacts& FactsOf(Op operation) { return kOps[static_cast<std::size_t>(operation)]; }

}  // namespace

std::string_view NameOf(Op operation) { return FactsOf(operation).name; }
bool IsQuery(Op operation) { return FactsOf(operation).query; }

namespace {

std::string ParentOf(const std::string& path) {
  const auto slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string FileNameOf(std::string_view path) {
  const auto slash = path.rfind('\\');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string Key(std::string_view path) {
  constexpr std::string_view kLongPathPrefix = "\\\\?\\";
  if (path.substr(0, kLongPathPrefix.size()) == kLongPathPrefix) path.remove_prefix(kLongPathPrefix.size());
  // As Windows reads a path: repeated separators count as one, a closing one as none.
  std::string key;
  for (const char c : Lower(path))
    if (c != '\\' || key.empty() || key.back() != '\\') key.push_back(c);
  while (key.size() > 3 && key.back() == '\\') key.pop_back();
  if (key == "c:\\") key = "c:";
  return key;
}

std::string Text(float value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

std::string Text(Colour c) {
  return std::to_string(c.red) + "," + std::to_string(c.green) + "," + std::to_string(c.blue);
}

}  // namespace

// --- controls ------------------------------------------------------------------------------

void FakeLabel::SetCaption(std::string_view caption) {
  caption_ = caption;
  owner_.RecordControl(name_ + ".Caption=" + caption_);
}
void FakeLabel::SetVisible(bool value) {
  visible = value;
  owner_.RecordControl(name_ + ".Visible=" + (value ? "true" : "false"));
}
void FakeLabel::SetForeColor(Colour colour) {
  fore_color = colour;
  owner_.RecordControl(name_ + ".ForeColor=" + Text(colour));
}
void FakeButton::SetCaption(std::string_view caption) {
  caption_ = caption;
  owner_.RecordControl(name_ + ".Caption=" + caption_);
}
void FakeButton::SetEnabled(bool value) {
  enabled_ = value;
  owner_.RecordControl(name_ + ".Enabled=" + (value ? "true" : "false"));
}
void FakeProgressBar::SetMax(float new_max) {
  max = new_max;
  owner_.RecordControl("ProgressBar1.Max=" + Text(new_max));
}
void FakeProgressBar::SetValue(float new_value) {
  value = new_value;
  values.push_back(new_value);
  owner_.RecordControl("ProgressBar1.Value=" + Text(new_value));
}
void FakeTimer::SetEnabled(bool value) {
  enabled = value;
  owner_.RecordControl(std::string("Timer1.Enabled=") + (value ? "true" : "false"));
}

// --- arrangement helpers ---------------------------------------------------------------------

FakePlatform::FakePlatform() {
  folders.insert("c:");
  window_rects[kSetupWindow] = WindowRect{0, 0, 516, 319};
}

Label& FakePlatform::VersionDigit(int index) { return version_digits[index]; }

FakePlatform::~FakePlatform() {
  // Outside a test (the fuzz targets use the double too) there is nobody to tell.
  if (::testing::UnitTest::GetInstance()->current_test_info() == nullptr) return;
  for (const Failure& failure : failures_)
    ADD_FAILURE() << "a planned failure of " << NameOf(failure.operation) << " on \"" << failure.target << "\" never fired";
}

void FakePlatform::Fail(Op operation, std::string target, ErrorNumber number, int skip) {
  failures_.push_back(Failure{operation, Lower(target), number, skip});
}

void FakePlatform::Record(Op operation, std::string_view arguments) {
  std::string call(NameOf(operation));
  if (!arguments.empty()) call += "(" + std::string(arguments) + ")";
  Record(std::move(call), IsQuery(operation));
}

void FakePlatform::Record(std::string call, bool query) {
  if (on_call) on_call(call);
  calls.push_back(std::move(call));
  queries_.push_back(query);
}

void FakePlatform::MaybeFail(Op operation, std::string_view target) {
  // Checked per block by the record operations: skip the lowering unless one could match.
  const auto same_operation = [operation](const Failure& failure) { return failure.operation == operation; };
  if (std::none_of(failures_.begin(), failures_.end(), same_operation)) return;
  const std::string lowered = Lower(target);
  for (auto it = failures_.begin(); it != failures_.end(); ++it) {
    if (it->operation != operation || lowered.find(it->target) == std::string::npos) continue;
    if (it->skip > 0) {
      --it->skip;
      continue;
    }
    const ErrorNumber number = it->number;
    failures_.erase(it);
    throw RunTimeError(number, std::string(target));
  }
}

void FakePlatform::PutFile(const std::string& path, std::vector<std::uint8_t> bytes) {
  files[Key(path)].bytes = std::move(bytes);
}

const FakeFile* FakePlatform::File(const std::string& path) const {
  const auto it = files.find(Key(path));
  return it == files.end() ? nullptr : &it->second;
}

const FakeFile* FakePlatform::WrittenFile(const std::string& final_path) const {
  const auto it = new_files_.find(Key(final_path));
  return it == new_files_.end() ? nullptr : File(it->second.key);
}

bool FakePlatform::HasFolder(const std::string& path) const { return folders.count(Key(path)) > 0; }

std::string FakePlatform::Setting(const std::string& key) const {
  const auto it = settings.find("HaldenGrid\\applicationSettings\\" + key);
  return it == settings.end() ? "<missing>" : it->second;
}

bool FakePlatform::HasCall(const std::string& call) const { return IndexOf(call) >= 0; }

std::ptrdiff_t FakePlatform::IndexOf(const std::string& call) const {
  const auto it = std::find(calls.begin(), calls.end(), call);
  return it == calls.end() ? -1 : it - calls.begin();
}

void FakePlatform::ClearCalls() {
  calls.clear();
  queries_.clear();
}

std::vector<std::string> FakePlatform::ChangingCalls() const {
  if (queries_.size() != calls.size()) throw std::logic_error("calls changed behind the double's back: use ClearCalls");
  std::vector<std::string> out;
  for (std::size_t i = 0; i < calls.size(); ++i)
    if (!queries_[i]) out.push_back(calls[i]);
  return out;
}

std::vector<std::string> FakePlatform::CallsStartingWith(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const auto& call : calls)
    if (call.rfind(prefix, 0) == 0) out.push_back(call);
  return out;
}

// --- ApplicationServices ----------------------------------------------------------------------

void FakePlatform::ShowMessage(std::string_view text, MessageIcon icon, std::string_view title) {
  Record(Op::kShowMessage, std::to_string(static_cast<int>(icon)) + "," + std::string(title) + "," + std::string(text));
  MaybeFail(Op::kShowMessage, text);
}

std::string FakePlatform::ReadSetting(std::string_view application, std::string_view section,
                                      std::string_view key, std::string_view default_value) {
  Record(Op::kReadSetting, std::string(key));
  MaybeFail(Op::kReadSetting, key);
  const auto it = settings.find(std::string(application) + "\\" + std::string(section) + "\\" +
                                std::string(key));
  return it == settings.end() ? std::string(default_value) : it->second;
}

void FakePlatform::SaveSetting(std::string_view application, std::string_view section,
                               std::string_view key, std::string_view value) {
  Record(Op::kSaveSetting, std::string(key) + "," + std::string(value));
  MaybeFail(Op::kSaveSetting, key);
  settings[std::string(application) + "\\" + std::string(section) + "\\" + std::string(key)] = value;
}

std::string FakePlatform::FindEntry(std::string_view path, int mask) {
  Record(Op::kFindEntry, std::string(path) + "," + std::to_string(mask));
  MaybeFail(Op::kFindEntry, path);
  if (HasWildcard(path)) throw RunTimeError(ErrorNumber::kBadFileNameOrNumber, std::string(path));
  if (unseen_drives.count(Lower(DriveLetterOf(path))))
    throw RunTimeError(ErrorNumber::kPathNotFound, std::string(path) + ": drive not there for this run");
  const std::string key = Key(path);
  if (const auto it = files.find(key); it != files.end()) {
    const bool plain = !it->second.hidden && !it->second.system;
    return plain || mask == kFindFolders ? FileNameOf(path) : std::string();
  }
  if (mask == kFindFolders && folders.count(key) > 0) return FileNameOf(path);
  return {};
}

void FakePlatform::RemoveFile(std::string_view path) {
  Record(Op::kRemoveFile, std::string(path));
  MaybeFail(Op::kRemoveFile, path);
  const auto it = files.find(Key(path));
  if (it == files.end()) throw RunTimeError(ErrorNumber::kFileNotFound, std::string(path));
  if (it->second.read_only)
    throw RunTimeError(ErrorNumber::kPathFileAccessError, std::string(path));
  for (const auto& [number, open] : open_files_)
    if (open.key == it->first) throw RunTimeError(ErrorNumber::kPermissionDenied, std::string(path));
  held_files.erase(it->first);
  files.erase(it);
}

void FakePlatform::RefuseWithoutAccessLists(std::string_view path) const {
  if (drives_without_access_lists.count(Lower(DriveLetterOf(path))))
    throw RunTimeError(ErrorNumber::kPathFileAccessError, std::string(path) + " lies on a drive without access lists");
}

void FakePlatform::MakeFolder(std::string_view path) {
  Record(Op::kMakeFolder, std::string(path));
  MaybeFail(Op::kMakeFolder, path);
  RefuseWithoutAccessLists(path);
  const std::string key = Key(path);
  if (folders.count(key) || files.count(key))
    throw RunTimeError(ErrorNumber::kPathFileAccessError, std::string(path));
  if (!folders.count(ParentOf(key))) throw RunTimeError(ErrorNumber::kPathNotFound, std::string(path));
  folders.insert(key);
  held_folders.insert(key);
}

bool FakePlatform::HoldPrivateFolder(std::string_view path) {
  Record(Op::kHoldPrivateFolder, std::string(path));
  MaybeFail(Op::kHoldPrivateFolder, path);
  const std::string key = Key(path);
  if (!folders.count(key) && !files.count(key)) throw RunTimeError(ErrorNumber::kPathNotFound, std::string(path));
  if (files.count(key) || untrusted_folders.count(key)) return false;
  RefuseWithoutAccessLists(path);
  if (shared_folders.count(key)) return false;
  if (administrators_folders.count(key) && !elevated)
    throw RunTimeError(ErrorNumber::kPermissionDenied, std::string(path) + " was made by an administrator's run");
  held_folders.insert(key);
  return true;
}

std::string FakePlatform::MoveFolderAside(std::string_view path) {
  Record(Op::kMoveFolderAside, std::string(path));
  MaybeFail(Op::kMoveFolderAside, path);
  const std::string key = Key(path);
  if ((!folders.count(key) && !files.count(key)) || held_folders.count(key))
    throw RunTimeError(ErrorNumber::kPathFileAccessError, std::string(path));
  const std::string aside = std::string(path) + std::string(kAsideSuffix);
  const auto moved = [&](const std::string& name) { return Key(aside) + name.substr(key.size()); };
  const auto inside = [&](const std::string& name) {
    return name == key || (name.size() > key.size() && name.compare(0, key.size() + 1, key + "\\") == 0);
  };
  std::set<std::string> new_folders;
  for (const std::string& folder : folders) new_folders.insert(inside(folder) ? moved(folder) : folder);
  folders = std::move(new_folders);
  std::map<std::string, FakeFile> new_files;
  for (auto& [name, file] : files) new_files.emplace(inside(name) ? moved(name) : name, std::move(file));
  files = std::move(new_files);
  shared_folders.erase(key);
  untrusted_folders.erase(key);
  return aside;
}

void FakePlatform::HoldProductFolder(std::string_view program_path) {
  Record(Op::kHoldProductFolder, std::string(program_path));
  MaybeFail(Op::kHoldProductFolder, program_path);
  const std::string folder = ParentOf(Key(program_path));
  if (!folders.count(folder) || untrusted_folders.count(folder))
    throw RunTimeError(ErrorNumber::kPathFileAccessError, std::string(program_path));
  held_folders.insert(folder);
}

void FakePlatform::HoldOutputFolder(std::string_view folder) {
  Record(Op::kHoldOutputFolder, std::string(folder));
  MaybeFail(Op::kHoldOutputFolder, folder);
  const std::string key = Key(folder);
  std::vector<std::string> levels;
  for (std::string level = key; !level.empty(); level = ParentOf(level)) levels.insert(levels.begin(), level);
  for (const std::string& level : levels) {
    if (untrusted_folders.count(level) || files.count(level))
      throw RunTimeError(ErrorNumber::kPathFileAccessError, level + " is a link or a file: nothing was written");
    if (!folders.count(level)) {
      if (level == levels.front()) throw RunTimeError(ErrorNumber::kPathNotFound, std::string(folder));
      folders.insert(level);
    }
    held_folders.insert(level);
  }
}

void FakePlatform::RemoveLeftovers(std::string_view final_path) {
  Record(Op::kRemoveLeftovers, std::string(final_path));
  MaybeFail(Op::kRemoveLeftovers, final_path);
  const std::string key = Key(final_path);
  const std::string folder = ParentOf(key);
  const std::string name = key.substr(folder.size() + 1);
  for (auto it = files.begin(); it != files.end();) {
    const bool beside = ParentOf(it->first) == folder && !held_files.count(it->first);
    if (beside && IsFreshNameOf(it->first.substr(folder.size() + 1), name)) it = files.erase(it);
    else ++it;
  }
}

void FakePlatform::ChangeFolder(std::string_view path) {
  Record(Op::kChangeFolder, std::string(path));
  MaybeFail(Op::kChangeFolder, path);
  if (!folders.count(Key(path))) throw RunTimeError(ErrorNumber::kPathNotFound, std::string(path));
  current_folder = path;
}

std::int32_t FakePlatform::FileLength(std::string_view path) {
  Record(Op::kFileLength, std::string(path));
  MaybeFail(Op::kFileLength, path);
  const std::string held = HeldKey(path);
  const auto it = files.find(held.empty() ? Key(path) : held);
  if (it == files.end()) throw RunTimeError(ErrorNumber::kFileNotFound, std::string(path));
  return static_cast<std::int32_t>(it->second.bytes.size());
}

int FakePlatform::FreeFileNumber() {
  int number = 1;
  while (open_files_.count(number)) ++number;
  return number;
}

void FakePlatform::CheckNumberFree(int file_number, std::string_view path) const {
  if (open_files_.count(file_number)) throw RunTimeError(ErrorNumber::kFileAlreadyOpen, std::string(path));
}

void FakePlatform::OpenRandomFile(std::string_view path, int file_number) {
  Record(Op::kOpenRandomFile, std::string(path) + ",#" + std::to_string(file_number));
  MaybeFail(Op::kOpenRandomFile, path);
  const std::string key = Key(path);
  CheckNumberFree(file_number, path);
  if (folders.count(key)) throw RunTimeError(ErrorNumber::kPathFileAccessError, std::string(path));
  if (!folders.count(ParentOf(key))) throw RunTimeError(ErrorNumber::kPathNotFound, std::string(path));
  if (const auto it = files.find(key); it != files.end() && it->second.read_only)
    throw RunTimeError(ErrorNumber::kPathFileAccessError, std::string(path));
  files[key];  // created when missing, kept as it is otherwise
  open_files_[file_number] = OpenFileEntry{key, std::string(path)};
}

void FakePlatform::OpenNewFile(std::string_view final_path, int file_number) {
  Record(Op::kOpenNewFile, std::string(final_path) + ",#" + std::to_string(file_number));
  MaybeFail(Op::kOpenNewFile, final_path);
  const std::string key = Key(final_path);
  CheckNumberFree(file_number, final_path);
  if (!folders.count(ParentOf(key))) throw RunTimeError(ErrorNumber::kPathNotFound, std::string(final_path));
  if (new_files_.count(key)) throw RunTimeError(ErrorNumber::kFileAlreadyOpen, std::string(final_path));
  const std::string fresh = key + "." + std::to_string(++new_file_count_) + ".new";
  files[fresh];
  new_files_[key] = NewFileEntry{fresh, false};
  open_files_[file_number] = OpenFileEntry{fresh, std::string(final_path)};
}

FakePlatform::OpenFileEntry& FakePlatform::OpenFile(int file_number) {
  const auto it = open_files_.find(file_number);
  if (it == open_files_.end())
    throw RunTimeError(ErrorNumber::kBadFileNameOrNumber, "File number " + std::to_string(file_number));
  return it->second;
}

void FakePlatform::ReadRecords(int file_number, std::int32_t first, std::span<std::uint8_t> into) {
  const OpenFileEntry& open = OpenFile(file_number);
  MaybeFail(Op::kReadRecords, open.name);
  FakeFile& file = files[open.key];
  if (into.empty()) return;
  const std::int64_t last = std::int64_t{first} + static_cast<std::int64_t>(into.size()) - 1;
  if (last > file.highest_record_read) file.highest_record_read = static_cast<std::int32_t>(last);
  if (first < 1 || last > static_cast<std::int64_t>(file.bytes.size()))
    throw RunTimeError(ErrorNumber::kBadRecordNumber, open.name);
  std::copy_n(file.bytes.begin() + (first - 1), into.size(), into.begin());
}

void FakePlatform::WriteRecords(int file_number, std::int32_t first, std::span<const std::uint8_t> bytes) {
  const OpenFileEntry& open = OpenFile(file_number);
  MaybeFail(Op::kWriteRecords, open.name);
  if (first < 1) throw RunTimeError(ErrorNumber::kBadRecordNumber, open.name);
  FakeFile& file = files[open.key];
  const std::size_t end = static_cast<std::size_t>(first) - 1 + bytes.size();
  if (end > file.bytes.size()) file.bytes.resize(end);
  std::copy(bytes.begin(), bytes.end(), file.bytes.begin() + (first - 1));
}

void FakePlatform::CloseFile(int file_number) {
  Record(Op::kCloseFile, "#" + std::to_string(file_number));
  const auto it = open_files_.find(file_number);
  const std::string name = it == open_files_.end() ? std::string() : it->second.name;
  open_files_.erase(file_number);
  MaybeFail(Op::kCloseFile, name);
}

void FakePlatform::CloseAllFiles() {
  Record(Op::kCloseAllFiles);
  std::string names;
  for (const auto& [number, open] : open_files_) names += open.name + ";";
  open_files_.clear();
  MaybeFail(Op::kCloseAllFiles, names);
}

FakePlatform::NewFileEntry& FakePlatform::NewFileFor(std::string_view final_path, std::string_view operation) {
  const auto it = new_files_.find(Key(final_path));
  if (it == new_files_.end())
    throw RunTimeError(ErrorNumber::kBadFileNameOrNumber,
                       std::string(operation) + ": no new file for " + std::string(final_path));
  return it->second;
}

std::int64_t FakePlatform::NewFileLength(std::string_view final_path) {
  Record(Op::kNewFileLength, std::string(final_path));
  MaybeFail(Op::kNewFileLength, final_path);
  return static_cast<std::int64_t>(files[NewFileFor(final_path, "NewFileLength").key].bytes.size());
}

void FakePlatform::PutInPlace(std::string_view final_path) {
  Record(Op::kPutInPlace, std::string(final_path));
  MaybeFail(Op::kPutInPlace, final_path);
  NewFileEntry& entry = NewFileFor(final_path, "PutInPlace");
  const std::string key = Key(final_path);
  for (const auto& [number, open] : open_files_)
    if (open.key == entry.key) throw RunTimeError(ErrorNumber::kPermissionDenied, std::string(final_path));
  if (const auto target = files.find(key); target != files.end() && target->second.read_only)
    throw RunTimeError(ErrorNumber::kPathFileAccessError, std::string(final_path));
  if (folders.count(key)) throw RunTimeError(ErrorNumber::kPathFileAccessError, std::string(final_path));
  FakeFile moved = std::move(files[entry.key]);
  files.erase(entry.key);
  files[key] = std::move(moved);
  entry = NewFileEntry{key, true};
  held_files.insert(key);
}

void FakePlatform::DiscardNewFile(std::string_view final_path) {
  Record(Op::kDiscardNewFile, std::string(final_path));
  const auto it = new_files_.find(Key(final_path));
  if (it == new_files_.end()) return;
  if (!it->second.in_place) {
    for (auto open = open_files_.begin(); open != open_files_.end();)
      open = open->second.key == it->second.key ? open_files_.erase(open) : std::next(open);
    files.erase(it->second.key);
  }
  new_files_.erase(it);
}

std::string FakePlatform::HeldKey(std::string_view path) const {
  if (const auto it = new_files_.find(Key(path)); it != new_files_.end()) return it->second.key;
  return held_files.count(Key(path)) ? Key(path) : std::string();
}

void FakePlatform::SealFile(std::string_view path) {
  Record(Op::kSealFile, std::string(path));
  MaybeFail(Op::kSealFile, path);
  const std::string key = HeldKey(path);
  for (const auto& [number, open] : open_files_)
    if (open.key == key) throw RunTimeError(ErrorNumber::kPermissionDenied, std::string(path) + " is open");
  if (key.empty() || !files.count(key))
    throw RunTimeError(ErrorNumber::kPathFileAccessError, std::string(path) + " is not held");
}

void FakePlatform::ReadHeldFile(std::string_view path, std::span<std::uint8_t> into) {
  Record(Op::kReadHeldFile, std::string(path));
  MaybeFail(Op::kReadHeldFile, path);
  const auto it = files.find(HeldKey(path));
  if (it == files.end())
    throw RunTimeError(ErrorNumber::kPathFileAccessError, std::string(path) + " is not held");
  if (it->second.bytes.size() < into.size())
    throw RunTimeError(ErrorNumber::kPathFileAccessError, std::string(path) + " is shorter");
  std::copy_n(it->second.bytes.begin(), into.size(), into.begin());
}

void FakePlatform::ReleaseFiles() {
  Record(Op::kReleaseFiles);
  for (const auto& [final_key, entry] : new_files_)
    if (!entry.in_place) files.erase(entry.key);
  new_files_.clear();
  held_files.clear();
  held_folders.clear();
}

void FakePlatform::SavePicture(const Picture& saved, std::string_view path) {
  Record(Op::kSavePicture, std::string(path));
  MaybeFail(Op::kSavePicture, path);
  const std::string key = Key(path);
  if (!folders.count(ParentOf(key))) throw RunTimeError(ErrorNumber::kPathNotFound, std::string(path));
  if (folders.count(key)) throw RunTimeError(ErrorNumber::kPathFileAccessError, std::string(path));
  if (const auto it = files.find(key); it != files.end() && it->second.read_only)
    throw RunTimeError(ErrorNumber::kPathFileAccessError, std::string(path));
  const auto bytes = saved.Bytes();
  files[key] = FakeFile{{bytes.begin(), bytes.end()}};
  held_files.insert(key);
}

std::uint32_t FakePlatform::StartProgram(std::string_view path, int show_state) {
  Record(Op::kStartProgram, std::string(path) + "," + std::to_string(show_state));
  MaybeFail(Op::kStartProgram, path);
  return task_number;
}

void FakePlatform::PumpEvents() { Record(Op::kPumpEvents); }

bool FakePlatform::Elevated() {
  Record(Op::kElevated);
  return elevated;
}

bool FakePlatform::RunsAsServiceAccount() {
  Record(Op::kRunsAsServiceAccount);
  return service_account;
}

bool FakePlatform::MayReplace(std::string_view program_path) {
  Record(Op::kMayReplace, std::string(program_path));
  MaybeFail(Op::kMayReplace, program_path);
  return !not_replaceable.count(Key(program_path));
}

std::optional<int> FakePlatform::RunElevatedCopy(std::span<const std::string> arguments) {
  std::string joined;
  for (const std::string& argument : arguments) joined += (joined.empty() ? "" : " ") + argument;
  Record(Op::kRunElevatedCopy, joined);
  MaybeFail(Op::kRunElevatedCopy, joined);
  return elevated_copy_exit;
}

ScreenMetrics FakePlatform::GetScreenMetrics() {
  Record(Op::kGetScreenMetrics);
  MaybeFail(Op::kGetScreenMetrics, "");
  return screen;
}

void FakePlatform::EndProgram(int code) {
  Record(Op::kEndProgram);
  exit_code = code;
  throw ProgramEnded{};
}

// --- User32 ------------------------------------------------------------------------------------

WindowHandle FakePlatform::FindWindowByTitle(std::string_view title) {
  Record(Op::kFindWindowByTitle, std::string(title));
  const auto it = windows.find(std::string(title));
  return it == windows.end() ? 0 : it->second;
}

WindowRect FakePlatform::GetWindowRect(WindowHandle window) {
  Record(Op::kGetWindowRect, std::to_string(window));
  return window_rects[window];
}

void FakePlatform::SetWindowPos(WindowHandle window, WindowHandle insert_after, std::int32_t x,
                                std::int32_t y, std::int32_t width, std::int32_t height,
                                std::uint32_t flags) {
  Record(Op::kSetWindowPos, std::to_string(window) + "," + std::to_string(insert_after) + "," +
                                std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(width) + "," +
                                std::to_string(height) + "," + std::to_string(flags));
}

void FakePlatform::FlashWindow(WindowHandle window, bool invert) {
  Record(Op::kFlashWindow, std::to_string(window) + "," + (invert ? "1" : "0"));
}

}  // namespace hdgr::testing
