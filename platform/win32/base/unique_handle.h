#pragma once
// One small owning wrapper per kind of Windows handle: non-copyable, movable, closed once
// by its destructor. Nothing closes a handle by hand.

#include <windows.h>

#include <memory>
#include <utility>

namespace hdgr::win32 {

template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Traits::Invalid())) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, Traits::Invalid());
    }
    return *this;
  }
  ~UniqueHandle() { Reset(); }

  Handle Get() const { return handle_; }
  bool Valid() const {
    if constexpr (requires { Traits::IsValid(handle_); }) return Traits::IsValid(handle_);
    else return handle_ != Traits::Invalid();
  }
  explicit operator bool() const { return Valid(); }
  // For the out-parameter of an opening call: closes what it holds first.
  Handle* Receive() {
    Reset();
    return &handle_;
  }
  // Closes the handle now (or takes `handle` in its place). The last error stays as the
  // call that gave `handle` left it: its caller reads GetLastError() after the close.
  void Reset(Handle handle = Traits::Invalid()) {
    if (Valid()) {
      const DWORD last_error = GetLastError();
      Traits::Close(handle_);
      SetLastError(last_error);
    }
    handle_ = handle;
  }
  // Hands the handle over; the caller closes it.
  [[nodiscard]] Handle Release() { return std::exchange(handle_, Traits::Invalid()); }

 private:
  Handle handle_ = Traits::Invalid();
};

struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  // CreateFileW fails with INVALID_HANDLE_VALUE, the native calls leave a null: neither is a file.
  static bool IsValid(Handle handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { CloseHandle(handle); }
};
struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { FindClose(handle); }
};
struct RegistryKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { RegCloseKey(handle); }
};
struct ProcessHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { CloseHandle(handle); }
};
struct PrivateNamespaceTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { ClosePrivateNamespace(handle, 0); }
};
struct BoundaryDescriptorTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { DeleteBoundaryDescriptor(handle); }
};
template <typename Pointer>
struct LocalMemoryTraits {
  using Handle = Pointer;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { LocalFree(handle); }
};

using FileHandle = UniqueHandle<FileHandleTraits>;        // CreateFileW
// One open file with several users, closed as the last lets go: cheaper than a second
// handle (DuplicateHandle and its CloseHandle cost about 70 us under Wine), and the same
// file object, file pointer and all.
using SharedFileHandle = std::shared_ptr<const FileHandle>;
using FindHandle = UniqueHandle<FindHandleTraits>;        // FindFirstFileW
using RegistryKey = UniqueHandle<RegistryKeyTraits>;      // RegOpenKeyExW, RegCreateKeyExW
using ProcessHandle = UniqueHandle<ProcessHandleTraits>;  // ShellExecuteExW, OpenProcess
using PrivateNamespace = UniqueHandle<PrivateNamespaceTraits>;      // CreatePrivateNamespaceW
using BoundaryDescriptor = UniqueHandle<BoundaryDescriptorTraits>;  // CreateBoundaryDescriptorW
// What the system allocated for the caller, typed as the call hands it out
// (ConvertSidToStringSidW, GetNamedSecurityInfoW, FormatMessageW, CommandLineToArgvW).
template <typename Pointer>
using LocalMemory = UniqueHandle<LocalMemoryTraits<Pointer>>;

// The screen's device context, released to the desktop window it came from.
class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  ~ScreenDc() {
    if (dc_ != nullptr) ReleaseDC(nullptr, dc_);
  }
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

}  // namespace hdgr::win32
