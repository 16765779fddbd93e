#include "platform/win32/single_instance.h"

#include <windows.h>

#include <string>

namespace hdgr::win32 {

SingleInstance::SingleInstance(std::wstring_view name) {
  const std::wstring terminated(name);
  object_.Reset(CreateMutexW(nullptr, FALSE, terminated.c_str()));
  // Another user's copy made it with an access list that keeps us out: still another copy.
  first_ = object_.Valid() && GetLastError() != ERROR_ALREADY_EXISTS;
}

}  // namespace hdgr::win32
