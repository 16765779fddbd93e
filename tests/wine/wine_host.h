#pragma once
// What a test inside Wine needs from the host system around it: symbolic links, which
// Wine shows to programs but cannot make itself (its CreateSymbolicLinkW does nothing),
// and files owned by another host user.

#include <string>

namespace hdgr::wine_host {

// The host's path for a path of this system ("c:\x" -> "/.../drive_c/x"); empty outside Wine.
std::string UnixPathOf(const std::wstring& path);
// Makes `link` a symbolic link to `target` on the host. False when the host's program could
// not be started, or the link cannot be seen (Wine lists none to a missing target: make
// it to a file, then remove the file); callers look at the result themselves.
bool MakeSymbolicLink(const std::wstring& link, const std::wstring& target);
// Gives `path` to the host's user "nobody" (which only root may do: callers look).
bool GiveToAnotherUser(const std::wstring& path);
// Mounts a disk of `megabytes` on the folder `path` (which must exist), or takes it away
// again. False when the host does not allow it (mounting needs root).
bool MountSmallDisk(const std::wstring& path, int megabytes);
bool Unmount(const std::wstring& path);
// Removes `path` and all below it on the host, links as links (one to a missing target
// too, which Wine does not list). False outside Wine.
bool RemoveTree(const std::wstring& path);
// Lets every host user read and change the folder `path` (mode 777), which Wine reads back
// as an access list granting Everyone full control.
bool OpenToEveryone(const std::wstring& path);
// Makes or removes (with all below it) the folder `name` in `parent` on the host, where a
// name may end in a blank, which no Windows program can make.
bool MakeHostFolder(const std::wstring& parent, const std::string& name);
bool RemoveHostFolder(const std::wstring& parent, const std::string& name);
// Gives `path` back to the user running the tests.
bool TakeBack(const std::wstring& path);

}  // namespace hdgr::wine_host
