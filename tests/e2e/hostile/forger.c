/* Another program on the same desktop, which drives the setup's window with messages the
   setup never asked for: clicks, captions, timer ticks, quits and the session's end.
     forger post HWND MSG WPARAM LPARAM    posts the message once
     forger quit HWND CODE                 posts WM_QUIT with CODE to the window's thread
     forger flood CLASS MSG WPARAM LPARAM  until killed, as fast as it can, posts the message to
                                           every window of CLASS, hidden and message-only ones too, as
                                           soon as one exists (WM_QUIT, 18, to its thread)
     forger floodthreads EXE MSG WPARAM LPARAM  the same to every thread of every process whose
                                           program file is named EXE, for a program without windows
     forger settext HWND TEXT              sends WM_SETTEXT (a pointer: it can only be sent)
     forger enable HWND                    enables the window, as EnableWindow does
     forger send HWND MSG WPARAM LPARAM    sends the message; the exit code is 100 + its answer
   Numbers in decimal, or hexadecimal after 0x. Exit code 2: bad arguments or a failed call. */
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>
#include <wchar.h>

static ULONG_PTR Number(const WCHAR* text) { return (ULONG_PTR)wcstoull(text, NULL, 0); }

static BOOL Post(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != WM_QUIT) return PostMessageW(window, message, wparam, lparam);
  return PostThreadMessageW(GetWindowThreadProcessId(window, NULL), WM_QUIT, wparam, 0);
}

static int Flood(const WCHAR* class_name, UINT message, WPARAM wparam, LPARAM lparam) {
  /* No sleep: a quiet run's window lives for a few tens of milliseconds. Top-level windows
     first, then message-only ones. */
  static const HWND kParents[] = {NULL, HWND_MESSAGE};
  for (;;) {
    int posted = 0;
    for (int i = 0; i < 2; ++i)
      for (HWND window = FindWindowExW(kParents[i], NULL, class_name, NULL); window != NULL;
           window = FindWindowExW(kParents[i], window, class_name, NULL), ++posted)
        Post(window, message, wparam, lparam);
    if (posted == 0) SwitchToThread();
  }
}

/* Each thread of each process named `program`; the number of threads posted to. */
static int PostToThreads(const WCHAR* program, UINT message, WPARAM wparam, LPARAM lparam) {
  int posted = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS | TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32W process;
  process.dwSize = sizeof process;
  for (BOOL more = Process32FirstW(snapshot, &process); more; more = Process32NextW(snapshot, &process)) {
    if (_wcsicmp(process.szExeFile, program) != 0) continue;
    THREADENTRY32 thread;
    thread.dwSize = sizeof thread;
    for (BOOL next = Thread32First(snapshot, &thread); next; next = Thread32Next(snapshot, &thread))
      if (thread.th32OwnerProcessID == process.th32ProcessID &&
          PostThreadMessageW(thread.th32ThreadID, message, wparam, lparam))
        ++posted;
  }
  CloseHandle(snapshot);
  return posted;
}

static int FloodThreads(const WCHAR* program, UINT message, WPARAM wparam, LPARAM lparam) {
  for (;;)
    if (PostToThreads(program, message, wparam, lparam) == 0) SwitchToThread();
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR command_line, int show) {
  (void)instance;
  (void)previous;
  (void)command_line;
  (void)show;
  int count = 0;
  WCHAR** argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (argv == NULL || count < 3) return 2;
  const WCHAR* verb = argv[1];
  if (wcscmp(verb, L"post") == 0 && count == 6)
    return Post((HWND)Number(argv[2]), (UINT)Number(argv[3]), Number(argv[4]), (LPARAM)Number(argv[5])) ? 0 : 2;
  if (wcscmp(verb, L"quit") == 0 && count == 4) return Post((HWND)Number(argv[2]), WM_QUIT, Number(argv[3]), 0) ? 0 : 2;
  if (wcscmp(verb, L"flood") == 0 && count == 6)
    return Flood(argv[2], (UINT)Number(argv[3]), Number(argv[4]), (LPARAM)Number(argv[5]));
  if (wcscmp(verb, L"floodthreads") == 0 && count == 6)
    return FloodThreads(argv[2], (UINT)Number(argv[3]), Number(argv[4]), (LPARAM)Number(argv[5]));
  if (wcscmp(verb, L"settext") == 0 && count == 4)
    return SendMessageW((HWND)Number(argv[2]), WM_SETTEXT, 0, (LPARAM)argv[3]) ? 0 : 2;
  if (wcscmp(verb, L"enable") == 0 && count == 3) {
    EnableWindow((HWND)Number(argv[2]), TRUE);
    return 0;
  }
  if (wcscmp(verb, L"send") == 0 && count == 6) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW((HWND)Number(argv[2]), (UINT)Number(argv[3]), Number(argv[4]), (LPARAM)Number(argv[5]),
                             SMTO_ABORTIFHUNG, 10000, &answer))
      return 2;
    return 100 + (int)answer;
  }
  return 2;
}
