#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace hdgr::win32 {

// Starts `path` without waiting, directly (never through the shell's prompt: an elevated
// start of a program the user could have changed is what a run must never make). Returns
// the process id; 0 when the program asks for the administrators' rights and this process
// has not got them (ERROR_ELEVATION_REQUIRED). Any other failure is a run-time error with
// the system's code, naming `path`. With `before_first_instruction`, the process is made
// suspended and that is called before it runs (the program then ends unstarted when it
// throws).
std::uint32_t StartProgram(std::string_view path, int show_state,
                           const std::function<void()>& before_first_instruction = {});

}  // namespace hdgr::win32
