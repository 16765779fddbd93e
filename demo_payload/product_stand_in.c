/* The demo payload's product: stands in for HaldenGrid.exe. Its main window carries the
   product's title, which the setup package looks for to tell that the product runs. */

#include <windows.h>

static const wchar_t kTitle[] = L"Halden Grid - Main Window";
static const wchar_t kText[] = L"Halden Grid (demo product)";

static void PaintText(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, kText, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  EndPaint(window, &paint);
}

static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT:
      PaintText(window);
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
  WNDCLASSW window_class = {0};
  window_class.lpfnWndProc = WindowProcedure;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
  window_class.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  window_class.lpszClassName = L"HdgrDemoProduct";
  if (!RegisterClassW(&window_class)) return 1;

  HWND window = CreateWindowExW(0, window_class.lpszClassName, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 480, 320, NULL, NULL, instance, NULL);
  if (!window) return 1;
  ShowWindow(window, show);
  UpdateWindow(window);

  MSG message;
  while (GetMessageW(&message, NULL, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
