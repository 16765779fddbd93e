#pragma once
// The work folder on drive C and the carrier image saved there for the copies.

#include "platform/application_services.h"

namespace hdgr {

// Prepares the work folder, removes old setup files, saves `carrier` there and opens it.
// Returns the carrier's file number.
int StageCarrier(ApplicationServices& app, const Picture& carrier);
// Deletes the saved carrier image, if present; all files must be closed.
void RemoveSavedCarrier(ApplicationServices& app);

}  // namespace hdgr
