#include "flows/new_file.h"

#include "package/payload_check.h"
#include "platform/run_time_error.h"

namespace hdgr {

NewFile::~NewFile() {
  if (in_place_) return;
  // Already failing: the first error is the one to report, so a later one is dropped.
  try {
    app_.DiscardNewFile(final_path_);
  } catch (...) {
  }
}

void NewFile::CheckAndPutInPlace(std::int32_t length, const Sha256Digest& expected) {
  VerifyNewFile(app_, final_path_, length, digest_.Finish(), expected);
  Place(length, expected);
}

void NewFile::Check(std::int32_t length, const Sha256Digest& expected) {
  VerifyNewFile(app_, final_path_, length, digest_.Finish(), expected);
  checked_length_ = length;
  checked_digest_ = expected;
}

void NewFile::CheckAndPutInPlaceToStart(std::int32_t length, const Sha256Digest& expected) {
  VerifyNewFile(app_, final_path_, length, digest_.Finish(), expected);
  app_.SealFile(final_path_);
  VerifyHeldFile(app_, final_path_, length, expected);
  Place(length, expected);
}

void NewFile::Place(std::int32_t length, const Sha256Digest& digest) {
  if (length < 0) throw RunTimeError(ErrorNumber::kInternalError, final_path_ + " was never checked");
  app_.Note("checked " + final_path_ + ": " + std::to_string(length) + " bytes, SHA-256 " + ToHex(digest));
  app_.PutInPlace(final_path_);
  in_place_ = true;
  app_.Note("in place: " + final_path_);
}

}  // namespace hdgr
