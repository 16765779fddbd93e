#pragma once
// The packer's one kind of failure: a message the release engineer can act on, shown
// as one line; the tool then exits with code 2.

#include <stdexcept>
#include <string>

namespace hdgr {

class PackError : public std::runtime_error {
 public:
  explicit PackError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace hdgr
