#pragma once
// The administrator's layout (/layout FOLDER): the installer's three files written into a
// folder of the administrator's choosing, checked as an install run checks them, straight
// from the carrier as the program's image holds it. No work folder, no settings, no start.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "package/payload_digests.h"
#include "package/sha256_worker.h"
#include "platform/application_services.h"

namespace hdgr {

// The folder /layout writes to, as the system resolves `given` ("C:\a\..\b\" is "C:\b",
// "\\?\C:\b" too), or nothing, with `why` saying what it is instead: no full path (a relative
// one, a device path), a pattern, the root of a drive or share, or the setup's own work
// folder or a folder in it, which every run moves aside or empties.
std::optional<std::string> LayoutFolderOf(std::string_view given, std::string* why);

// Writes Setup.exe, HaldenGrid.CAB and Setup.LST of `carrier` (the package's carrier bitmap,
// as the program holds it) into `folder` (as LayoutFolderOf gives it): made when missing,
// held, each file written beside its name and checked (its length, and the digest of what
// was written against `digests`); once all three are, each put in place whole over whatever
// was there, never through a link. A package whose carrier does not hold them intact writes nothing.
void PerformLayout(ApplicationServices& app, std::span<const std::uint8_t> carrier, const PayloadDigests& digests,
                   std::string_view folder, Sha256Worker& digest);

}  // namespace hdgr
