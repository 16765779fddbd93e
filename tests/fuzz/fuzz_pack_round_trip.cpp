// Pack, then check: whatever the four files and the cover, hdgr-pack check accepts the carrier
// and lists each file's digest, unpacking gives back the same files, and the package's own
// check finds every file intact.
#include <fuzzer/FuzzedDataProvider.h>

#include <optional>
#include <sstream>

#include "fuzz_contract.h"
#include "package/payload_check.h"
#include "tools/hdgr-pack/carrier_bitmap.h"
#include "tools/hdgr-pack/carrier_packing.h"
#include "tools/hdgr-pack/commands.h"
#include "tools/hdgr-pack/pack_error.h"

namespace {

// A file of segment `index`'s length: the input's bytes over and over.
std::vector<std::uint8_t> FileFrom(const std::vector<std::uint8_t>& pattern, int index) {
  std::vector<std::uint8_t> file(static_cast<std::size_t>(hdgr::kSegments[index].length));
  for (std::size_t i = 0; i < file.size(); ++i)
    file[i] = pattern.empty() ? static_cast<std::uint8_t>(index)
                              : static_cast<std::uint8_t>(pattern[i % pattern.size()] + i / pattern.size());
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  hdgr::PayloadFiles files;
  hdgr::PayloadDigests digests;
  for (int i = 0; i < static_cast<int>(files.size()); ++i) {
    files[i] = FileFrom(input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(0, 64)), i);
    digests[i] = hdgr::Sha256Of(files[i]);
  }
  std::optional<hdgr::CoverPicture> cover;
  try {
    cover.emplace(input.ConsumeRemainingBytes<std::uint8_t>(), "cover.bmp");
  } catch (const hdgr::PackError&) {
  }

  hdgr::Bytes carrier = hdgr::BlankCarrier(cover ? &*cover : nullptr);
  hdgr::PackSegments(carrier, files);
  std::ostringstream report;
  hdgr::CheckCarrierBytes(carrier, "carrier.bmp", report);
  for (int i = 0; i < static_cast<int>(files.size()); ++i) {
    HDGR_FUZZ_REQUIRE(hdgr::UnpackSegment(carrier, i) == files[i]);
    HDGR_FUZZ_REQUIRE(report.str().find(hdgr::ToHex(digests[i])) != std::string::npos);
  }
  for (const hdgr::PackedFileCheck& check : hdgr::CheckPackedFiles(carrier, digests)) HDGR_FUZZ_REQUIRE(check.intact);
  return 0;
}
