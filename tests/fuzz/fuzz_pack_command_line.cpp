// hdgr-pack's command line: any words give one command or one PackError of one line, and a
// command holds only what its usage allows.
#include <algorithm>
#include <variant>

#include "fuzz_contract.h"
#include "tools/hdgr-pack/command_line.h"
#include "tools/hdgr-pack/pack_error.h"

namespace {

struct Contract {
  void operator()(const hdgr::PadCommand& pad) const { HDGR_FUZZ_REQUIRE(pad.length >= 1); }
  void operator()(const hdgr::MakeDemoCommand& demo) const {
    HDGR_FUZZ_REQUIRE(demo.segment >= 0 && demo.segment < static_cast<int>(hdgr::kPackedFileNames.size()));
  }
  // A table given with --lengths names the packed files and has a byte in each.
  void operator()(const hdgr::CheckCommand& check) const { Table(check.table); }
  void operator()(const hdgr::UnpackCommand& unpack) const { Table(unpack.table); }
  static void Table(const hdgr::SegmentTable& table) {
    for (std::size_t i = 0; i < table.size(); ++i)
      HDGR_FUZZ_REQUIRE(table[i].length >= 1 && table[i].file_name == hdgr::kPackedFileNames[i]);
  }
  void operator()(const auto&) const {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> words = hdgr::fuzz::Words(data, size);
  try {
    std::visit(Contract{}, hdgr::ParseCommandLine(words));
  } catch (const hdgr::PackError& error) {
    // A refusal quotes words, so only a word's own line break may break its line.
    const bool words_are_lines = std::none_of(words.begin(), words.end(), [](const std::string& word) {
      return word.find_first_of("\r\n") != std::string::npos;
    });
    if (words_are_lines) HDGR_FUZZ_REQUIRE(std::string(error.what()).find_first_of("\r\n") == std::string::npos);
  }
  return 0;
}
