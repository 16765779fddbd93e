#include "tests/e2e/driver/e2e_message_box.h"

#include <cstdlib>
#include <cwchar>
#include <limits>

#include "platform/win32/window/gdi_handles.h"
#include "tests/e2e/driver/e2e_screen.h"
#include "tests/e2e/driver/e2e_windows.h"

namespace hdgr::e2e {

namespace {

// The id the system's message box gives its text; its icon is the static control that
// shows one (its id differs between Windows and Wine).
constexpr int kTextId = 0xFFFF;

struct Candidate {
  BoxIcon icon;
  const wchar_t* resource;
};
const Candidate kCandidates[] = {{BoxIcon::kError, IDI_HAND},
                                 {BoxIcon::kWarning, IDI_EXCLAMATION},
                                 {BoxIcon::kQuestion, IDI_QUESTION},
                                 {BoxIcon::kInformation, IDI_ASTERISK}};

long Distance(const ScreenCapture& shown, HICON icon, Rgb background) {
  const int width = shown.Width();
  const int height = shown.Height();
  const win32::ScreenDc screen;
  const win32::MemoryDc memory(screen.Get());
  const win32::Bitmap bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
  const win32::Selection selected(memory.Get(), bitmap.Get());
  const win32::Brush fill(CreateSolidBrush(RGB(background.red, background.green, background.blue)));
  const RECT all{0, 0, width, height};
  FillRect(memory.Get(), &all, fill.Get());
  DrawIconEx(memory.Get(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
  long distance = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const COLORREF drawn = GetPixel(memory.Get(), x, y);
      const Rgb seen = shown.At(x, y);
      distance += std::abs(GetRValue(drawn) - seen.red) + std::abs(GetGValue(drawn) - seen.green) +
                  std::abs(GetBValue(drawn) - seen.blue);
    }
  }
  return distance;
}

// Which of the system's icons the box shows: the nearest when each is drawn as the box
// draws it, on the box's own background.
HWND IconControl(HWND box) {
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
    if (_wcsicmp(ClassOf(child).c_str(), L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) return child;
  }
  return nullptr;
}

BoxIcon IconShown(HWND box) {
  HWND icon = IconControl(box);
  if (icon == nullptr || !IsWindowVisible(icon)) return BoxIcon::kNone;
  RECT rect;
  GetWindowRect(icon, &rect);
  const POINT origin = ClientOrigin(box);
  OffsetRect(&rect, -origin.x, -origin.y);
  const ScreenCapture shown = CaptureClient(box, rect);
  const Rgb background = shown.At(0, 0);  // icons leave their corners clear
  BoxIcon nearest = BoxIcon::kNone;
  long best = std::numeric_limits<long>::max();
  for (const Candidate& candidate : kCandidates) {
    const long distance = Distance(shown, LoadIconW(nullptr, candidate.resource), background);
    if (distance < best) {
      best = distance;
      nearest = candidate.icon;
    }
  }
  return nearest;
}

}  // namespace

std::optional<MessageBoxInfo> WaitForMessageBox(const std::wstring& title, std::chrono::milliseconds timeout,
                                                 DWORD process_id) {
  HWND box = WaitForWindow(title, timeout, process_id, L"#32770");
  if (box == nullptr) return std::nullopt;
  // Let it paint before its icon is read from the screen.
  SendMessageTimeoutW(box, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5'000, nullptr);
  Sleep(300);
  return MessageBoxInfo{box, WindowText(GetDlgItem(box, kTextId)), IconShown(box)};
}

void PressOk(HWND box) {
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
}

const char* IconName(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::kNone:
      return "none";
    case BoxIcon::kError:
      return "error";
    case BoxIcon::kWarning:
      return "warning";
    case BoxIcon::kQuestion:
      return "question";
    case BoxIcon::kInformation:
      return "information";
  }
  return "none";
}

}  // namespace hdgr::e2e
