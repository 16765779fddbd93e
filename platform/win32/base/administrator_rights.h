#pragma once
// Whether this run has the administrators' rights.

namespace hdgr::win32 {

// Elevated, or an administrator where there is no elevation: a limited token holds the
// administrators' group for denying only, and is no member.
bool HasAdministratorRights();

}  // namespace hdgr::win32
