#pragma once
// The files the services create and put in place, held from their creation until the run
// lets go of them: shared for reading only, so nobody else can write, rename or remove
// them, and reached through the hold only, never by their names again.

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>

#include "platform/win32/base/unique_handle.h"

namespace hdgr::win32 {

class HeldFiles {
 public:
  HeldFiles() = default;
  HeldFiles(const HeldFiles&) = delete;
  HeldFiles& operator=(const HeldFiles&) = delete;

  // The work folder, held for the rest of the run (HoldPrivateFolder, MakeFolder).
  void KeepFolder(std::string_view path, FileHandle folder);
  // Another folder new files are made in, held for the rest of the run (HoldOutputFolder).
  void KeepOutputFolder(std::string_view path, FileHandle folder);
  // Holds the folder `program_path` lies in, the one the path names now; a link there or
  // on the way is refused, and so is a kept work folder or a folder inside one, however
  // the path spells it.
  void HoldProductFolder(std::string_view program_path);
  // A new, empty file for `final_path`, under a fresh name in its folder, which is held
  // for the rest of the run too. The file is made, and later renamed into place, through
  // the folder's hold, never through its path: it lies in that folder whatever was renamed
  // or linked on the way since. Returns the hold, shared, for the record file.
  SharedFileHandle CreateNew(std::string_view final_path);
  bool Holds(std::string_view path) const;
  // Length of a held file, new or in place.
  std::int64_t Length(std::string_view path);
  void PutInPlace(std::string_view final_path);
  void Seal(std::string_view path);
  void Read(std::string_view path, std::span<std::uint8_t> into);
  // The hold of a held file, shared, for records: nothing is opened.
  SharedFileHandle HoldOf(std::string_view path);
  // Removes a file in place through its hold.
  void Remove(std::string_view path);
  // Lets go of one file, if held: in place, it stays; not in place, it is removed.
  void Release(std::string_view path);
  // Files and folders alike; new files not in place are removed.
  void ReleaseAll();

 private:
  struct Held {
    std::wstring final_path;
    std::wstring fresh_path;
    SharedFileHandle file;  // never empty: each of its users may go first
    bool in_place = false;
    bool sealed = false;
    bool read_only = false;  // sealed in place: no delete access either
  };
  Held& Find(std::string_view path, const char* operation);
  static std::wstring Key(std::string_view path);

  // The folders files lie in, so that their paths keep naming them: each held once.
  // Returns the hold.
  HANDLE HoldFolderOf(const std::wstring& final_path, std::string_view named);

  std::map<std::wstring, Held> files_;          // by lower-cased final path
  std::map<std::wstring, FileHandle> folders_;  // by lower-cased path
  std::map<std::wstring, std::wstring> work_folders_;  // the keys in folders_ KeepFolder gave, to the paths
};

}  // namespace hdgr::win32
