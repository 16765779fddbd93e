// hdgr-pack's bitmaps: a cover picture of any bytes is refused with a PackError or read only
// inside its file; a carrier whose headers and length are changed is refused with a PackError
// or checked as hdgr-pack check does, without reading outside it.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <sstream>

#include "fuzz_contract.h"
#include "tools/hdgr-pack/carrier_bitmap.h"
#include "tools/hdgr-pack/commands.h"
#include "tools/hdgr-pack/pack_error.h"

namespace {

// The corners of the part of the cover a carrier takes, read as BlankCarrier reads them.
void ReadCover(const hdgr::Bytes& file) {
  const hdgr::CoverPicture cover(file, "cover.bmp");
  HDGR_FUZZ_REQUIRE(cover.Width() > 0 && cover.Height() > 0);
  const std::int64_t right = std::min<std::int64_t>(cover.Width(), hdgr::kCarrierWidth) - 1;
  const std::int64_t bottom = std::min<std::int64_t>(cover.Height(), hdgr::kDesignedCarrierHeight) - 1;
  volatile unsigned sink = 0;  // the reads must happen for the sanitizer to see them
  for (const std::int64_t y : {std::int64_t{0}, bottom})
    for (const std::int64_t x : {std::int64_t{0}, right})
      for (int channel = 0; channel < 3; ++channel) sink = sink + cover.Pixel(x, y)[channel];
}

// A carrier of the shipped length and a little more, whose first bytes each run overwrites
// and puts back: copying six megabytes a run would leave little time for fuzzing.
class ChangedCarrier {
 public:
  static constexpr std::size_t kLonger = 64;
  static constexpr std::size_t kChangeable = 128;

  ChangedCarrier() : bytes_(hdgr::BlankCarrier(hdgr::kDesignedCarrierHeight, nullptr)) {
    bytes_.resize(bytes_.size() + kLonger);
    std::copy_n(bytes_.begin(), kChangeable, original_.begin());
  }
  std::span<const std::uint8_t> Change(std::span<const std::uint8_t> start, std::size_t length) {
    std::copy_n(start.begin(), std::min(start.size(), kChangeable), bytes_.begin());
    return std::span<const std::uint8_t>(bytes_).first(length);
  }
  void Restore() { std::copy(original_.begin(), original_.end(), bytes_.begin()); }

 private:
  hdgr::Bytes bytes_;
  std::array<std::uint8_t, kChangeable> original_;
};

void CheckChangedCarrier(FuzzedDataProvider& input) {
  static ChangedCarrier changed;
  constexpr auto kShipped = static_cast<std::size_t>(hdgr::CarrierLengthFor(hdgr::kDesignedCarrierHeight));
  const std::size_t length =
      input.ConsumeBool() ? kShipped : input.ConsumeIntegralInRange<std::size_t>(0, kShipped + ChangedCarrier::kLonger);
  const hdgr::Bytes start = input.ConsumeBytes<std::uint8_t>(ChangedCarrier::kChangeable);
  const auto carrier = changed.Change(start, length);
  std::ostringstream report;
  bool accepted = true;
  try {
    hdgr::CheckCarrierBytes(carrier, hdgr::kDesignedSegments, "carrier.bmp", report);
  } catch (const hdgr::PackError&) {
    accepted = false;
  }
  const auto expected = hdgr::CarrierHeader(hdgr::kDesignedCarrierHeight);
  if (accepted) {
    HDGR_FUZZ_REQUIRE(carrier.size() == kShipped);
    HDGR_FUZZ_REQUIRE(std::equal(expected.begin(), expected.end(), carrier.begin()));
  }
  changed.Restore();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  if (input.ConsumeBool()) {
    CheckChangedCarrier(input);
    return 0;
  }
  try {
    ReadCover(input.ConsumeRemainingBytes<std::uint8_t>());
  } catch (const hdgr::PackError&) {
  }
  return 0;
}
