#include "setup_window/temporary_file.h"

#include "package/payload_check.h"
#include "platform/run_time_error.h"

namespace hdgr {

namespace {

constexpr std::string_view kTemporarySuffix = ".new";

// Find entry does not report hidden or system files, so the removal itself tells.
void RemoveIfPresent(ApplicationServices& app, const std::string& path) {
  try {
    app.RemoveFile(path);
  } catch (const RunTimeError& error) {
    if (error.Number() != ErrorNumber::kFileNotFound) throw;
  }
}

}  // namespace

TemporaryFile::TemporaryFile(ApplicationServices& app, std::string_view final_path)
    : app_(app), final_path_(final_path), path_(final_path_ + std::string(kTemporarySuffix)) {
  RemoveIfPresent(app_, path_);
}

TemporaryFile::~TemporaryFile() {
  if (in_place_) return;
  // Already failing: the first error is the one to report, so later ones are dropped.
  try {
    app_.CloseAllFiles();
  } catch (...) {
  }
  try {
    RemoveIfPresent(app_, path_);
  } catch (...) {
  }
}

void TemporaryFile::PutInPlace(const Sha256Digest& expected) {
  VerifyWrittenFile(app_, path_, expected);
  app_.ReplaceFile(path_, final_path_);
  in_place_ = true;
}

}  // namespace hdgr
