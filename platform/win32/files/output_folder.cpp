#include "platform/win32/files/output_folder.h"

#include <windows.h>

#include <vector>

#include "platform/path_text.h"
#include "platform/run_time_error.h"
#include "platform/win32/base/wide_text.h"
#include "platform/win32/files/file_error.h"
#include "platform/win32/files/held_folder.h"
#include "platform/win32/files/link_check.h"

namespace hdgr::win32 {

namespace {

[[noreturn]] void Refuse(const std::wstring& path, const std::string& why) {
  throw RunTimeError(ErrorNumber::kPathFileAccessError, Utf8(path) + " " + why + ": nothing was written");
}

// The open `folder` is the real folder `path` names: no link at the name or on the way (the
// handle's final path tells a link above, which Wine follows without a word), and no file.
void RequireRealFolder(HANDLE folder, const std::wstring& path) {
  BY_HANDLE_FILE_INFORMATION held{};
  ThrowLastErrorIf(!GetFileInformationByHandle(folder, &held), path);
  if ((held.dwFileAttributes | AttributesOf(path)) & FILE_ATTRIBUTE_REPARSE_POINT || !ReachedWithoutLink(folder, path))
    Refuse(path, "is a link to another place, not a folder of its own");
  if (!(held.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) Refuse(path, "is a file, not a folder");
}

// The folders `folder` leads through, the drive's root ("C:\") or the share first.
std::vector<std::wstring> FoldersOnTheWay(const std::wstring& folder) {
  const std::vector<std::string> names = ResolvedNames(Utf8(folder));
  if (names.empty()) throw RunTimeError(ErrorNumber::kBadFileNameOrNumber, Utf8(folder) + " is no full path");
  const std::size_t root_names = names[0].rfind("\\\\", 0) == 0 ? 2 : 1;
  std::wstring path;
  for (std::size_t i = 0; i < root_names && i < names.size(); ++i) path += (i ? L"\\" : L"") + Wide(names[i]);
  std::vector<std::wstring> levels{path + L"\\"};
  for (std::size_t i = root_names; i < names.size(); ++i) levels.push_back(path += L"\\" + Wide(names[i]));
  return levels;
}

}  // namespace

void HoldOutputFolder(const std::wstring& folder, HeldFiles& held) {
  const std::vector<std::wstring> levels = FoldersOnTheWay(folder);
  std::size_t level = levels.size() - 1;
  while (level > 0 && AttributesOf(levels[level]) == INVALID_FILE_ATTRIBUTES) --level;
  FileHandle found = HoldAnyFolder(levels[level], Utf8(levels[level]));
  RequireRealFolder(found.Get(), levels[level]);
  DWORD flags = 0;
  ThrowLastErrorIf(!GetVolumeInformationByHandleW(found.Get(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0),
                   levels[level]);
  held.KeepOutputFolder(Utf8(levels[level]), std::move(found));
  // Each held while the next is made in it: nobody renames a folder on the way meanwhile.
  for (++level; level < levels.size(); ++level) {
    const std::wstring& path = levels[level];
    FileHandle made;
    if (flags & FILE_PERSISTENT_ACLS) {
      made = MakePrivateFolder(path);
    } else {
      // No folder there is private: it is the user's to place, as every other there.
      ThrowLastErrorIf(!CreateDirectoryW(path.c_str(), nullptr), path);
      made = HoldAnyFolder(path, Utf8(path));
      RequireRealFolder(made.Get(), path);
    }
    held.KeepOutputFolder(Utf8(path), std::move(made));
  }
}

}  // namespace hdgr::win32
