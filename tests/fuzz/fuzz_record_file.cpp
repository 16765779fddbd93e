// Record files by number: any sequence of opens, reads, writes and closes fails only with
// the documented errors, never touches the medium outside its bytes, and reads back what
// was written.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "fuzz_contract.h"
#include "platform/src/record_file_table.h"

using hdgr::ErrorNumber;
using hdgr::fuzz::OnlyErrors;
using Bytes = std::vector<std::uint8_t>;

namespace {

// A disk this small is full long before a record number's 2 GiB reach.
constexpr std::size_t kCapacity = 1 << 20;

class MemoryFile : public hdgr::RawFile {
 public:
  explicit MemoryFile(Bytes& bytes) : bytes_(bytes) {}
  std::int64_t Size() override { return static_cast<std::int64_t>(bytes_.size()); }
  void ReadAt(std::int64_t offset, std::span<std::uint8_t> into) override {
    HDGR_FUZZ_REQUIRE(offset >= 0 && static_cast<std::size_t>(offset) + into.size() <= bytes_.size());
    std::copy_n(bytes_.begin() + offset, into.size(), into.begin());
  }
  void WriteAt(std::int64_t offset, std::span<const std::uint8_t> data) override {
    HDGR_FUZZ_REQUIRE(offset >= 0);
    const std::size_t end = static_cast<std::size_t>(offset) + data.size();
    if (end > kCapacity) throw hdgr::RunTimeError(ErrorNumber::kDiskFull, "memory");
    if (end > bytes_.size()) bytes_.resize(end);
    std::copy(data.begin(), data.end(), bytes_.begin() + offset);
  }

 private:
  Bytes& bytes_;
};

// What each file number should hold, kept apart from the files themselves.
struct Model {
  std::array<Bytes, hdgr::kHighestFileNumber> media;
  std::array<Bytes, hdgr::kHighestFileNumber> expected;
  std::array<bool, hdgr::kHighestFileNumber> open{};
};

bool InRange(int number) { return number >= 1 && number <= hdgr::kHighestFileNumber; }

const std::initializer_list<ErrorNumber> kDocumented = {ErrorNumber::kBadFileNameOrNumber,
                                                        ErrorNumber::kFileAlreadyOpen, ErrorNumber::kBadRecordNumber,
                                                        ErrorNumber::kTooManyFiles, ErrorNumber::kDiskFull};

void Step(FuzzedDataProvider& input, hdgr::RecordFileTable& table, Model& model) {
  const int number = input.ConsumeBool() ? input.ConsumeIntegralInRange(1, 4) : input.ConsumeIntegral<int>();
  const std::size_t at = InRange(number) ? static_cast<std::size_t>(number - 1) : 0;
  switch (input.ConsumeIntegralInRange(0, 4)) {
    case 0: {
      Bytes initial = input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(0, 512));
      const bool was_open = InRange(number) && model.open[at];
      Bytes scratch;
      Bytes& medium = InRange(number) && !was_open ? model.media[at] : scratch;
      medium = initial;
      if (OnlyErrors(kDocumented, [&] { table.Open(number, std::make_unique<MemoryFile>(medium), "file"); })) {
        HDGR_FUZZ_REQUIRE(InRange(number) && !was_open);
        model.open[at] = true;
        model.expected[at] = initial;
      }
      break;
    }
    case 1: {
      const auto first = input.ConsumeIntegral<std::int32_t>();
      Bytes into(input.ConsumeIntegralInRange(0, 600));
      if (OnlyErrors(kDocumented, [&] { table.Read(number, first, into); }) && !into.empty()) {
        HDGR_FUZZ_REQUIRE(InRange(number) && model.open[at] && first >= 1);
        const Bytes& expected = model.expected[at];
        HDGR_FUZZ_REQUIRE(first - 1 + into.size() <= expected.size());
        HDGR_FUZZ_REQUIRE(std::equal(into.begin(), into.end(), expected.begin() + (first - 1)));
      }
      break;
    }
    case 2: {
      const std::int32_t first =
          input.ConsumeBool() ? input.ConsumeIntegralInRange(-2, 1200) : input.ConsumeIntegral<std::int32_t>();
      const Bytes bytes = input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(0, 600));
      if (OnlyErrors(kDocumented, [&] { table.Write(number, first, bytes); }) && !bytes.empty()) {
        HDGR_FUZZ_REQUIRE(InRange(number) && model.open[at] && first >= 1);
        Bytes& expected = model.expected[at];
        const std::size_t end = static_cast<std::size_t>(first) - 1 + bytes.size();
        if (end > expected.size()) expected.resize(end);
        std::copy(bytes.begin(), bytes.end(), expected.begin() + (first - 1));
        HDGR_FUZZ_REQUIRE(model.media[at] == expected);
      } else if (InRange(number) && model.open[at]) {
        model.expected[at] = model.media[at];  // a full disk may have taken part of the run
      }
      break;
    }
    case 3:
      table.Close(number);
      if (InRange(number)) model.open[at] = false;
      break;
    default: {
      int free = 0;
      if (OnlyErrors(kDocumented, [&] { free = table.FreeNumber(); }))
        HDGR_FUZZ_REQUIRE(InRange(free) && !model.open[free - 1]);
      break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  auto model = std::make_unique<Model>();
  hdgr::RecordFileTable table;
  while (input.remaining_bytes() > 0) Step(input, table, *model);
  table.CloseAll();
  return 0;
}
