#include "platform/log_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hdgr {
namespace {

TEST(LogTextTest, AValueFromOutsideStaysOneQuotedValueOnOneLine) {
  struct Row {
    std::string text;
    std::string quoted;
  };
  const std::vector<Row> rows = {
      {"", "\"\""},
      {"C:\\Program Files\\Halden Grid", "\"C:\\Program Files\\Halden Grid\""},
      {"\" & c:\\x\\evil.exe & rem \"", "\"\"\" & c:\\x\\evil.exe & rem \"\"\""},
      {"a\r\n2026-12-10 10:00:00.000000 exit code 0", "\"a\\r\\n2026-12-10 10:00:00.000000 exit code 0\""},
      {std::string("t\tb\x1b[2Je\x7f\0z", 11), "\"t\\tb\\x1B[2Je\\x7F\\x00z\""},
      {"Halden Grid \xc3\xa9", "\"Halden Grid \xc3\xa9\""},
  };
  for (const Row& row : rows) {
    const std::string quoted = QuotedForLog(row.text);
    EXPECT_EQ(quoted, row.quoted);
    EXPECT_EQ(OneLogLine("setting app_path = " + quoted), "setting app_path = " + quoted) << "nothing left to escape";
  }
}

TEST(LogTextTest, AMessageKeepsItsBreaksAsBarsAndLosesItsControlCharacters) {
  EXPECT_EQ(OneLogLine("Run-time error 75\r\nc:\\x\rsecond\nthird"), "Run-time error 75 | c:\\x | second | third");
  EXPECT_EQ(OneLogLine("bell\a and escape\x1b"), "bell\\x07 and escape\\x1B");
}

}  // namespace
}  // namespace hdgr
