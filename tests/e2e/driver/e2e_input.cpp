#include "tests/e2e/driver/e2e_input.h"

#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace hdgr::e2e {

namespace {

using namespace std::chrono_literals;

constexpr auto kInputSettles = 300ms;

struct KeyName {
  std::string_view name;
  WORD key;
};
constexpr KeyName kKeys[] = {{"Tab", VK_TAB},     {"Enter", VK_RETURN}, {"Escape", VK_ESCAPE},
                             {"Space", VK_SPACE}, {"F4", VK_F4},        {"Shift", VK_SHIFT},
                             {"Alt", VK_MENU},    {"Ctrl", VK_CONTROL}};

WORD KeyCode(std::string_view name) {
  for (const KeyName& key : kKeys)
    if (key.name == name) return key.key;
  throw std::invalid_argument("unknown key " + std::string(name));
}

INPUT Key(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

void Send(std::vector<INPUT> inputs) {
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  std::this_thread::sleep_for(kInputSettles);
}

}  // namespace

void BringToFront(HWND top) {
  if (GetForegroundWindow() == top) return;
  SetForegroundWindow(top);
  std::this_thread::sleep_for(kInputSettles);
}

void Click(HWND control) {
  BringToFront(GetAncestor(control, GA_ROOT));
  RECT rect;
  GetWindowRect(control, &rect);
  SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  INPUT down{};
  down.type = INPUT_MOUSE;
  down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  INPUT up = down;
  up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
  Send({down, up});
}

void PressKeys(HWND top, std::string_view keys) {
  std::vector<WORD> held;
  for (std::size_t start = 0;;) {
    const std::size_t plus = keys.find('+', start);
    held.push_back(KeyCode(keys.substr(start, plus == std::string_view::npos ? plus : plus - start)));
    if (plus == std::string_view::npos) break;
    start = plus + 1;
  }
  BringToFront(top);
  std::vector<INPUT> inputs;
  for (WORD key : held) inputs.push_back(Key(key, false));
  for (auto key = held.rbegin(); key != held.rend(); ++key) inputs.push_back(Key(*key, true));
  Send(inputs);
}

}  // namespace hdgr::e2e
