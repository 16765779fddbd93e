// Pack, then check: whatever the four files (of the demo payload's lengths, or of lengths the
// input picks) and the cover, hdgr-pack check accepts the carrier and lists each file's
// digest, unpacking gives back the same files, and the package's own check finds every file
// of the designed lengths intact.
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

// A file of `length` bytes: the input's bytes over and over.
std::vector<std::uint8_t> FileFrom(const std::vector<std::uint8_t>& pattern, int index, std::int32_t length) {
  std::vector<std::uint8_t> file(static_cast<std::size_t>(length));
  for (std::size_t i = 0; i < file.size(); ++i)
    file[i] = pattern.empty() ? static_cast<std::uint8_t>(index)
                              : static_cast<std::uint8_t>(pattern[i % pattern.size()] + i / pattern.size());
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const bool designed = input.ConsumeBool();
  hdgr::PayloadFiles files;
  hdgr::PayloadDigests digests;
  for (int i = 0; i < static_cast<int>(files.size()); ++i) {
    const std::int32_t length =
        designed ? hdgr::kDesignedSegments[i].length : input.ConsumeIntegralInRange<std::int32_t>(1, 300'000);
    files[i] = FileFrom(input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(0, 64)), i, length);
    digests[i] = hdgr::Sha256Of(files[i]);
  }
  std::optional<hdgr::CoverPicture> cover;
  try {
    cover.emplace(input.ConsumeRemainingBytes<std::uint8_t>(), "cover.bmp");
  } catch (const hdgr::PackError&) {
  }

  const hdgr::PackageLayout layout = hdgr::LayoutOf(files, {"1", "2", "3", "4"});
  HDGR_FUZZ_REQUIRE(layout.rows == hdgr::kDesignedCarrierHeight);
  hdgr::Bytes carrier = hdgr::BlankCarrier(layout.rows, cover ? &*cover : nullptr);
  hdgr::PackSegments(carrier, layout.table, files);
  std::ostringstream report;
  hdgr::CheckCarrierBytes(carrier, layout.table, "carrier.bmp", report);
  for (int i = 0; i < static_cast<int>(files.size()); ++i) {
    HDGR_FUZZ_REQUIRE(hdgr::UnpackSegment(carrier, layout.table, i) == files[i]);
    HDGR_FUZZ_REQUIRE(report.str().find(hdgr::ToHex(digests[i])) != std::string::npos);
  }
  if (designed)
    for (const hdgr::PackedFileCheck& check : hdgr::CheckPackedFiles(carrier, digests)) HDGR_FUZZ_REQUIRE(check.intact);
  return 0;
}
