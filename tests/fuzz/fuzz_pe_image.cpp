// hdgr-pe's reader: any bytes are refused with a PeError or read inside the file (the
// manifest's requested level of 32-bit images too), import names stay bounded, and attaching the load configuration writes only its directory entry
// and the checksum, never beyond the image.
#include <cstring>

#include "fuzz_contract.h"
#include "tools/hdgr-pe/pe_image.h"
#include "tools/hdgr-pe/requested_level.h"

using hdgr::pe::PeError;
using hdgr::pe::PeImage;

namespace {

constexpr std::size_t kNewHeaderPointer = 0x3c;
constexpr std::size_t kChecksumInOptionalHeader = 24 + 64;  // from the PE signature
constexpr std::size_t kLoadConfigEntry = 24 + 112 + 10 * 8;

std::size_t PeHeader(const std::vector<std::uint8_t>& bytes) {
  std::uint32_t at = 0;
  std::memcpy(&at, &bytes[kNewHeaderPointer], 4);
  return at;
}

// Only the checksum and the load configuration's directory entry may change.
bool MayChange(std::size_t at, std::size_t pe) {
  const bool checksum = at >= pe + kChecksumInOptionalHeader && at < pe + kChecksumInOptionalHeader + 4;
  const bool entry = at >= pe + kLoadConfigEntry && at < pe + kLoadConfigEntry + 8;
  return checksum || entry;
}

void Attach(const PeImage& read) {
  PeImage image = read;
  try {
    image.AttachLoadConfig();
  } catch (const PeError&) {
    HDGR_FUZZ_REQUIRE(image.Bytes() == read.Bytes());
    return;
  }
  const auto& before = read.Bytes();
  const auto& after = image.Bytes();
  HDGR_FUZZ_REQUIRE(after.size() == before.size());
  const std::size_t pe = PeHeader(before);
  for (std::size_t at = 0; at < after.size(); ++at)
    if (after[at] != before[at]) HDGR_FUZZ_REQUIRE(MayChange(at, pe));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The manifest's level, of 32-bit images too: a PeError or a level, never a read outside.
  try {
    hdgr::pe::ReadProgramRequest(std::vector<std::uint8_t>(data, data + size));
  } catch (const PeError&) {
  }
  std::optional<PeImage> image;
  try {
    image.emplace(std::vector<std::uint8_t>(data, data + size));
  } catch (const PeError&) {
    return 0;
  }
  try {
    for (const std::string& dll : image->ImportedDlls()) HDGR_FUZZ_REQUIRE(dll.size() <= hdgr::pe::kLongestDllName);
  } catch (const PeError&) {
  }
  try {
    image->DependentLoadFlags();
  } catch (const PeError&) {
  }
  for (const std::uint64_t offset : {std::uint64_t{0}, std::uint64_t{size / 2}, std::uint64_t{size}, ~std::uint64_t{0}})
    HDGR_FUZZ_REQUIRE(image->SectionAt(offset).size() <= 18);  // a section's 8 bytes, or what lies outside one
  Attach(*image);
  return 0;
}
