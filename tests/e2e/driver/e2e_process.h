#pragma once
// Programs the end-to-end tests start or attach to.

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <utility>

#include "platform/win32/base/unique_handle.h"

namespace hdgr::e2e {

using namespace std::chrono_literals;

class Process {
 public:
  Process() = default;
  Process(win32::ProcessHandle process, DWORD id) : handle_(std::move(process)), id_(id) {}
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;

  DWORD Id() const { return id_; }
  bool Running() const;
  // The exit code once the process has ended within `timeout`; nothing otherwise.
  std::optional<DWORD> WaitForExit(std::chrono::milliseconds timeout) const;
  // Ends it if it still runs, and waits until it has.
  void Kill();

 private:
  win32::ProcessHandle handle_;
  DWORD id_ = 0;
};

// Starts `path` with `arguments` (in `current_folder`, when given); throws
// std::runtime_error when it does not start.
Process Start(const std::wstring& path, const std::wstring& arguments = L"", const std::wstring& current_folder = L"");
// Attaches to the running process `id`.
Process Attach(DWORD id);

// A path of the host system ("/work/...") as this system names it ("Z:\work\...").
std::wstring HostPath(const std::string& unix_path);

}  // namespace hdgr::e2e
