#pragma once
// The application services the setup logic needs of the platform. Every operation
// that fails throws RunTimeError; callers test results only where a contract below
// says there is a result to test. Text is UTF-8 throughout.
//
// The setup runs with the user's highest rights in folders that others may write to, so
// the file operations never follow a link and never trust a name twice: a file the
// services create or put in place is held (nobody else can write, rename or remove it)
// until the run lets go of it, and every later operation on it goes through that hold.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace hdgr {

enum class MessageIcon : int { kError = 16, kInformation = 64 };

// Find entry masks.
inline constexpr int kFindFiles = 0;     // plain files only: not hidden, system or folders
inline constexpr int kFindFolders = 16;  // folders too

// The program's exit codes, which management tools read.
inline constexpr int kExitDone = 0;                  // an ordinary end
inline constexpr int kExitFailed = 1;                // a run-time error, or a step that did not happen
inline constexpr int kExitProductRunning = 2;        // the product runs: nothing was done
inline constexpr int kExitNothingToDo = 3;           // the installed copy is current or newer
inline constexpr int kExitCancelled = 4;             // the user cancelled
inline constexpr int kExitAnotherSetupRunning = 5;   // another copy of the setup runs
inline constexpr int kExitServiceAccount = 6;        // started as an account with no user's settings
// /verify of an intact payload, by the package's signature (0: signed, trusted).
inline constexpr int kExitNotSigned = 7;
inline constexpr int kExitSignerNotTrusted = 8;      // signed, by a publisher this machine does not trust
inline constexpr int kExitSignatureBroken = 9;       // the file is not what was signed
inline constexpr int kExitBadCommandLine = 87;       // the system's invalid-parameter code

// Show state for StartProgram: a normal window that gets the focus.
inline constexpr int kShowNormalFocus = 1;

// File numbers of random files run from 1 to this.
inline constexpr int kHighestFileNumber = 255;

struct ScreenMetrics {
  float width_twips;
  float height_twips;
  float twips_per_pixel_x;
  float twips_per_pixel_y;
};

struct OwnVersion {
  int major;
  int minor;
  int revision;
};

// The stored image of a picture box: the exact bytes of a bitmap file.
class Picture {
 public:
  virtual ~Picture() = default;
  virtual std::span<const std::uint8_t> Bytes() const = 0;
};

class ApplicationServices {
 public:
  virtual ~ApplicationServices() = default;

  // Modal, one OK button; a carriage return in `text` breaks the line.
  // Returns when the user has closed it (at once, unseen, in an unattended run).
  virtual void ShowMessage(std::string_view text, MessageIcon icon, std::string_view title) = 0;
  // A line for the run's log, when one is kept: what was decided and done, and why.
  virtual void Note(std::string_view line) = 0;

  // The current user's stored text, also when it is empty; `default_value` when the
  // application, section or key is missing. Read and save refuse a key on the way that is a
  // link to another key (path/file access error): it is never followed.
  virtual std::string ReadSetting(std::string_view application, std::string_view section,
                                  std::string_view key, std::string_view default_value) = 0;
  // Where the user finds `application`\`section`, as the system's own tools name it: for
  // messages that say which value to correct.
  virtual std::string SettingsPlace(std::string_view application, std::string_view section) = 0;
  // Creates whatever is missing and replaces the value; kept after the program ends.
  virtual void SaveSetting(std::string_view application, std::string_view section,
                           std::string_view key, std::string_view value) = 0;

  // Name (no folder) of the first entry matching `path` literally, or the empty text.
  // kFindFiles: plain files only; kFindFolders: whatever takes the name, folders and files,
  // hidden and system ones too (a folder could not be made there either). "\\?\" at the
  // start is the long-path form; any other '*' or '?' is a bad file name. A path on a drive
  // letter this run does not have is path not found (76), never the empty text: another
  // logon session's network or subst drive is no proof that nothing is there.
  virtual std::string FindEntry(std::string_view path, int mask) = 0;
  // Removes one file: a link itself, never what it points to; a file the services hold,
  // through that hold. A read-only file is refused (path/file access error) and stays.
  virtual void RemoveFile(std::string_view path) = 0;
  // Creates one folder whose parent exists, private to the run's rights, and holds it as
  // HoldPrivateFolder does. Private: protected from the folder above, SYSTEM and the
  // administrators only and owned by the administrators when the run has their rights
  // (elevated), the current user too and owned by that user when it has not. On a drive that
  // keeps no access lists (FAT, exFAT) nothing is private: refused there, as below.
  virtual void MakeFolder(std::string_view path) = 0;
  // Holds an existing folder for the rest of the run if it is private, exactly as MakeFolder
  // makes one for these rights: nobody can rename or remove it, so its path keeps naming
  // it. False, holding and changing nothing, for anything else at the name: a folder others
  // may change, a file, a link (symbolic link, junction, mount point), or an entry open in
  // another program. Nothing there: path not found. A folder on a drive that keeps no access
  // lists: a path/file access error naming the drive, since no folder there is private. One
  // an earlier run with the administrators' rights made, found by a run without them:
  // permission denied, saying to start the setup as administrator (it is not moved aside).
  virtual bool HoldPrivateFolder(std::string_view path) = 0;
  // Renames what is at `path` and not private to a fresh name beside it and returns that
  // name: a folder with its contents, a file, a link as the link, never what it leads to.
  // Refused, nothing moved, when it cannot be moved so (something inside open, the entry
  // open in another program, a system that opens only what a link leads to): the error
  // names it and says what to close or remove.
  virtual std::string MoveFolderAside(std::string_view path) = 0;
  // Holds the folder `program_path` lies in for the rest of the run, the one the path names
  // now: a link there or on the way (symbolic link, junction, mount point), and the work
  // folder held for the run or a folder in it (however the path spells it), are refused
  // with a path/file access error and nothing is held. From then on a new file for a path
  // in that folder is made in the held folder or not at all.
  virtual void HoldProductFolder(std::string_view program_path) = 0;
  // Holds `folder` (a full path as ResolvedNames reads it) for the rest of the run, the one
  // its path names now, making it first when nothing is there, and each folder missing on
  // the way: private as MakeFolder makes them, or plain on a drive that keeps no access
  // lists, where no folder is private. A link at its name or on the way, or a file where a
  // folder belongs, is a path/file access error naming it, and nothing below it is made.
  // From then on a new file for a path in it is made in the held folder or not at all.
  virtual void HoldOutputFolder(std::string_view folder) = 0;
  virtual void ChangeFolder(std::string_view path) = 0;
  // Length in bytes (of a held file, through its hold); longer than 2 GiB - 1 is an overflow.
  virtual std::int32_t FileLength(std::string_view path) = 0;

  // Random files of one-byte records numbered from 1.
  virtual int FreeFileNumber() = 0;
  // Opens `path` for reading and writing. A file the services put there (SavePicture,
  // PutInPlace) is opened through its hold, never by its name again; any other entry is
  // opened as it is, and a missing file is created.
  virtual void OpenRandomFile(std::string_view path, int file_number) = 0;
  // Opens a new, empty file that is to take `final_path`'s place: it is created under a
  // fresh name in the same folder, so nothing at `final_path` changes until PutInPlace,
  // and it is held from its creation. Errors name `final_path`.
  virtual void OpenNewFile(std::string_view final_path, int file_number) = 0;
  // Records first .. first + size - 1 into `into`. A record below 1 or past the end is a
  // bad record number (63), and nothing is read.
  virtual void ReadRecords(int file_number, std::int32_t first, std::span<std::uint8_t> into) = 0;
  // `bytes` as records first ..; writing past the end extends the file; a record below 1
  // is a bad record number. A failed write is never silent: it throws here or at close.
  virtual void WriteRecords(int file_number, std::int32_t first, std::span<const std::uint8_t> bytes) = 0;
  // Releases the file number; a new file stays held.
  virtual void CloseFile(int file_number) = 0;
  virtual void CloseAllFiles() = 0;

  // New files, once their numbers are closed: the length, read through the hold.
  virtual std::int64_t NewFileLength(std::string_view final_path) = 0;
  // Removes what a run stopped before its rename left beside `final_path`: plain files in
  // its folder named as a new file for it is made (IsFreshNameOf), a link itself, never
  // what it points to. One in use by another program stays; nothing here fails the run.
  virtual void RemoveLeftovers(std::string_view final_path) = 0;
  // Renames the new file for `final_path` over it in one step: whatever entry is there is
  // replaced itself (a link is never written through), hidden or system ones too; a
  // read-only one is refused (path/file access error) and stays. The file stays held.
  virtual void PutInPlace(std::string_view final_path) = 0;
  // Removes the new file for `final_path` if it is not in place; it is held no longer.
  virtual void DiscardNewFile(std::string_view final_path) = 0;
  // A held file that is to be started or read by a program the run starts (a new file, by
  // its final path, or one in place): from now on it is held read-only, which a program
  // start needs, and nobody else can write, rename or remove it still. In place, the hold
  // also lets another program open it for reading while sharing only reading. A file that
  // is not the one the services hold is refused.
  virtual void SealFile(std::string_view path) = 0;
  // The whole of a held file, front to back, through its hold.
  virtual void ReadHeldFile(std::string_view path, std::span<std::uint8_t> into) = 0;
  // Lets go of every file and folder the services hold; new files not in place are removed.
  virtual void ReleaseFiles() = 0;

  // Writes exactly the picture's stored bytes as a new file put in place at `path`.
  virtual void SavePicture(const Picture& picture, std::string_view path) = 0;
  // Returns at once: the task number. A program the services hold (sealed) is let go of
  // once its process exists and before its first instruction runs: the system has mapped
  // the checked file, and no hold of ours stands in the way of the program reading itself.
  // 0 when the program asks for the administrators' rights and this run has not got them:
  // it is never started through the shell's prompt, which would start it elevated from a
  // folder the user can change. Any other failure is a run-time error with the system's
  // code.
  virtual std::uint32_t StartProgram(std::string_view path, int show_state) = 0;
  // Whether the run has the administrators' rights (elevated, or an administrator where
  // there is no elevation).
  virtual bool Elevated() = 0;
  // Whether the run's account has no user's settings of its own: the system's accounts
  // (SYSTEM, LocalService, NetworkService), which management tools start programs as.
  virtual bool RunsAsServiceAccount() = 0;
  // Whether this run may make a file in the folder `program_path` lies in and replace
  // `program_path` with it, asked of the system without writing anything.
  virtual bool MayReplace(std::string_view program_path) = 0;
  // Starts this same program again with the administrators' rights, the system asking for
  // an administrator's consent, with `arguments` (and this run's log and unattended mode),
  // waits for it while the window's messages are handled, and returns its exit code.
  // Nothing when it did not start because the consent was refused; any other failure to
  // start it is a run-time error.
  virtual std::optional<int> RunElevatedCopy(std::span<const std::string> arguments) = 0;
  // Handles pending window messages (repaint, input), then returns. Called at every
  // progress point of a copy, up to 181,043 times a run: an implementation may pump at the
  // display's pace and return at once in between.
  virtual void PumpEvents() = 0;
  virtual ScreenMetrics GetScreenMetrics() = 0;
  virtual OwnVersion GetOwnVersion() = 0;
  // Stops at once with `exit_code`: no later step runs and no further event is handled.
  [[noreturn]] virtual void EndProgram(int exit_code = kExitDone) = 0;
};

}  // namespace hdgr
