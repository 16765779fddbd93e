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

std::string_view AdviceFor(ErrorNumber number) {
  switch (number) {
    case ErrorNumber::kTypeMismatch:
    case ErrorNumber::kOverflow:
      return "Correct or remove the setting named above, then start the setup again.";
    case ErrorNumber::kDiskFull:
      return "Free some space on the drive named above, then start the setup again.";
    case ErrorNumber::kPermissionDenied:
      return "Close the program that uses what is named above, or ask an administrator for the rights, then start "
             "the setup again.";
    case ErrorNumber::kFileNotFound:
    case ErrorNumber::kPathNotFound:
      return "Check that what is named above is there and can be reached, then start the setup again.";
    case ErrorNumber::kPathFileAccessError:
      return "Remove or correct what is named above, then start the setup again.";
    case ErrorNumber::kOutOfMemory:
    case ErrorNumber::kTooManyFiles:
      return "Close other programs, then start the setup again.";
    case ErrorNumber::kBadRecordNumber:
      return "The setup package is damaged: get it again from its publisher.";
    case ErrorNumber::kInvalidProcedureCall:
    case ErrorNumber::kInternalError:
    case ErrorNumber::kBadFileNameOrNumber:
    case ErrorNumber::kFileAlreadyOpen:
      break;
  }
  return "Start the setup again; if this happens again, send this message to the publisher.";
}

namespace {
std::string Headline(ErrorNumber number) {
  return "Run-time error " + std::to_string(static_cast<int>(number)) + ": " +
         std::string(DescriptionOf(number));
}
}  // namespace

RunTimeError::RunTimeError(ErrorNumber number, std::string detail, std::string advice)
    : std::runtime_error(Headline(number)), number_(number), detail_(std::move(detail)), advice_(std::move(advice)) {}

std::string RunTimeError::MessageText() const {
  std::string text = what();
  if (!detail_.empty()) text.append("\n").append(detail_);
  // A failure that already says how to go on (close a program, remove a link, start as
  // administrator) needs no second line of the kind.
  if (!advice_.empty()) text.append("\n").append(advice_);
  else if (detail_.find("start the setup") == std::string::npos) text.append("\n").append(AdviceFor(number_));
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
