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
       "Run-time error 61: Disk full\nc:\\x"},
      {"no memory", [] { throw std::bad_alloc(); },
       "Run-time error 7: Out of memory\nThe system gave the setup less memory than it needed"},
      {"a library's failure", [] { throw std::length_error("vector::reserve"); },
       "Run-time error 51: Internal error\nAn unexpected failure: vector::reserve"},
      {"anything else", [] { throw 42; }, "Run-time error 51: Internal error\nAn unexpected failure of an unknown kind"},
  };
  for (const Row& row : rows) EXPECT_EQ(FailureOf(row.action).MessageText(), row.message) << row.name;
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
  EXPECT_EQ(caught.MessageText(), "Run-time error 61: Disk full\nc:\\x");
  EXPECT_EQ(RunTimeError(ErrorNumber::kDiskFull, "c:\\x").Where(), "");
}

}  // namespace
}  // namespace hdgr
