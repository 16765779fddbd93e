#pragma once
// Programs the end-to-end tests start or attach to.

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>

namespace hdgr::e2e {

using namespace std::chrono_literals;

class Process {
 public:
  Process() = default;
  Process(HANDLE process, DWORD id) : handle_(process), id_(id) {}
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  ~Process();

  DWORD Id() const { return id_; }
  bool Running() const;
  // The exit code once the process has ended within `timeout`; nothing otherwise.
  std::optional<DWORD> WaitForExit(std::chrono::milliseconds timeout) const;
  // Ends it if it still runs, and waits until it has.
  void Kill();

 private:
  HANDLE handle_ = nullptr;
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
