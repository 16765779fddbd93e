#pragma once
// The platform's conversions between numbers and their text.
//   Grammar: optional blanks, optional sign, digits, optional "." and fraction digits,
//   optional blanks. Anything else, the empty text included, is a type mismatch (13).

#include <cstdint>
#include <string>
#include <string_view>

namespace hdgr {

// Rounds a fraction half to even; outside -32,768..32,767 is an overflow (6).
std::int16_t TextToInteger(std::string_view text);
// Double precision, for captions compared with numbers.
double TextToDouble(std::string_view text);
// Decimal digits, a minus sign only when negative, no blanks, no leading zeros.
std::string IntegerToText(long long value);
// Blanks removed from both ends.
std::string_view TrimBlanks(std::string_view text);

}  // namespace hdgr
