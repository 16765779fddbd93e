#pragma once
// One run of the setup program: the services, the window built from its design, the
// installed copy and the handlers, wired to the window's events.

namespace hdgr {

// Returns the process's exit code; most ends come earlier, through end program.
int RunSetupProgram();

}  // namespace hdgr
