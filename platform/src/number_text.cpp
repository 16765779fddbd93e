#include "platform/number_text.h"

#include <charconv>
#include <limits>
#include <string>

#include "platform/run_time_error.h"

namespace hdgr {

namespace {

// Only spaces are blanks: a tab or line break around a stored number is not a number.
constexpr char kBlank = ' ';

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The parts of a text that matches the number grammar.
struct NumberParts {
  bool negative = false;
  std::string_view whole;     // one or more digits
  std::string_view fraction;  // zero or more digits after the "."
};

[[noreturn]] void ThrowTypeMismatch(std::string_view text) {
  throw RunTimeError(ErrorNumber::kTypeMismatch, "Not a number: \"" + std::string(text) + "\"");
}

[[noreturn]] void ThrowOverflow(std::string_view text) {
  throw RunTimeError(ErrorNumber::kOverflow, "Out of range: \"" + std::string(text) + "\"");
}

std::size_t SkipDigits(std::string_view text, std::size_t at) {
  while (at < text.size() && IsDigit(text[at])) ++at;
  return at;
}

NumberParts ParseNumber(std::string_view text) {
  const std::string_view body = TrimBlanks(text);
  NumberParts parts;
  std::size_t at = 0;
  if (at < body.size() && (body[at] == '+' || body[at] == '-')) {
    parts.negative = body[at] == '-';
    ++at;
  }
  const std::size_t whole_end = SkipDigits(body, at);
  if (whole_end == at) ThrowTypeMismatch(text);
  parts.whole = body.substr(at, whole_end - at);
  at = whole_end;
  if (at < body.size() && body[at] == '.') {
    const std::size_t fraction_end = SkipDigits(body, at + 1);
    parts.fraction = body.substr(at + 1, fraction_end - at - 1);
    at = fraction_end;
  }
  if (at != body.size()) ThrowTypeMismatch(text);
  return parts;
}

// Compares the fraction with one half exactly, digit by digit: -1 below, 0 equal, 1 above.
int CompareWithHalf(std::string_view fraction) {
  if (fraction.empty()) return -1;
  if (fraction[0] != '5') return fraction[0] < '5' ? -1 : 1;
  for (const char c : fraction.substr(1))
    if (c != '0') return 1;
  return 0;
}

}  // namespace

std::int16_t TextToInteger(std::string_view text) {
  const NumberParts parts = ParseNumber(text);
  // Any magnitude past this is an overflow whatever the fraction; it keeps the sum small.
  constexpr long kCeiling = 100'000;
  long magnitude = 0;
  for (const char c : parts.whole) {
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > kCeiling) ThrowOverflow(text);
  }
  const int against_half = CompareWithHalf(parts.fraction);
  if (against_half > 0 || (against_half == 0 && magnitude % 2 == 1)) ++magnitude;
  const long value = parts.negative ? -magnitude : magnitude;
  if (value < std::numeric_limits<std::int16_t>::min() ||
      value > std::numeric_limits<std::int16_t>::max())
    ThrowOverflow(text);
  return static_cast<std::int16_t>(value);
}

double TextToDouble(std::string_view text) {
  const NumberParts parts = ParseNumber(text);
  // The digits are checked already, so the plain form below is all from_chars sees.
  std::string digits(parts.whole);
  if (!parts.fraction.empty()) digits.append(".").append(parts.fraction);
  double value = 0;
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), value, std::chars_format::fixed);
  if (error == std::errc::result_out_of_range) {
    // Too small to hold is zero; too large is an overflow.
    if (parts.whole.find_first_not_of('0') != std::string_view::npos) ThrowOverflow(text);
    value = 0;
  } else if (error != std::errc() || end != digits.data() + digits.size()) {
    ThrowTypeMismatch(text);
  }
  return parts.negative ? -value : value;
}

std::string IntegerToText(long long value) { return std::to_string(value); }

std::string_view TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlank);
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(kBlank);
  return text.substr(first, last - first + 1);
}

}  // namespace hdgr
