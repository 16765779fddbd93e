#pragma once
// This same program started again with the administrators' rights, through the shell's
// prompt for an administrator's consent, and waited for.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace hdgr::win32 {

// `arguments` as one command line that CommandLineToArgvW (and the C runtime) split back
// into exactly these words: blanks and quotes quoted, backslashes before a quote doubled.
std::wstring CommandLineOf(const std::vector<std::wstring>& arguments);

// Starts the program file `program` with `arguments` through the shell's "runas", so that
// the system asks for an administrator's consent (its prompt owned by `owner`, when given),
// and waits for it, calling `pump` whenever messages wait for this thread. Its exit code;
// nothing when the consent was refused. Any other failure to start it is a run-time error.
std::optional<int> RunElevated(const std::wstring& program, const std::vector<std::wstring>& arguments, HWND owner,
                               const std::function<void()>& pump);

}  // namespace hdgr::win32
