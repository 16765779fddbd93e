#include "platform/run_time_error.h"

#include <exception>
#include <new>

namespace hdgr {

std::string_view DescriptionOf(ErrorNumber number) {
  switch (number) {
    case ErrorNumber::kInvalidProcedureCall: return "Invalid procedure call or argument";
    case ErrorNumber::kOverflow: return "Overflow";
    case ErrorNumber::kOutOfMemory: return "Out of memory";
    case ErrorNumber::kInternalError: return "Internal error";
    case ErrorNumber::kTypeMismatch: return "Type mismatch";
    case ErrorNumber::kBadFileNameOrNumber: return "Bad file name or number";
    case ErrorNumber::kFileNotFound: return "File not found";
    case ErrorNumber::kFileAlreadyOpen: return "File already open";
    case ErrorNumber::kDiskFull: return "Disk full";
    case ErrorNumber::kBadRecordNumber: return "Bad record number";
    case ErrorNumber::kTooManyFiles: return "Too many files";
    case ErrorNumber::kPermissionDenied: return "Permission denied";
    case ErrorNumber::kPathFileAccessError: return "Path/File access error";
    case ErrorNumber::kPathNotFound: return "Path not found";
  }
  return "Application-defined or object-defined error";
}

namespace {
std::string Headline(ErrorNumber number) {
  return "Run-time error " + std::to_string(static_cast<int>(number)) + ": " +
         std::string(DescriptionOf(number));
}
}  // namespace

RunTimeError::RunTimeError(ErrorNumber number, std::string detail)
    : std::runtime_error(Headline(number)), number_(number), detail_(std::move(detail)) {}

std::string RunTimeError::MessageText() const {
  std::string text = what();
  if (!detail_.empty()) text += "\n" + detail_;
  return text;
}

RunTimeError CurrentFailure() {
  try {
    throw;
  } catch (const RunTimeError& error) {
    return error;
  } catch (const std::bad_alloc&) {
    return RunTimeError(ErrorNumber::kOutOfMemory, "The system gave the setup less memory than it needed");
  } catch (const std::exception& error) {
    return RunTimeError(ErrorNumber::kInternalError, std::string("An unexpected failure: ") + error.what());
  } catch (...) {
    return RunTimeError(ErrorNumber::kInternalError, "An unexpected failure of an unknown kind");
  }
}

}  // namespace hdgr
