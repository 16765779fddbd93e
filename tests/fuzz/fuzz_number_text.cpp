// Number text: only type mismatch (13) and overflow (6) leave the conversions, integers stay
// in range, and the two conversions agree on what is a number.
#include <cmath>
#include <cstdint>
#include <string_view>

#include "fuzz_contract.h"
#include "platform/number_text.h"

using hdgr::ErrorNumber;
using hdgr::fuzz::OnlyErrors;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string_view trimmed = hdgr::TrimBlanks(text);
  HDGR_FUZZ_REQUIRE(trimmed.empty() ||
                    (trimmed.data() >= text.data() && trimmed.data() + trimmed.size() <= text.data() + text.size()));

  int integer = 0;
  double real = 0;
  bool integer_mismatch = false;
  const bool is_integer = OnlyErrors({ErrorNumber::kTypeMismatch, ErrorNumber::kOverflow}, [&] {
    try {
      integer = hdgr::TextToInteger(text);
    } catch (const hdgr::RunTimeError& error) {
      integer_mismatch = error.Number() == ErrorNumber::kTypeMismatch;
      throw;
    }
  });
  const bool is_real =
      OnlyErrors({ErrorNumber::kTypeMismatch, ErrorNumber::kOverflow}, [&] { real = hdgr::TextToDouble(text); });
  if (is_integer) {
    HDGR_FUZZ_REQUIRE(integer >= -32768 && integer <= 32767);
    HDGR_FUZZ_REQUIRE(is_real && std::fabs(real - integer) <= 0.5);
    HDGR_FUZZ_REQUIRE(hdgr::TextToInteger(hdgr::IntegerToText(integer)) == integer);
  }
  // Whether a text is a number at all does not depend on which conversion reads it.
  if (integer_mismatch) HDGR_FUZZ_REQUIRE(!is_real);
  if (is_real) HDGR_FUZZ_REQUIRE(!integer_mismatch && std::isfinite(real));
  return 0;
}
