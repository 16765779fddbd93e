#pragma once
// Window classes whose procedure hands every message to a C++ object: the object is the
// creation parameter and lives in the window's user data from WM_NCCREATE on.

#include <windows.h>

namespace hdgr::win32 {

class MessageHandler {
 public:
  virtual ~MessageHandler() = default;
  virtual LRESULT HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) = 0;
};

struct ClassLook {
  HBRUSH background = nullptr;  // nullptr: the handler paints everything
  HICON icon = nullptr;
  HICON small_icon = nullptr;
  HCURSOR cursor = nullptr;
};

// Registers `name` once per process; later calls with the same name do nothing.
void RegisterHandlerClass(const wchar_t* name, const ClassLook& look);

// Creates a window of a class registered above, handled by `handler`.
// A failure is a RunTimeError naming `what`.
HWND CreateHandledWindow(MessageHandler& handler, const wchar_t* class_name, DWORD ex_style, DWORD style,
                         const RECT& box, HWND parent, int id, const char* what);

// Creates a window of a system class (button, edit, progress bar).
HWND CreateSystemWindow(const wchar_t* class_name, const wchar_t* text, DWORD ex_style, DWORD style,
                        const RECT& box, HWND parent, int id, const char* what);

}  // namespace hdgr::win32
