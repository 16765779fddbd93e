#pragma once
// Every failure of a platform service or a conversion travels as one RunTimeError
// up to the event boundary, which shows it and ends the program with exit code 1.

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace hdgr {

// Classic run-time error numbers; the user sees the number and its description.
enum class ErrorNumber : int {
  kInvalidProcedureCall = 5,
  kOverflow = 6,
  kOutOfMemory = 7,
  kTypeMismatch = 13,
  kInternalError = 51,
  kBadFileNameOrNumber = 52,
  kFileNotFound = 53,
  kFileAlreadyOpen = 55,
  kDiskFull = 61,
  kBadRecordNumber = 63,
  kTooManyFiles = 67,
  kPermissionDenied = 70,
  kPathFileAccessError = 75,
  kPathNotFound = 76,
};

std::string_view DescriptionOf(ErrorNumber number);
// What the user can do about a failure of `number`, in one line, where the failure itself
// says nothing more precise.
std::string_view AdviceFor(ErrorNumber number);

class RunTimeError : public std::runtime_error {
 public:
  // `detail` says what failed: a setting's name, a path, a file. `advice`, one line on
  // what the user can do, when the failure knows better than AdviceFor(number).
  RunTimeError(ErrorNumber number, std::string detail, std::string advice = {});

  ErrorNumber Number() const { return number_; }
  const std::string& Detail() const { return detail_; }
  // "Run-time error 13: Type mismatch", a line with the detail, if any, and a line with
  // what to do: the advice given, or AdviceFor(number) unless the detail already tells the
  // user how to start the setup again.
  std::string MessageText() const;
  // Where in the source the failure was met ("platform/win32/files/held_folder.cpp:60"),
  // for the log alone: the message the user sees keeps to the user's words. Empty where
  // nothing noted it.
  const std::string& Where() const { return where_; }
  void SetWhere(std::string where) { where_ = std::move(where); }

 private:
  ErrorNumber number_;
  std::string detail_;
  std::string advice_;
  std::string where_;
};

// Inside a catch block: the exception being handled, as the run-time error the user sees.
// A RunTimeError is itself; std::bad_alloc is 7 (out of memory); anything else is 51
// (internal error) with what it says: no failure ends the program as a crash would, with an
// exit code that means something else.
RunTimeError CurrentFailure();

}  // namespace hdgr
