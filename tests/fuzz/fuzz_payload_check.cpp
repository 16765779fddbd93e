// The payload check: a carrier of any length and bytes gives one verdict per packed file,
// in table order, each from that file's own bytes; a held file of any length and bytes
// passes only when it is the packed file, and otherwise fails with error 75 only.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

#include "fake_platform.h"
#include "fuzz_contract.h"
#include "package/payload_check.h"
#include "package/reverse_bytes.h"

using hdgr::ErrorNumber;
using hdgr::fuzz::OnlyErrors;

namespace {

// The carrier's length is the input's choice; its last bytes, where the first files lie,
// come from the input too.
void CheckCarrier(FuzzedDataProvider& input) {
  const auto length = input.ConsumeIntegralInRange<std::size_t>(0, hdgr::kCarrierLength + 64);
  std::vector<std::uint8_t> carrier(length);
  const auto tail = input.ConsumeBytes<std::uint8_t>(4096);
  std::copy_n(tail.begin(), std::min(tail.size(), length),
              carrier.end() - static_cast<std::ptrdiff_t>(std::min(tail.size(), length)));
  hdgr::PayloadDigests digests{};
  if (input.ConsumeBool() && length >= 64) digests[0] = hdgr::Sha256Of(std::span(carrier).last(64));

  const auto checks = hdgr::CheckPackedFiles(carrier, digests);
  HDGR_FUZZ_REQUIRE(checks.size() == hdgr::kSegments.size());
  for (std::size_t i = 0; i < checks.size(); ++i) {
    HDGR_FUZZ_REQUIRE(checks[i].name == hdgr::kSegments[i].file_name);
    const std::int64_t lowest = static_cast<std::int64_t>(length) - hdgr::kCarrierLength +
                                hdgr::SegmentStart(static_cast<int>(i), hdgr::kCarrierLength) -
                                hdgr::kSegments[i].length;
    if (lowest < 0) {
      HDGR_FUZZ_REQUIRE(!checks[i].intact);
      continue;
    }
    std::vector<std::uint8_t> file(carrier.begin() + lowest, carrier.begin() + lowest + hdgr::kSegments[i].length);
    std::reverse(file.begin(), file.end());
    HDGR_FUZZ_REQUIRE(checks[i].digest == hdgr::Sha256Of(file));
    HDGR_FUZZ_REQUIRE(checks[i].intact == (checks[i].digest == digests[i]));
  }
}

void CheckHeldFile(FuzzedDataProvider& input) {
  hdgr::testing::FakePlatform fake;
  const std::string path = "c:\\hdgr_temp_setup\\setup.exe";
  const auto length = input.ConsumeIntegral<std::int32_t>();
  const bool expect_it = input.ConsumeBool();
  const auto bytes = input.ConsumeRemainingBytes<std::uint8_t>();
  fake.PutFile(path, bytes);
  fake.held_files.insert(path);
  const hdgr::Sha256Digest expected = expect_it ? hdgr::Sha256Of(bytes) : hdgr::Sha256Digest{};
  const bool passed =
      OnlyErrors({ErrorNumber::kPathFileAccessError}, [&] { hdgr::VerifyHeldFile(fake, path, length, expected); });
  HDGR_FUZZ_REQUIRE(
      passed == (length >= 0 && static_cast<std::size_t>(length) == bytes.size() && hdgr::Sha256Of(bytes) == expected));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  if (input.ConsumeBool()) CheckCarrier(input);
  else CheckHeldFile(input);
  return 0;
}
