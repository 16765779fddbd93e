#include "platform/number_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/run_time_error.h"

namespace hdgr {
namespace {

// A text and what the 16-bit conversion makes of it: a number or a run-time error.
struct IntegerCase {
  std::string text;
  std::optional<int> value;
  ErrorNumber error = ErrorNumber::kTypeMismatch;
};

IntegerCase Gives(std::string text, int value) { return {std::move(text), value}; }
IntegerCase Fails(std::string text, ErrorNumber error) { return {std::move(text), std::nullopt, error}; }

TEST(TextToInteger, ConvertsByThePlatformRules) {
  const std::vector<IntegerCase> cases = {
      Gives("07", 7), Gives(" 3 ", 3), Gives("   12", 12), Gives("-1", -1), Gives("+5", 5),
      Gives("-0", 0), Gives("0000000000000000000042", 42), Gives("5.", 5),
      // Halves go to the even neighbour; everything else to the nearest.
      Gives("2.5", 2), Gives("3.5", 4), Gives("-2.5", -2), Gives("-3.5", -4), Gives("0.5", 0),
      Gives("2.50000000000000000000001", 3), Gives("2.4999999999999999999999", 2),
      Gives("2.51", 3), Gives("-0.4", 0), Gives("1.0", 1),
      // The range's ends, also reached by rounding.
      Gives("32767", 32767), Gives("-32768", -32768), Gives("32766.5", 32766),
      Gives("-32768.5", -32768), Gives("32767.4", 32767),
      Fails("32768", ErrorNumber::kOverflow), Fails("40000", ErrorNumber::kOverflow),
      Fails("-32769", ErrorNumber::kOverflow), Fails("32767.5", ErrorNumber::kOverflow),
      Fails("-32768.6", ErrorNumber::kOverflow),
      Fails("99999999999999999999999999", ErrorNumber::kOverflow),
      // Not the grammar: type mismatch, the empty text included.
      Fails("", ErrorNumber::kTypeMismatch), Fails("   ", ErrorNumber::kTypeMismatch),
      Fails("abc", ErrorNumber::kTypeMismatch), Fails("3a", ErrorNumber::kTypeMismatch),
      Fails(".", ErrorNumber::kTypeMismatch), Fails(".5", ErrorNumber::kTypeMismatch),
      Fails("-", ErrorNumber::kTypeMismatch), Fails("+", ErrorNumber::kTypeMismatch),
      Fails("- 5", ErrorNumber::kTypeMismatch), Fails("--5", ErrorNumber::kTypeMismatch),
      Fails("1e3", ErrorNumber::kTypeMismatch), Fails("1,000", ErrorNumber::kTypeMismatch),
      Fails("3 4", ErrorNumber::kTypeMismatch), Fails("1.2.3", ErrorNumber::kTypeMismatch),
      Fails("&H10", ErrorNumber::kTypeMismatch), Fails("\t3", ErrorNumber::kTypeMismatch),
      Fails("3\n", ErrorNumber::kTypeMismatch), Fails("99999999999x", ErrorNumber::kTypeMismatch),
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("text \"" + c.text + "\"");
    if (c.value) {
      EXPECT_EQ(TextToInteger(c.text), *c.value);
      continue;
    }
    try {
      const int got = TextToInteger(c.text);
      ADD_FAILURE() << "gave " << got;
    } catch (const RunTimeError& error) {
      EXPECT_EQ(error.Number(), c.error);
      EXPECT_NE(error.Detail().find('"' + c.text + '"'), std::string::npos) << error.Detail();
    }
  }
}

TEST(TextToDouble, SameGrammarInDoublePrecision) {
  EXPECT_EQ(TextToDouble("3"), 3.0);
  EXPECT_EQ(TextToDouble(" 4 "), 4.0);
  EXPECT_EQ(TextToDouble("-0.25"), -0.25);
  EXPECT_EQ(TextToDouble("+2.5"), 2.5);  // no rounding
  EXPECT_EQ(TextToDouble("40000"), 40000.0);
  EXPECT_EQ(TextToDouble("0." + std::string(400, '0') + "1"), 0.0);
  for (const char* text : {"", "x", "1e3", ".", "1,5", "\t1"}) {
    SCOPED_TRACE(text);
    try {
      TextToDouble(text);
      ADD_FAILURE() << "converted";
    } catch (const RunTimeError& error) {
      EXPECT_EQ(error.Number(), ErrorNumber::kTypeMismatch);
    }
  }
  try {
    TextToDouble("1" + std::string(400, '0'));
    ADD_FAILURE() << "converted";
  } catch (const RunTimeError& error) {
    EXPECT_EQ(error.Number(), ErrorNumber::kOverflow);
  }
}

TEST(IntegerToText, DigitsWithSignOnlyWhenNegative) {
  EXPECT_EQ(IntegerToText(0), "0");
  EXPECT_EQ(IntegerToText(3), "3");
  EXPECT_EQ(IntegerToText(-1), "-1");
  EXPECT_EQ(IntegerToText(-32768), "-32768");
  EXPECT_EQ(IntegerToText(2147483647), "2147483647");
}

TEST(TrimBlanks, RemovesSpacesAtBothEndsOnly) {
  EXPECT_EQ(TrimBlanks(""), "");
  EXPECT_EQ(TrimBlanks("   "), "");
  EXPECT_EQ(TrimBlanks("  Setup.exe "), "Setup.exe");
  EXPECT_EQ(TrimBlanks("a b"), "a b");
  EXPECT_EQ(TrimBlanks("\tx\t"), "\tx\t");
}

}  // namespace
}  // namespace hdgr
