#pragma once
// The account this process runs as, read from its token.

#include <windows.h>

#include <cstdint>
#include <vector>

namespace hdgr::win32 {

// The token's TOKEN_USER; its SID lives in the same buffer, so the buffer is kept whole.
class CurrentUser {
 public:
  CurrentUser();
  PSID Sid() const { return reinterpret_cast<const TOKEN_USER*>(buffer_.data())->User.Sid; }

 private:
  std::vector<std::uint8_t> buffer_;
};

}  // namespace hdgr::win32
