#pragma once
// The run's log for administrators: UTF-8 lines appended to a file of their choosing, each
// with the time it was written.

#include <string>
#include <string_view>

#include "platform/win32/base/unique_handle.h"

namespace hdgr::win32 {

class RunLog {
 public:
  // Opens `path` to append to, creating it when missing; a log that cannot be written is
  // a run-time error naming it, and so is a link there, a link on the way to it, a folder,
  // or a file with a second name. Without a call to Open, the log keeps nothing.
  void Open(std::string_view path);
  // One line, with the local time to the microsecond, as OneLogLine gives `text`. A line
  // that cannot be written (a full disk, a lost network) throws a run-time error naming
  // the log, once: an administrator who asked for a log reads it as the run's record, so a
  // run whose log was cut short must not go on, nor end as if it were done. Later lines
  // are not tried.
  void Write(std::string_view text);
  // Whether a line could not be written.
  bool Failed() const { return failed_; }
  // The log's file as it was asked for; empty without a log.
  const std::wstring& Path() const { return path_; }

 private:
  FileHandle file_;
  std::wstring path_;
  bool failed_ = false;
};

}  // namespace hdgr::win32
