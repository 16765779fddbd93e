#pragma once
// One copy of a program at a time, on the whole machine: a named object that the system
// removes when the process that made it ends, however it ends.

#include <string_view>

#include "platform/win32/unique_handle.h"

namespace hdgr::win32 {

class SingleInstance {
 public:
  // `name` is shared by every copy, in every session: "Global\..." names reach them all.
  explicit SingleInstance(std::wstring_view name);
  // False when another copy holds the name (or made it and keeps it from us).
  bool First() const { return first_; }

 private:
  ProcessHandle object_;  // a mutex, closed as any kernel handle is
  bool first_ = false;
};

}  // namespace hdgr::win32
