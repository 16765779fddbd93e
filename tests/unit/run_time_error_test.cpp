#include "platform/run_time_error.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace hdgr {
namespace {

RunTimeError FailureOf(const std::function<void()>& action) {
  try {
    action();
  } catch (...) {
    return CurrentFailure();
  }
  return RunTimeError(ErrorNumber::kInvalidProcedureCall, "nothing was thrown");
}

// Whatever a handler throws reaches the user as a run-time error with a number that says
// what happened, never as a crash whose exit code a management tool would misread.
TEST(RunTimeErrorTest, EveryFailureBecomesARunTimeErrorThatSaysWhatHappened) {
  struct Row {
    const char* name;
    std::function<void()> action;
    std::string message;
  };
  const std::vector<Row> rows = {
      {"a run-time error", [] { throw RunTimeError(ErrorNumber::kDiskFull, "c:\\x"); },
       "Run-time error 61: Disk full\nc:\\x\nFree some space on the drive named above, then start the setup again."},
      {"no memory", [] { throw std::bad_alloc(); },
       "Run-time error 7: Out of memory\nThe system gave the setup less memory than it needed\nClose other programs, "
       "then "
       "start the setup again."},
      {"a library's failure", [] { throw std::length_error("vector::reserve"); },
       "Run-time error 51: Internal error\nAn unexpected failure: vector::reserve\nStart the setup again; if this "
       "happens "
       "again, send this message to the publisher."},
      {"anything else", [] { throw 42; },
       "Run-time error 51: Internal error\nAn unexpected failure of an unknown kind\nStart the setup again; if this "
       "happens again, send this message to the publisher."},
  };
  for (const Row& row : rows) EXPECT_EQ(FailureOf(row.action).MessageText(), row.message) << row.name;
}

// Every number the setup can raise ends its message with one line on what to do: the
// failure's own advice where it knows better, never two.
TEST(RunTimeErrorTest, EveryNumberSaysWhatTheUserCanDo) {
  for (int value = 0; value < 100; ++value) {
    const auto number = static_cast<ErrorNumber>(value);
    if (DescriptionOf(number) == "Application-defined or object-defined error") continue;
    SCOPED_TRACE(value);
    const std::string advice(AdviceFor(number));
    EXPECT_FALSE(advice.empty());
    EXPECT_EQ(advice.find('\n'), std::string::npos);
    EXPECT_EQ(advice.back(), '.');
    const std::string text = RunTimeError(number, "c:\\x").MessageText();
    EXPECT_EQ(text.rfind("Run-time error " + std::to_string(value) + ": ", 0), 0u) << "number and text first";
    EXPECT_EQ(text.substr(text.rfind('\n') + 1), advice);
  }
  EXPECT_EQ(RunTimeError(ErrorNumber::kTypeMismatch, "Setting app_Major = \"x\"", "Correct app_Major.").MessageText(),
            "Run-time error 13: Type mismatch\nSetting app_Major = \"x\"\nCorrect app_Major.");
  const std::string own = "c:\\x is in use by another program: close that program, then start the setup again";
  EXPECT_EQ(RunTimeError(ErrorNumber::kPermissionDenied, own).MessageText(),
            "Run-time error 70: Permission denied\n" + own);
}

// Where a failure was met travels with it to the event's boundary, for the log; the user's
// message never shows it.
TEST(RunTimeErrorTest, WhereItWasMetTravelsWithItButStaysOutOfItsMessage) {
  const RunTimeError caught = FailureOf([] {
    RunTimeError error(ErrorNumber::kDiskFull, "c:\\x");
    error.SetWhere("platform/win32/files/held_files.cpp:42");
    throw error;
  });
  EXPECT_EQ(caught.Where(), "platform/win32/files/held_files.cpp:42");
  EXPECT_EQ(caught.MessageText(), "Run-time error 61: Disk full\nc:\\x\n" + std::string(AdviceFor(ErrorNumber::kDiskFull)));
  EXPECT_EQ(RunTimeError(ErrorNumber::kDiskFull, "c:\\x").Where(), "");
}

}  // namespace
}  // namespace hdgr
