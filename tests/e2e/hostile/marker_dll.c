/* A DLL planted beside a program in the planted-DLL test: loaded into a process, it leaves
   a marker file named after itself in %HDGR_PLANTED_MARKERS%. It imports kernel32 alone and
   exports nothing, so it never gets past being loaded. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  (void)reserved;
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  WCHAR path[MAX_PATH];
  DWORD length = GetEnvironmentVariableW(L"HDGR_PLANTED_MARKERS", path, MAX_PATH - 40);
  if (length == 0 || length >= MAX_PATH - 40) return TRUE;
  const WCHAR* name = MARKER_NAME;
  path[length++] = L'\\';
  while (*name != 0) path[length++] = *name++;
  path[length] = 0;
  HANDLE marker = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
  return TRUE;
}
