#include "plain_copy.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "platform/win32/base/unique_handle.h"
#include "platform/win32/files/file_handles.h"

namespace hdgr::bench {

namespace {

constexpr std::int32_t kBufferBytes = 64 * 1024;

void CopyInto(HANDLE carrier, std::int64_t offset, std::int32_t length, HANDLE out, Sha256* digest) {
  LARGE_INTEGER to{};
  to.QuadPart = offset;
  if (!SetFilePointerEx(carrier, to, nullptr, FILE_BEGIN)) throw std::runtime_error("plain seek failed");
  std::vector<std::uint8_t> buffer(kBufferBytes);
  for (std::int32_t left = length; left > 0;) {
    const auto count = static_cast<DWORD>(std::min(kBufferBytes, left));
    DWORD read = 0;
    DWORD written = 0;
    if (!ReadFile(carrier, buffer.data(), count, &read, nullptr) || read != count)
      throw std::runtime_error("plain read failed");
    if (!WriteFile(out, buffer.data(), count, &written, nullptr) || written != count)
      throw std::runtime_error("plain write failed");
    if (digest != nullptr) digest->Update(std::span<const std::uint8_t>(buffer.data(), count));
    left -= static_cast<std::int32_t>(count);
  }
}

}  // namespace

void PlainCopy(HANDLE carrier, std::int64_t offset, std::int32_t length, const std::wstring& output,
               Sha256* digest) {
  const win32::FileHandle out(CreateFileW(output.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out) throw std::runtime_error("plain output not created");
  CopyInto(carrier, offset, length, out.Get(), digest);
}

void SafePlainCopy(HANDLE carrier, std::int64_t offset, std::int32_t length, const std::wstring& output,
                   Sha256* digest) {
  std::wstring fresh;
  DWORD code = 0;
  const win32::FileHandle out = win32::CreateFreshFile(output, &fresh, &code);
  if (!out) throw std::runtime_error("safe output not created");
  CopyInto(carrier, offset, length, out.Get(), digest);
  if (!win32::MarkForRemoval(out.Get(), false) || !win32::RenameOpenFile(out.Get(), output))
    throw std::runtime_error("safe output not put in place");
}

}  // namespace hdgr::bench
