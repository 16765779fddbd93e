/* The demo payload's installer: stands in for the product's real Setup.exe. It notes
   where and how it was started, for the end-to-end tests, then shows a window that
   closes on its button. */

#include <windows.h>

#define CLOSE_BUTTON_ID 1

static const wchar_t kTitle[] = L"Halden Grid Installer (demo)";
static const wchar_t kText[] =
    L"This is a stand-in for the Halden Grid installer.\r\n\r\n"
    L"The setup package wrote it with HaldenGrid.CAB and Setup.LST into its work folder and "
    L"started it. A real installer would install Halden Grid now.";

static void WriteUtf8(HANDLE file, const wchar_t* text) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, NULL, 0, NULL, NULL);
  if (length <= 1) return;
  char* buffer = HeapAlloc(GetProcessHeap(), 0, (SIZE_T)length);
  if (!buffer) return;
  DWORD written;
  WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, length, NULL, NULL);
  WriteFile(file, buffer, (DWORD)(length - 1), &written, NULL);  /* without the closing zero */
  HeapFree(GetProcessHeap(), 0, buffer);
}

/* %TEMP%\hdgr_demo_installer_started.txt: lines "path=", "command_line=" and
   "current_folder=", UTF-8, CR LF. */
static void WriteStartMarker(void) {
  wchar_t marker[MAX_PATH + 64];
  wchar_t path[MAX_PATH];
  wchar_t folder[MAX_PATH];
  const DWORD temp_length = GetTempPathW(MAX_PATH, marker);
  if (temp_length == 0 || temp_length > MAX_PATH) return;
  lstrcatW(marker, MARKER_NAME);
  if (GetModuleFileNameW(NULL, path, MAX_PATH) == 0) path[0] = 0;
  if (GetCurrentDirectoryW(MAX_PATH, folder) == 0) folder[0] = 0;

  HANDLE file = CreateFileW(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return;
  WriteUtf8(file, L"path=");
  WriteUtf8(file, path);
  WriteUtf8(file, L"\r\ncommand_line=");
  WriteUtf8(file, GetCommandLineW());
  WriteUtf8(file, L"\r\ncurrent_folder=");
  WriteUtf8(file, folder);
  WriteUtf8(file, L"\r\n");
  CloseHandle(file);
}

static void AddControls(HWND window) {
  const HFONT font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
  const HINSTANCE instance = (HINSTANCE)GetWindowLongPtrW(window, GWLP_HINSTANCE);
  HWND text = CreateWindowExW(0, L"STATIC", kText, WS_CHILD | WS_VISIBLE | SS_LEFT, 16, 16, 368, 96, window,
                              NULL, instance, NULL);
  HWND button = CreateWindowExW(0, L"BUTTON", L"Close", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                                294, 124, 90, 26, window, (HMENU)CLOSE_BUTTON_ID, instance, NULL);
  SendMessageW(text, WM_SETFONT, (WPARAM)font, TRUE);
  SendMessageW(button, WM_SETFONT, (WPARAM)font, TRUE);
  SetFocus(button);
}

static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      AddControls(window);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wparam) == CLOSE_BUTTON_ID) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR command_line, int show) {
  (void)previous;
  (void)command_line;
  WriteStartMarker();

  WNDCLASSW window_class = {0};
  window_class.lpfnWndProc = WindowProcedure;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
  window_class.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
  window_class.lpszClassName = L"HdgrDemoInstaller";
  if (!RegisterClassW(&window_class)) return 1;

  RECT frame = {0, 0, 400, 166};
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  AdjustWindowRect(&frame, style, FALSE);
  HWND window = CreateWindowExW(0, window_class.lpszClassName, kTitle, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                frame.right - frame.left, frame.bottom - frame.top, NULL, NULL, instance, NULL);
  if (!window) return 1;
  ShowWindow(window, show);
  UpdateWindow(window);

  MSG message;
  while (GetMessageW(&message, NULL, 0, 0) > 0) {
    if (IsDialogMessageW(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
