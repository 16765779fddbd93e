#include "platform/win32/system/single_instance.h"

#include <windows.h>
#include <sddl.h>

#include <string>

#include "platform/win32/base/administrator_rights.h"

namespace hdgr::win32 {

namespace {

// A namespace bounded by the administrators' group: only a program with their rights can
// make or open it.
PrivateNamespace OpenAdministratorsNamespace(std::wstring_view name) {
  const std::wstring terminated(name);
  BoundaryDescriptor boundary(CreateBoundaryDescriptorW(terminated.c_str(), 0));
  if (!boundary) return PrivateNamespace();
  std::uint8_t sid[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof sid;
  HANDLE raw = boundary.Release();  // adding a SID may move the descriptor
  const bool bounded =
      CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &size) && AddSIDToBoundaryDescriptor(&raw, sid);
  boundary.Reset(raw);
  if (!bounded) return PrivateNamespace();
  LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;GA;;;BA)(A;;GA;;;SY)", SDDL_REVISION_1,
                                                            descriptor.Receive(), nullptr))
    return PrivateNamespace();
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.Get(), FALSE};
  PrivateNamespace made(CreatePrivateNamespaceW(&attributes, boundary.Get(), terminated.c_str()));
  if (!made && GetLastError() == ERROR_ALREADY_EXISTS)
    made.Reset(OpenPrivateNamespaceW(boundary.Get(), terminated.c_str()));
  return made;
}

}  // namespace

SingleInstance::SingleInstance(std::wstring_view global_name, std::wstring_view namespace_name,
                               std::wstring_view private_name) {
  const std::wstring global(global_name);
  global_object_.Reset(CreateMutexW(nullptr, FALSE, global.c_str()));
  // Another user's copy made it with an access list that keeps us out: still another copy.
  const bool global_first = global_object_.Valid() && GetLastError() != ERROR_ALREADY_EXISTS;
  if (HasAdministratorRights()) namespace_ = OpenAdministratorsNamespace(namespace_name);
  if (!namespace_) {
    first_ = global_first;
    return;
  }
  const std::wstring inside = std::wstring(namespace_name) + L"\\" + std::wstring(private_name);
  private_object_.Reset(CreateMutexW(nullptr, FALSE, inside.c_str()));
  first_ = private_object_.Valid() && GetLastError() != ERROR_ALREADY_EXISTS;
}

}  // namespace hdgr::win32
