#include "platform/win32/system/own_program.h"

#include <windows.h>

#include <cstring>

#include "platform/run_time_error.h"
#include "platform/win32/base/wide_text.h"

namespace hdgr::win32 {

namespace {

// VS_VERSIONINFO's head: three WORDs, the key L"VS_VERSION_INFO" with its terminator,
// padding to 32 bits, then the fixed information.
constexpr wchar_t kVersionKey[] = L"VS_VERSION_INFO";
constexpr std::size_t kFixedInfoOffset = (3 * sizeof(WORD) + sizeof kVersionKey + 3) & ~std::size_t{3};

[[noreturn]] void ThrowNoVersion() {
  throw RunTimeError(ErrorNumber::kPathFileAccessError, Utf8(OwnProgramPath()) + " carries no version information");
}

}  // namespace

OwnVersion ReadOwnVersion() {
  // Read straight from the program's own resource: the version functions live in a DLL
  // that is not always taken from System32.
  const HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
  if (found == nullptr) ThrowNoVersion();
  const HGLOBAL loaded = LoadResource(nullptr, found);
  const auto* block = static_cast<const std::uint8_t*>(loaded != nullptr ? LockResource(loaded) : nullptr);
  const DWORD size = SizeofResource(nullptr, found);
  if (block == nullptr || size < kFixedInfoOffset + sizeof(VS_FIXEDFILEINFO)) ThrowNoVersion();
  WORD value_length = 0;
  std::memcpy(&value_length, block + sizeof(WORD), sizeof value_length);
  VS_FIXEDFILEINFO fixed{};
  std::memcpy(&fixed, block + kFixedInfoOffset, sizeof fixed);
  if (std::memcmp(block + 3 * sizeof(WORD), kVersionKey, sizeof kVersionKey) != 0 ||
      value_length < sizeof fixed || fixed.dwSignature != VS_FFI_SIGNATURE)
    ThrowNoVersion();
  return OwnVersion{HIWORD(fixed.dwFileVersionMS), LOWORD(fixed.dwFileVersionMS), HIWORD(fixed.dwFileVersionLS)};
}

std::wstring OwnProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) throw RunTimeError(ErrorNumber::kFileNotFound, "The program's own file");
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace hdgr::win32
