#pragma once
// The run's log for administrators: UTF-8 lines appended to a file of their choosing, each
// with the time it was written.

#include <string>
#include <string_view>

#include "platform/win32/unique_handle.h"

namespace hdgr::win32 {

class RunLog {
 public:
  // Opens `path` to append to, creating it when missing; a log that cannot be written is
  // a run-time error naming it, and so is a link there, a link on the way to it, a folder,
  // or a file with a second name. Without a call to Open, the log keeps nothing.
  void Open(std::string_view path);
  // One line, with the local time to the microsecond, as OneLogLine gives `text`.
  // A line that cannot be written is lost: the run goes on.
  void Write(std::string_view text);

 private:
  FileHandle file_;
};

}  // namespace hdgr::win32
