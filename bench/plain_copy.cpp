#include "plain_copy.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "platform/win32/unique_handle.h"

namespace hdgr::bench {

namespace {

constexpr std::int32_t kBufferBytes = 64 * 1024;

// A seek and a plain read: under Wine a read at an OVERLAPPED offset costs more.
void ReadAt(HANDLE file, std::int64_t offset, std::uint8_t* into, DWORD bytes) {
  LARGE_INTEGER to{};
  to.QuadPart = offset;
  DWORD read = 0;
  if (!SetFilePointerEx(file, to, nullptr, FILE_BEGIN) || !ReadFile(file, into, bytes, &read, nullptr) ||
      read != bytes)
    throw std::runtime_error("plain read failed");
}

}  // namespace

std::int32_t PlainReversedCopy(HANDLE carrier, std::int32_t start, std::int32_t length,
                               const std::wstring& output) {
  const win32::FileHandle out(CreateFileW(output.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out) throw std::runtime_error("plain output not created");
  std::vector<std::uint8_t> buffer(kBufferBytes);
  std::int32_t top = start;  // highest position still to copy
  const std::int32_t end = start - length;
  while (top > end) {
    const std::int32_t count = std::min(kBufferBytes, top - end);
    const std::int64_t offset = std::int64_t{top} - count;  // 0-based offset of the lowest byte
    ReadAt(carrier, offset, buffer.data(), static_cast<DWORD>(count));
    std::reverse(buffer.begin(), buffer.begin() + count);
    DWORD written = 0;
    if (!WriteFile(out.Get(), buffer.data(), static_cast<DWORD>(count), &written, nullptr) ||
        written != static_cast<DWORD>(count))
      throw std::runtime_error("plain write failed");
    top -= count;
  }
  return end;
}

}  // namespace hdgr::bench
