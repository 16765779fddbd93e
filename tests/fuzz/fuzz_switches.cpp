// The setup's command line: any words parse, what is reported comes from the words given,
// no switch counts twice and the help is only ever asked alone.
#include <algorithm>

#include "fuzz_contract.h"
#include "flows/switches.h"

using hdgr::fuzz::Words;

namespace {

bool Given(const std::vector<std::string>& words, const std::string& word) {
  return std::find(words.begin(), words.end(), word) != words.end();
}

// A /log=FILE word, or a word after a /log one, carries the file.
bool CarriesLogFile(const std::vector<std::string>& words, const std::string& file) {
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word.size() == file.size() + 5 && word.compare(5, std::string::npos, file) == 0) return true;
    if (word == file && i > 0) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> words = Words(data, size);
  const hdgr::Switches switches = hdgr::ParseSwitches(words);
  // An empty word is offending too: a command line is never half understood.
  if (switches.offending) HDGR_FUZZ_REQUIRE(Given(words, *switches.offending));
  if (Given(words, "")) HDGR_FUZZ_REQUIRE(switches.offending.has_value());
  HDGR_FUZZ_REQUIRE(switches.offending.has_value() == (switches.fault != hdgr::CommandLineFault::kNone));
  if (switches.help && !switches.offending) HDGR_FUZZ_REQUIRE(words.size() == 1);
  // Every word said twice over is a bad command line: a word that is no switch, or a switch twice.
  if (!words.empty()) {
    std::vector<std::string> twice = words;
    twice.insert(twice.end(), words.begin(), words.end());
    HDGR_FUZZ_REQUIRE(hdgr::ParseSwitches(twice).offending.has_value());
  }
  if (switches.log_file) {
    HDGR_FUZZ_REQUIRE(!switches.log_file->empty());
    HDGR_FUZZ_REQUIRE(CarriesLogFile(words, *switches.log_file));
  }
  HDGR_FUZZ_REQUIRE(!hdgr::DescribeSwitches(switches).empty());
  const std::string help = hdgr::HelpText(switches);
  if (switches.offending) HDGR_FUZZ_REQUIRE(help.find(*switches.offending) != std::string::npos);
  return 0;
}
