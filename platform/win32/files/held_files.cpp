#include "platform/win32/files/held_files.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>

#include "platform/run_time_error.h"
#include "platform/win32/base/wide_text.h"
#include "platform/win32/files/file_error.h"
#include "platform/win32/files/file_handles.h"
#include "platform/win32/files/held_folder.h"
#include "platform/win32/files/link_check.h"

namespace hdgr::win32 {

namespace {

constexpr DWORD kMostPerCall = 1u << 20;

// Win32 drops the blanks and dots that end a path's last name; a name in a folder's
// handle keeps them. Such a name, and "." and "..", would name another entry than the path.
std::wstring PlainNameOf(const std::wstring& path, std::string_view named) {
  const std::wstring name = NameOf(path);
  if (name.empty() || name.back() == L' ' || name.back() == L'.')
    throw RunTimeError(ErrorNumber::kBadFileNameOrNumber, std::string(named) + " does not end in a file name");
  return name;
}

bool InUse(const std::wstring& path) {
  return OpenElsewhere(path, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
}

}  // namespace

std::wstring HeldFiles::Key(std::string_view path) {
  std::wstring key = Wide(path);
  std::transform(key.begin(), key.end(), key.begin(), [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
  return key;
}

void HeldFiles::KeepFolder(std::string_view path, FileHandle folder) {
  folders_[Key(path)] = std::move(folder);
  work_folders_[Key(path)] = Wide(path);
}

void HeldFiles::KeepOutputFolder(std::string_view path, FileHandle folder) {
  folders_[Key(path)] = std::move(folder);
}

void HeldFiles::HoldProductFolder(std::string_view program_path) {
  const std::wstring folder = FolderOf(Wide(program_path));
  // With its closing separator the system keeps a blank or a dot at the folder name's end,
  // as it does inside the program's path: "C:\hg_prod \" is not "C:\hg_prod".
  const std::wstring named = folder + L"\\";
  FileHandle held = HoldAnyFolder(named, Utf8(folder));
  BY_HANDLE_FILE_INFORMATION info{};
  ThrowLastErrorIf(!GetFileInformationByHandle(held.Get(), &info), folder);
  if ((info.dwFileAttributes | AttributesOf(named)) & FILE_ATTRIBUTE_REPARSE_POINT || !ReachedWithoutLink(held.Get(), named))
    throw RunTimeError(ErrorNumber::kPathFileAccessError,
                       Utf8(folder) + " is a link to another place, not the product's folder: nothing was written");
  // A work folder is the setup's own, never the product's. Compared by the held folders'
  // own paths, so that no short name, prefix or letter case passes for another folder.
  for (const auto& [key, work] : work_folders_)
    if (IsSameOrInside(held.Get(), folders_.at(key).Get()))
      throw RunTimeError(ErrorNumber::kPathFileAccessError,
                         Utf8(folder) + " is the setup's own work folder (" + Utf8(work) +
                             ") or a folder in it, not the product's folder: nothing was written");
  folders_[Key(Utf8(folder))] = std::move(held);
}

HANDLE HeldFiles::HoldFolderOf(const std::wstring& final_path, std::string_view named) {
  const std::wstring folder = FolderOf(final_path);
  const std::wstring key = Key(Utf8(folder));
  auto it = folders_.find(key);
  if (it == folders_.end()) it = folders_.emplace(key, HoldAnyFolder(folder, std::string(named))).first;
  return it->second.Get();
}

HeldFiles::Held& HeldFiles::Find(std::string_view path, const char* operation) {
  const auto it = files_.find(Key(path));
  if (it == files_.end())
    throw RunTimeError(ErrorNumber::kBadFileNameOrNumber, std::string(operation) + ": " + std::string(path) + " is not held");
  return it->second;
}

bool HeldFiles::Holds(std::string_view path) const { return files_.count(Key(path)) > 0; }

SharedFileHandle HeldFiles::CreateNew(std::string_view final_path) {
  const std::wstring key = Key(final_path);
  if (files_.count(key)) throw RunTimeError(ErrorNumber::kFileAlreadyOpen, std::string(final_path));
  Held held;
  held.final_path = Wide(final_path);
  const HANDLE folder = HoldFolderOf(held.final_path, final_path);
  const std::wstring name = PlainNameOf(held.final_path, final_path);
  DWORD code = 0;
  std::wstring fresh_name;
  FileHandle file = CreateFreshFileIn(folder, name, &fresh_name, &code);
  if (!file) throw Win32Error(code, std::string(final_path));
  held.file = std::make_shared<const FileHandle>(std::move(file));
  held.fresh_path = FolderOf(held.final_path) + L"\\" + fresh_name;
  SharedFileHandle records = held.file;
  files_.emplace(key, std::move(held));
  return records;
}

std::int64_t HeldFiles::Length(std::string_view path) {
  Held& held = Find(path, "Length");
  LARGE_INTEGER size{};
  ThrowLastErrorIf(!GetFileSizeEx(held.file->Get(), &size), path);
  return size.QuadPart;
}

void HeldFiles::PutInPlace(std::string_view final_path) {
  Held& held = Find(final_path, "PutInPlace");
  if (held.in_place) return;
  const DWORD there = AttributesOf(held.final_path);
  if (there != INVALID_FILE_ATTRIBUTES && (there & FILE_ATTRIBUTE_DIRECTORY))
    throw RunTimeError(ErrorNumber::kPathFileAccessError, std::string(final_path) + " is a folder");
  // Refused here, not only by the system, which lets an administrator (and Wine) replace it.
  if (there != INVALID_FILE_ATTRIBUTES && (there & FILE_ATTRIBUTE_READONLY))
    throw RunTimeError(ErrorNumber::kPathFileAccessError, std::string(final_path) + " is read-only");
  MarkForRemoval(held.file->Get(), false);  // a file marked for removal cannot be renamed
  const HANDLE folder = HoldFolderOf(held.final_path, final_path);
  if (!RenameOpenFileInto(held.file->Get(), folder, NameOf(held.final_path))) {
    DWORD code = GetLastError();
    MarkForRemoval(held.file->Get(), true);
    // The system says only "access denied" when another program has the file open: the
    // user needs to know which of the two it is.
    if (code == ERROR_ACCESS_DENIED && InUse(held.final_path)) code = ERROR_SHARING_VIOLATION;
    throw FileError(code, held.final_path);
  }
  held.in_place = true;
}

// A program is started only from a file no handle writes to, so the write hold makes way
// for a read-only one, best while the file still has its fresh name. In between, for an
// instant, nothing holds the file: whatever is found at the name must be the very file
// that was written, and the caller reads it back through the new hold before it starts it.
// Once in place the hold keeps no delete access either: an installer that opens its own
// files sharing only reading can then open them, and still nobody can change them. The
// instant without a hold at the final name is no opening for another user: the work folder
// is private to the run's rights.
void HeldFiles::Seal(std::string_view path) {
  Held& held = Find(path, "SealFile");
  if (held.sealed && (held.read_only || !held.in_place)) return;
  FileIdentity written{};
  ThrowLastErrorIf(!IdentityOf(held.file->Get(), &written), path);
  const std::wstring& name = held.in_place ? held.final_path : held.fresh_path;
  if (!held.in_place) MarkForRemoval(held.file->Get(), false);  // or it goes with the handle
  held.file = std::make_shared<const FileHandle>();  // ours closes; an open record file's would stay
  // Delete access only for the rename into place: a program's start shares it.
  const DWORD access = held.in_place ? GENERIC_READ : GENERIC_READ | DELETE;
  FileHandle sealed(
      CreateFileW(name.c_str(), access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  ThrowLastErrorIf(!sealed, held.final_path);
  FileIdentity found{};
  if (!IdentityOf(sealed.Get(), &found) || !(found == written))
    throw RunTimeError(ErrorNumber::kPathFileAccessError, std::string(path) + " was replaced by another program");
  if (!held.in_place) MarkForRemoval(sealed.Get(), true);
  held.file = std::make_shared<const FileHandle>(std::move(sealed));
  held.sealed = true;
  held.read_only = held.in_place;
}

void HeldFiles::Read(std::string_view path, std::span<std::uint8_t> into) {
  Held& held = Find(path, "ReadHeldFile");
  std::uint64_t offset = 0;
  while (offset < into.size()) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const auto part = static_cast<DWORD>(std::min<std::uint64_t>(into.size() - offset, kMostPerCall));
    DWORD read = 0;
    ThrowLastErrorIf(!ReadFile(held.file->Get(), into.data() + offset, part, &read, &at), held.final_path);
    if (read == 0) throw RunTimeError(ErrorNumber::kPathFileAccessError, std::string(path) + " is shorter than expected");
    offset += read;
  }
}

SharedFileHandle HeldFiles::HoldOf(std::string_view path) { return Find(path, "OpenRandomFile").file; }

void HeldFiles::Remove(std::string_view path) {
  Held& held = Find(path, "RemoveFile");
  ThrowLastErrorIf(!MarkForRemoval(held.file->Get(), true), held.final_path);
  files_.erase(Key(path));
}

void HeldFiles::Release(std::string_view path) {
  const auto it = files_.find(Key(path));
  if (it == files_.end()) return;
  if (!it->second.in_place) MarkForRemoval(it->second.file->Get(), true);
  files_.erase(it);  // the last handle closes: a file not in place goes
}

void HeldFiles::ReleaseAll() {
  for (auto& [key, held] : files_)
    if (!held.in_place) MarkForRemoval(held.file->Get(), true);
  files_.clear();
  folders_.clear();
}

}  // namespace hdgr::win32
