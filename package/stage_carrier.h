#pragma once
// The work folder on drive C and the carrier image saved there for the copies.

#include "platform/application_services.h"

namespace hdgr {

// Prepares a private work folder (one found that others could change is moved aside, and
// the user told where), saves `carrier` there, removes old setup files and opens the carrier.
// Returns the carrier's file number.
int StageCarrier(ApplicationServices& app, const Picture& carrier);
// Deletes the saved carrier image, if present; all files must be closed.
void RemoveSavedCarrier(ApplicationServices& app);

}  // namespace hdgr
