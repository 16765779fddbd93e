#include "tests/e2e/driver/e2e_windows.h"

#include <stdexcept>
#include <thread>

namespace hdgr::e2e {

namespace {

constexpr UINT kReplyTimeoutMs = 5'000;

struct Search {
  const std::wstring* title;
  DWORD process_id;
  const wchar_t* class_name;
  HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<Search*>(context);
  // The title without sending a message: a busy program must not stall the search.
  wchar_t title[512] = {};
  GetWindowTextW(window, title, 512);
  if (!IsWindowVisible(window) || *search.title != title) return TRUE;
  if (search.class_name != nullptr && ClassOf(window) != search.class_name) return TRUE;
  DWORD owner_process = 0;
  GetWindowThreadProcessId(window, &owner_process);
  if (search.process_id != 0 && owner_process != search.process_id) return TRUE;
  search.found = window;
  return FALSE;
}

HWND FindNow(const std::wstring& title, DWORD process_id, const wchar_t* class_name) {
  Search search{&title, process_id, class_name, nullptr};
  EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM context) {
  reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
  return TRUE;
}

}  // namespace

std::wstring WindowText(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kReplyTimeoutMs, &length))
    return L"";
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                      kReplyTimeoutMs, &copied);
  text.resize(copied);
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

HWND WaitForWindow(const std::wstring& title, std::chrono::milliseconds timeout, DWORD process_id,
                   const wchar_t* class_name) {
  const auto until = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (HWND found = FindNow(title, process_id, class_name)) return found;
    if (std::chrono::steady_clock::now() >= until) return nullptr;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

std::vector<ControlInfo> ListControls(HWND top) {
  std::vector<HWND> children;
  EnumChildWindows(top, CollectChild, reinterpret_cast<LPARAM>(&children));
  const POINT origin = ClientOrigin(top);
  std::vector<ControlInfo> controls;
  for (HWND child : children) {
    RECT rect;
    GetWindowRect(child, &rect);
    OffsetRect(&rect, -origin.x, -origin.y);
    controls.push_back(ControlInfo{child, GetDlgCtrlID(child), ClassOf(child), WindowText(child), rect,
                                   IsWindowEnabled(child) != FALSE, IsWindowVisible(child) != FALSE});
  }
  return controls;
}

ControlInfo ControlWithId(HWND top, int id) {
  for (const ControlInfo& control : ListControls(top))
    if (control.id == id) return control;
  throw std::runtime_error("no control with id " + std::to_string(id));
}

SIZE ClientSize(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return SIZE{client.right - client.left, client.bottom - client.top};
}

POINT ClientOrigin(HWND window) {
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  return origin;
}

HWND FocusedControl(HWND top) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

}  // namespace hdgr::e2e
