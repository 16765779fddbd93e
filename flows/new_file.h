#pragma once
// A file written as a new file beside its final path, checked, and put in place whole in
// one rename. Until then a failure removes it, so neither a partly written file nor a
// partly overwritten old one is left behind.

#include <cstdint>
#include <string>
#include <string_view>

#include "package/sha256_worker.h"
#include "platform/application_services.h"

namespace hdgr {

class NewFile {
 public:
  // `digest` is the file's from here on. What a stopped run left beside the final path
  // goes first: a run killed before its rename leaves its new file there.
  NewFile(ApplicationServices& app, std::string_view final_path, Sha256Worker& digest)
      : app_(app), final_path_(final_path), digest_(digest) {
    app_.RemoveLeftovers(final_path_);
    digest_.Begin();
  }
  ~NewFile();
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  const std::string& FinalPath() const { return final_path_; }
  // Fed with every byte handed to the file's writes.
  Sha256Worker* Digest() { return &digest_; }
  // Its writes done and its number closed: checks its length and digest, then puts it in
  // place (the services' PutInPlace, which only renames). A mismatch leaves the final path
  // as it was.
  void CheckAndPutInPlace(std::int32_t length, const Sha256Digest& expected);
  // As CheckAndPutInPlace, for the file that will be started: first held read-only and read
  // back through that hold, so that what was checked is what starts, whatever anybody else does.
  void CheckAndPutInPlaceToStart(std::int32_t length, const Sha256Digest& expected);
  // CheckAndPutInPlace in two steps, for files that go in place together once all are
  // written and checked: the next file's digest may begin once Check has returned.
  void Check(std::int32_t length, const Sha256Digest& expected);
  void PutInPlace() { Place(checked_length_, checked_digest_); }

 private:
  void Place(std::int32_t length, const Sha256Digest& digest);

  ApplicationServices& app_;
  std::string final_path_;
  Sha256Worker& digest_;
  bool in_place_ = false;
  std::int32_t checked_length_ = -1;
  Sha256Digest checked_digest_{};
};

}  // namespace hdgr
