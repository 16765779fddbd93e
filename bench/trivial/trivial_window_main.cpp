// The floor of an interactive start: a plain Win32 window with the setup window's kinds of
// controls (labels in Arial, a multi-line text box, two buttons, a progress bar), made
// the plainest way. With a log file as its argument it notes there, as the setup's run
// log does, when its code began and when its window was shown and first painted.
//   hdgr-bench-trivial-window.exe [LOG]

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "platform/win32/base/unique_handle.h"
#include "platform/win32/display/common_controls.h"
#include "platform/win32/log/run_log.h"
#include "platform/win32/log/start_up_timeline.h"
#include "platform/win32/window/gdi_handles.h"

namespace {

using hdgr::win32::Font;
using hdgr::win32::OwnedWindow;

constexpr wchar_t kClassName[] = L"HdgrBenchTrivialWindow";

Font ArialFont(int pixels, bool bold) {
  return Font(CreateFontW(-pixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial"));
}

HWND Child(HWND parent, const wchar_t* kind, const wchar_t* text, DWORD style, RECT box, HFONT font) {
  HWND child = CreateWindowExW(0, kind, text, WS_CHILD | WS_VISIBLE | style, box.left, box.top, box.right,
                               box.bottom, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (font != nullptr) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

int Run(hdgr::win32::StartUpTimeline& timeline) {
  hdgr::win32::LoadCommonControls();
  timeline.Reached("common controls loaded");
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = [](HWND window, UINT message, WPARAM wparam, LPARAM lparam) -> LRESULT {
    if (message == WM_CLOSE) PostQuitMessage(0);
    return DefWindowProcW(window, message, wparam, lparam);
  };
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kClassName;
  RegisterClassW(&window_class);
  // The setup window's size at 96 dpi.
  const OwnedWindow window(CreateWindowExW(WS_EX_DLGMODALFRAME, kClassName, L"Trivial window (benchmark)",
                                           WS_POPUP | WS_CAPTION | WS_SYSMENU, 100, 100, 516, 319, nullptr,
                                           nullptr, GetModuleHandleW(nullptr), nullptr));
  timeline.Reached("window made");
  const Font title = ArialFont(21, false);
  const Font status = ArialFont(16, false);
  const Font small = ArialFont(11, true);
  timeline.Reached("fonts made");
  HWND parent = window.Get();
  Child(parent, L"STATIC", L"Halden Grid 3.4.0", 0, RECT{16, 12, 300, 26}, title.Get());
  Child(parent, L"STATIC", L"Ready to install!", 0, RECT{16, 44, 300, 20}, status.Get());
  Child(parent, L"STATIC", L"Extracting setup files", 0, RECT{16, 226, 200, 16}, small.Get());
  Child(parent, L"EDIT", L"Terms of use.\r\nLine two.\r\nLine three.",
        WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY, RECT{16, 72, 476, 140}, status.Get());
  Child(parent, L"BUTTON", L"Accept terms of install", WS_TABSTOP | BS_PUSHBUTTON, RECT{16, 250, 200, 28},
        nullptr);
  Child(parent, L"BUTTON", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, RECT{392, 250, 100, 28}, nullptr);
  Child(parent, PROGRESS_CLASSW, L"", PBS_SMOOTH, RECT{146, 226, 317, 17}, nullptr);
  timeline.Reached("controls made");
  ShowWindow(parent, SW_SHOW);
  UpdateWindow(parent);
  timeline.Reached("shown");
  bool painted = false;
  MSG message;
  for (;;) {
    if (!painted && (HIWORD(GetQueueStatus(QS_PAINT)) & QS_PAINT) == 0) {
      painted = true;
      timeline.Reached("painted");
    }
    if (GetMessageW(&message, nullptr, 0, 0) <= 0) break;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  hdgr::win32::StartUpTimeline timeline;
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);  // as the setup starts
  hdgr::win32::RunLog log;
  int count = 0;
  const hdgr::win32::LocalMemory<LPWSTR*> arguments(CommandLineToArgvW(GetCommandLineW(), &count));
  if (arguments && count > 1) {
    char path[MAX_PATH * 3];
    WideCharToMultiByte(CP_UTF8, 0, arguments.Get()[1], -1, path, sizeof path, nullptr, nullptr);
    log.Open(path);
  }
  timeline.Begin(log);
  return Run(timeline);
}
