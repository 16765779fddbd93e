#include "platform/win32/window/window_class.h"

#include <exception>
#include <string>

#include "platform/win32/base/win32_error.h"

namespace hdgr::win32 {

namespace {

HINSTANCE ThisModule() { return GetModuleHandleW(nullptr); }

LRESULT CALLBACK HandlerProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* handler = reinterpret_cast<MessageHandler*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (handler == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  // The event boundary catches every failure of the program's handlers; anything that
  // still gets here is a fault of the toolkit and must not unwind through the system.
  try {
    return handler->HandleMessage(window, message, wparam, lparam);
  } catch (...) {
    std::terminate();
  }
}

}  // namespace

void RegisterHandlerClass(const wchar_t* name, const ClassLook& look) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(ThisModule(), name, &existing)) return;
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = HandlerProcedure;
  window_class.hInstance = ThisModule();
  window_class.hIcon = look.icon;
  window_class.hIconSm = look.small_icon;
  window_class.hCursor = look.cursor != nullptr ? look.cursor : LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = look.background;
  window_class.lpszClassName = name;
  ThrowLastErrorIf(RegisterClassExW(&window_class) == 0, "window class");
}

HWND CreateHandledWindow(MessageHandler& handler, const wchar_t* class_name, DWORD ex_style, DWORD style,
                         const RECT& box, HWND parent, int id, const char* what) {
  HWND window = CreateWindowExW(ex_style, class_name, L"", style, box.left, box.top, box.right - box.left,
                                box.bottom - box.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                ThisModule(), &handler);
  ThrowLastErrorIf(window == nullptr, what);
  return window;
}

HWND CreateSystemWindow(const wchar_t* class_name, const wchar_t* text, DWORD ex_style, DWORD style,
                        const RECT& box, HWND parent, int id, const char* what) {
  HWND window = CreateWindowExW(ex_style, class_name, text, style, box.left, box.top, box.right - box.left,
                                box.bottom - box.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                ThisModule(), nullptr);
  ThrowLastErrorIf(window == nullptr, what);
  return window;
}

}  // namespace hdgr::win32
