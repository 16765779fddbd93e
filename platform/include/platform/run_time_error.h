#pragma once
// Every failure of a platform service or a conversion travels as one RunTimeError
// up to the event boundary, which shows it and ends the program with exit code 1.

#include <stdexcept>
#include <string>
#include <string_view>

namespace hdgr {

// Classic run-time error numbers; the user sees the number and its description.
enum class ErrorNumber : int {
  kInvalidProcedureCall = 5,
  kOverflow = 6,
  kTypeMismatch = 13,
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

class RunTimeError : public std::runtime_error {
 public:
  // `detail` says what failed: a setting's name, a path, a file.
  RunTimeError(ErrorNumber number, std::string detail);

  ErrorNumber Number() const { return number_; }
  const std::string& Detail() const { return detail_; }
  // "Run-time error 13: Type mismatch" followed by a line with the detail, if any.
  std::string MessageText() const;

 private:
  ErrorNumber number_;
  std::string detail_;
};

}  // namespace hdgr
