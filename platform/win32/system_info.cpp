#include "platform/win32/system_info.h"

#include <windows.h>

#include <vector>

#include "platform/run_time_error.h"
#include "platform/win32/file_error.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/wide_text.h"

namespace hdgr::win32 {

ScreenMetrics ReadScreenMetrics() {
  const ScreenDc screen;
  const int dpi_x = screen.Get() != nullptr ? GetDeviceCaps(screen.Get(), LOGPIXELSX) : 0;
  const int dpi_y = screen.Get() != nullptr ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
  if (dpi_x <= 0 || dpi_y <= 0)
    throw RunTimeError(ErrorNumber::kInvalidProcedureCall, "The screen's resolution is unknown");
  const float per_pixel_x = 1440.0f / static_cast<float>(dpi_x);
  const float per_pixel_y = 1440.0f / static_cast<float>(dpi_y);
  return ScreenMetrics{static_cast<float>(GetSystemMetrics(SM_CXSCREEN)) * per_pixel_x,
                       static_cast<float>(GetSystemMetrics(SM_CYSCREEN)) * per_pixel_y,
                       per_pixel_x, per_pixel_y};
}

OwnVersion ReadFileVersion(const std::wstring& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) throw FileError(code, path);
    throw RunTimeError(ErrorNumber::kPathFileAccessError, Utf8(path) + " carries no version information");
  }
  std::vector<std::uint8_t> data(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) throw FileError(GetLastError(), path);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
      fixed == nullptr || length < sizeof(VS_FIXEDFILEINFO))
    throw RunTimeError(ErrorNumber::kPathFileAccessError, Utf8(path) + " carries no fixed version information");
  return OwnVersion{HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                    HIWORD(fixed->dwFileVersionLS)};
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
