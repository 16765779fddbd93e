// hdgr-e2e-driver: drives another program's windows from the command line, for scripts.
//   start PROGRAM [TITLE]      start it; with TITLE, wait for its window. Prints "pid N".
//   wait TITLE                 wait for a window titled TITLE
//   controls TITLE             one line per control: id class x y width height enabled visible "caption"
//   pixel TITLE X Y            the colour at client point (X, Y): "R G B"
//   click TITLE CAPTION        click the control captioned CAPTION
//   keys TITLE KEYS            press keys, e.g. Tab, Shift+Tab, Enter, Escape, Alt+F4
//   message TITLE              wait for a message box titled TITLE: "icon NAME", "text ..."
//   ok TITLE                   press OK on the message box titled TITLE
//   exit PID                   wait for process PID to end; prints "exit CODE"
// Waits last up to HDGR_E2E_TIMEOUT seconds (default 30). Exit code 0 on success,
// 1 when something is not found, 2 for bad usage.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win32/base/wide_text.h"
#include "tests/e2e/driver/e2e_input.h"
#include "tests/e2e/driver/e2e_message_box.h"
#include "tests/e2e/driver/e2e_process.h"
#include "tests/e2e/driver/e2e_screen.h"
#include "tests/e2e/driver/e2e_windows.h"

namespace {

using hdgr::win32::Utf8;
using namespace hdgr::e2e;

std::chrono::milliseconds Timeout() {
  const char* seconds = std::getenv("HDGR_E2E_TIMEOUT");
  return std::chrono::milliseconds(static_cast<long long>((seconds != nullptr ? std::atof(seconds) : 30.0) * 1000));
}

std::string Escaped(const std::wstring& text) {
  std::string out;
  for (char c : Utf8(text)) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '"' || c == '\\') out += std::string("\\") + c;
    else out += c;
  }
  return out;
}

HWND Window(const std::wstring& title) {
  HWND window = WaitForWindow(title, Timeout());
  if (window == nullptr) throw std::runtime_error("no window titled " + Utf8(title));
  return window;
}

int Run(const std::vector<std::wstring>& args) {
  const std::wstring& verb = args.at(0);
  if (verb == L"start") {
    Process process = Start(args.at(1));
    std::printf("pid %lu\n", process.Id());
    if (args.size() > 2 && WaitForWindow(args[2], Timeout(), process.Id()) == nullptr) return 1;
    return 0;
  }
  if (verb == L"wait") return WaitForWindow(args.at(1), Timeout()) != nullptr ? 0 : 1;
  if (verb == L"controls") {
    for (const ControlInfo& c : ListControls(Window(args.at(1))))
      std::printf("%d %s %ld %ld %ld %ld %d %d \"%s\"\n", c.id, Utf8(c.class_name).c_str(), c.rect.left, c.rect.top,
                  c.rect.right - c.rect.left, c.rect.bottom - c.rect.top, c.enabled, c.visible,
                  Escaped(c.caption).c_str());
    return 0;
  }
  if (verb == L"pixel") {
    const Rgb colour = ReadPixel(Window(args.at(1)), std::stoi(args.at(2)), std::stoi(args.at(3)));
    std::printf("%d %d %d\n", colour.red, colour.green, colour.blue);
    return 0;
  }
  if (verb == L"click") {
    for (const ControlInfo& c : ListControls(Window(args.at(1)))) {
      if (c.caption == args.at(2)) {
        Click(c.window);
        return 0;
      }
    }
    return 1;
  }
  if (verb == L"keys") {
    PressKeys(Window(args.at(1)), Utf8(args.at(2)));
    return 0;
  }
  if (verb == L"message" || verb == L"ok") {
    const auto box = WaitForMessageBox(args.at(1), Timeout());
    if (!box) return 1;
    if (verb == L"ok") {
      PressOk(box->window);
      return 0;
    }
    std::printf("icon %s\ntext %s\n", IconName(box->icon), Escaped(box->text).c_str());
    return 0;
  }
  if (verb == L"exit") {
    const auto code = Attach(static_cast<DWORD>(std::stoul(args.at(1)))).WaitForExit(Timeout());
    if (!code) return 1;
    std::printf("exit %lu\n", *code);
    return 0;
  }
  throw std::invalid_argument("unknown command");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::wstring> args(argv + 1, argv + argc);
  try {
    if (args.empty()) throw std::invalid_argument("no command");
    return Run(args);
  } catch (const std::out_of_range&) {
    std::fprintf(stderr, "hdgr-e2e-driver: missing argument (see the comment at the top of driver_main.cpp)\n");
    return 2;
  } catch (const std::invalid_argument& error) {
    std::fprintf(stderr, "hdgr-e2e-driver: %s\n", error.what());
    return 2;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "hdgr-e2e-driver: %s\n", error.what());
    return 1;
  }
}
