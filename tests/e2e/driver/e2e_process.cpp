#include "tests/e2e/driver/e2e_process.h"

#include <stdexcept>
#include <utility>

namespace hdgr::e2e {

Process::Process(Process&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), id_(std::exchange(other.id_, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) CloseHandle(handle_);
    handle_ = std::exchange(other.handle_, nullptr);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

Process::~Process() {
  if (handle_ != nullptr) CloseHandle(handle_);
}

bool Process::Running() const { return handle_ != nullptr && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT; }

std::optional<DWORD> Process::WaitForExit(std::chrono::milliseconds timeout) const {
  if (handle_ == nullptr) return std::nullopt;
  if (WaitForSingleObject(handle_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(handle_, &code);
  return code;
}

void Process::Kill() {
  if (!Running()) return;
  TerminateProcess(handle_, 99);
  WaitForSingleObject(handle_, 10'000);
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
  if (!CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      current_folder.empty() ? nullptr : current_folder.c_str(), &startup, &started))
    throw std::runtime_error("cannot start program, error " + std::to_string(GetLastError()));
  CloseHandle(started.hThread);
  return Process(started.hProcess, started.dwProcessId);
}

Process Attach(DWORD id) {
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, id);
  if (process == nullptr) throw std::runtime_error("no process " + std::to_string(id));
  return Process(process, id);
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
