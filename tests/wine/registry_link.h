#pragma once
// Registry symbolic links for the tests that check the settings never follow one: made as
// another program of the user's could make them, and removed as links, never through them.

#include <string>

namespace hdgr::wine_host {

// The kernel's name of a key of the current user's hive (\Registry\User\<sid>\...) and of
// the machine's (\Registry\Machine\...), as a link's target names it.
std::wstring UserKeyName(const std::wstring& under_current_user);
std::wstring MachineKeyName(const std::wstring& under_local_machine);

// HKEY_CURRENT_USER\<key> made a link to `target` (a kernel name); the key above it must
// exist. The destructor removes the link itself, whatever it points to.
class RegistryLink {
 public:
  RegistryLink(std::wstring key, const std::wstring& target);
  RegistryLink(const RegistryLink&) = delete;
  RegistryLink& operator=(const RegistryLink&) = delete;
  ~RegistryLink();
  // False when the system would not make it; callers look.
  bool Made() const { return made_; }

 private:
  std::wstring key_;
  bool made_ = false;
};

}  // namespace hdgr::wine_host
