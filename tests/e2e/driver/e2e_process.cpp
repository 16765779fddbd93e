#include "tests/e2e/driver/e2e_process.h"

#include <stdexcept>
#include <utility>

namespace hdgr::e2e {

// A moved-from process has no id either.
Process::Process(Process&& other) noexcept : handle_(std::move(other.handle_)), id_(std::exchange(other.id_, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    handle_ = std::move(other.handle_);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

bool Process::Running() const { return handle_ && WaitForSingleObject(handle_.Get(), 0) == WAIT_TIMEOUT; }

std::optional<DWORD> Process::WaitForExit(std::chrono::milliseconds timeout) const {
  if (!handle_) return std::nullopt;
  if (WaitForSingleObject(handle_.Get(), static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(handle_.Get(), &code);
  return code;
}

void Process::Kill() {
  if (!Running()) return;
  TerminateProcess(handle_.Get(), 99);
  WaitForSingleObject(handle_.Get(), 10'000);
}

Process Start(const std::wstring& path, const std::wstring& arguments, const std::wstring& current_folder) {
  std::wstring command = L"\"" + path + L"\"";
  if (!arguments.empty()) command += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  // No standard handles of ours: a script that reads our output must not wait for the
  // started program to end.
  startup.dwFlags = STARTF_USESTDHANDLES;
  PROCESS_INFORMATION started{};
  // Wine under load now and then fails a start with its internal error while the new
  // process initialises; the program under test never ran, so starting it again is sound.
  for (int attempt = 1;; ++attempt) {
    if (CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       current_folder.empty() ? nullptr : current_folder.c_str(), &startup, &started))
      break;
    const DWORD error = GetLastError();
    if (error != ERROR_INTERNAL_ERROR || attempt == 3)
      throw std::runtime_error("cannot start program, error " + std::to_string(error));
    Sleep(500);
  }
  const win32::ProcessHandle thread(started.hThread);
  return Process(win32::ProcessHandle(started.hProcess), started.dwProcessId);
}

Process Attach(DWORD id) {
  win32::ProcessHandle process(
      OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, id));
  if (!process) throw std::runtime_error("no process " + std::to_string(id));
  return Process(std::move(process), id);
}

std::wstring HostPath(const std::string& unix_path) {
  // Wine names host files itself; elsewhere drive Z: is the host's root, as Wine sets it up.
  using DosName = WCHAR*(CDECL*)(const char*);
  const auto dos_name = reinterpret_cast<DosName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
  if (dos_name != nullptr) {
    if (WCHAR* name = dos_name(unix_path.c_str())) {
      std::wstring path(name);
      HeapFree(GetProcessHeap(), 0, name);
      return path;
    }
  }
  std::wstring path = L"Z:";
  for (char c : unix_path) path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
  return path;
}

}  // namespace hdgr::e2e
