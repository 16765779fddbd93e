#pragma once
// A file written beside its final path and put in place whole, in one step, once it is
// verified. Until then a failure closes all files and removes it, so neither a partly
// written file nor a partly overwritten old one is left behind.

#include <string>
#include <string_view>

#include "package/sha256.h"
#include "platform/application_services.h"

namespace hdgr {

class TemporaryFile {
 public:
  // Removes a leftover of an earlier failed run, whatever its attributes.
  TemporaryFile(ApplicationServices& app, std::string_view final_path);
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  const std::string& Path() const { return path_; }
  // All files must be closed. A digest mismatch leaves the final path as it was.
  void PutInPlace(const Sha256Digest& expected);

 private:
  ApplicationServices& app_;
  std::string final_path_;
  std::string path_;
  bool in_place_ = false;
};

}  // namespace hdgr
