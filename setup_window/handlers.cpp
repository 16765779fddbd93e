#include "setup_window/handlers.h"

namespace hdgr {

// Placeholders until the start-up and accept flows land.
void SetupHandlers::Form_Load() {}
void SetupHandlers::Command1_Click() {}
void SetupHandlers::Command2_Click() { platform_.app.EndProgram(); }
void SetupHandlers::Timer1_Timer() { platform_.app.EndProgram(); }

}  // namespace hdgr
