#include "platform/win32/base/current_user.h"

#include "platform/win32/base/unique_handle.h"
#include "platform/win32/base/win32_error.h"

namespace hdgr::win32 {

CurrentUser::CurrentUser() {
  HANDLE raw = nullptr;
  ThrowLastErrorIf(!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw), "The process token");
  const ProcessHandle token(raw);
  DWORD size = 0;
  GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
  buffer_.resize(size);
  ThrowLastErrorIf(!GetTokenInformation(token.Get(), TokenUser, buffer_.data(), size, &size), "The current user");
}

}  // namespace hdgr::win32
