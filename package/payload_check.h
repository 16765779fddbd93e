#pragma once
// Verifies a written file against the digest the build recorded for it.

#include <string_view>

#include "package/sha256.h"
#include "platform/application_services.h"

namespace hdgr {

// A mismatch is a RunTimeError naming `path`.
void VerifyWrittenFile(ApplicationServices& app, std::string_view path, const Sha256Digest& expected);

}  // namespace hdgr
