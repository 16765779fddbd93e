#pragma once

#include <cstdint>
#include <string_view>

namespace hdgr::win32 {

// Starts `path` through the shell (so an installer that asks for elevation gets its
// prompt) without waiting. Returns the process id, or 0 for any failure (missing
// program, refused access, declined elevation): the caller tells the user it could not
// launch, which is the right message in each of those cases.
std::uint32_t StartProgram(std::string_view path, int show_state);

}  // namespace hdgr::win32
