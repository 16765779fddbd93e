#pragma once
// One copy of a program at a time, on the whole machine: a named object that the system
// removes when the process that made it ends, however it ends.

#include <string_view>

#include "platform/win32/base/unique_handle.h"

namespace hdgr::win32 {

class SingleInstance {
 public:
  // `global_name` ("Global\\...") is shared by every copy in every session, and any program
  // may make an object of that name first. With the administrators' rights the copy that
  // decides is `private_name` in a namespace only administrators can make, which nobody
  // else can squat; the global name is still made, for copies without those rights to see.
  // Where the system has no private namespaces (Wine), the global name decides.
  SingleInstance(std::wstring_view global_name, std::wstring_view namespace_name, std::wstring_view private_name);
  // False when another copy holds the name (or made it and keeps it from us).
  bool First() const { return first_; }
  // Whether the private namespace decided.
  bool Private() const { return private_object_.Valid(); }

 private:
  PrivateNamespace namespace_;
  ProcessHandle private_object_;  // mutexes, closed as any kernel handle is
  ProcessHandle global_object_;
  bool first_ = false;
};

}  // namespace hdgr::win32
