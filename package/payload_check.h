#pragma once
// Checks what a run wrote against the digests the build recorded, and the package itself
// as every run will read it.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "package/payload_digests.h"
#include "package/sha256.h"
#include "platform/application_services.h"

namespace hdgr {

// The new file for `final_path`, its writes done and its number closed, is the packed
// file: its length, read through the file itself, is `length`, and `written` (the digest of
// the bytes handed to its writes) is `expected`. Otherwise a path/file access error naming
// `final_path`.
void VerifyNewFile(ApplicationServices& app, std::string_view final_path, std::int32_t length,
                   const Sha256Digest& written, const Sha256Digest& expected);
// The held file at `path`, read back whole through its hold, is the packed file: for the
// one file a run starts, once nobody else can change it any more.
void VerifyHeldFile(ApplicationServices& app, std::string_view path, std::int32_t length,
                    const Sha256Digest& expected);

struct PackedFileCheck {
  std::string_view name;
  Sha256Digest digest;  // of the bytes the carrier holds for it
  bool intact;
};
// Every packed file of `carrier` (a carrier bitmap's bytes, as the package holds them)
// against the digests the build recorded, without writing anything. A carrier too short
// for the segment table holds no intact file.
std::vector<PackedFileCheck> CheckPackedFiles(std::span<const std::uint8_t> carrier, const PayloadDigests& digests);

// Why no run could show `file` as a window's picture (the run-time error the window's reading
// of it stops at), or nothing when every run can.
std::optional<std::string> PictureFault(std::span<const std::uint8_t> file);
// Why no run could use `carrier`: a picture fault, or too few bytes to hold the segment
// table's files between its headers and its unused tail. Nothing when every run can.
std::optional<std::string> CarrierFault(std::span<const std::uint8_t> carrier);

}  // namespace hdgr
