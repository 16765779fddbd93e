#pragma once

#include <cstdint>
#include <string_view>

namespace hdgr::win32 {

// Starts `path` without waiting: directly, or through the shell when it asks for elevation
// (so an installer gets its prompt). Returns the process id, or 0 for any failure (missing
// program, refused access, declined elevation): the caller tells the user it could not
// launch, which is the right message in each of those cases.
std::uint32_t StartProgram(std::string_view path, int show_state);

}  // namespace hdgr::win32
