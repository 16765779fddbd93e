/* The planted-DLL test's yardstick: a program that imports only DLLs Windows always takes
   from System32 (one function of each), restricts the DLL search on its first line and
   carries the same load configuration as the setup program. Whatever DLL it still loads
   from its own folder under Wine, Wine's own DLLs pulled in, not the program. */
#include <windows.h>
#include <shellapi.h>
#include <stdlib.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR command_line, int show) {
  (void)instance;
  (void)previous;
  (void)command_line;
  (void)show;
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  HKEY key = NULL;
  RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &key); /* advapi32 */
  if (key != NULL) RegCloseKey(key);
  HDC screen = GetDC(NULL);                                 /* user32 */
  if (screen != NULL) {
    GetDeviceCaps(screen, LOGPIXELSX);                      /* gdi32 */
    ReleaseDC(NULL, screen);
  }
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(L"a b", &count);   /* shell32 */
  LocalFree(arguments);
  return abs(count - 2);                                    /* msvcrt */
}
