#pragma once
// What the account a run belongs to may do, asked of the system without changing anything.

#include <string>

namespace hdgr::win32 {

// SYSTEM, LocalService or NetworkService: accounts without a user's settings of their own.
bool RunsAsServiceAccount();
// Whether this process may make a file in the folder `program` lies in and replace
// `program` with it (a missing one: make it): the accesses a replacement needs, asked by
// opening with them, which writes nothing. A refusal for anything but the rights (a program
// in use, a missing folder) is for the run to meet and report: true then.
bool MayReplace(const std::wstring& program);

}  // namespace hdgr::win32
