#include "platform/win32/window/form_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "platform/run_time_error.h"
#include "platform/win32/base/wide_text.h"
#include "platform/win32/base/win32_error.h"
#include "platform/win32/window/accessible_object.h"
#include "platform/win32/window/design_wrap.h"
#include "platform/win32/window/display_density.h"
#include "platform/win32/window/form_colours.h"

namespace hdgr::win32 {

namespace {

constexpr wchar_t kFormClass[] = L"HdgrForm";
constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_DLGMODALFRAME;
constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
constexpr RECT kNoBox{0, 0, 0, 0};  // until laid out

Icon LoadProgramIcon(int size) {
  return Icon(static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kFormIconResource), IMAGE_ICON, size, size, 0)));
}

// The system's densities run from 96 to 480 dots per inch (500 %).
constexpr int kLowestDpi = 48;
constexpr int kHighestDpi = 960;

struct DensityChangeRequest {
  int dpi;
  RECT suggested;
};

// A WM_DPICHANGED as the system sends it: the same density across and down, in the range
// the system uses, and a rectangle in this process's readable memory. Another program can
// post one with any numbers and any pointer; read blindly, the pointer ends the setup as a
// crash. The rectangle's corner is kept on a monitor.
std::optional<DensityChangeRequest> DensityChange(WPARAM wparam, LPARAM lparam) {
  const int dpi = HIWORD(wparam);
  if (LOWORD(wparam) != dpi || dpi < kLowestDpi || dpi > kHighestDpi) return std::nullopt;
  const auto* at = reinterpret_cast<const BYTE*>(lparam);
  MEMORY_BASIC_INFORMATION region{};
  if (VirtualQuery(at, &region, sizeof region) == 0 || region.State != MEM_COMMIT) return std::nullopt;
  constexpr DWORD kReadable =
      PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  if ((region.Protect & kReadable) == 0 || (region.Protect & PAGE_GUARD) != 0) return std::nullopt;
  if (at + sizeof(RECT) > static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize) return std::nullopt;
  DensityChangeRequest change{dpi, {}};
  std::memcpy(&change.suggested, at, sizeof change.suggested);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  const POINT corner{change.suggested.left, change.suggested.top};
  if (!GetMonitorInfoW(MonitorFromPoint(corner, MONITOR_DEFAULTTONEAREST), &monitor)) return std::nullopt;
  const RECT& area = monitor.rcWork;
  change.suggested.left = std::clamp(change.suggested.left, area.left, std::max(area.left, area.right - 1));
  change.suggested.top = std::clamp(change.suggested.top, area.top, std::max(area.top, area.bottom - 1));
  return change;
}

bool SystemHighContrast() {
  HIGHCONTRASTW setting{};
  setting.cbSize = sizeof setting;
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof setting, &setting, 0) &&
         (setting.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

// The system commands that run a modal loop of their own until the user ends them.
bool IsModalLoopCommand(WPARAM command) {
  switch (command & 0xFFF0) {
    case SC_KEYMENU:
    case SC_MOUSEMENU:
    case SC_MOVE:
    case SC_SIZE:
      return true;
    default:
      return false;
  }
}

void MoveChild(HWND child, const RECT& box) {
  SetWindowPos(child, nullptr, box.left, box.top, box.right - box.left, box.bottom - box.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

FormWindow::FormWindow(const FormDesign& design, Milestone milestone)
    : design_(design),
      milestone_(std::move(milestone)),
      icon_(LoadProgramIcon(GetSystemMetrics(SM_CXICON))),
      small_icon_(LoadProgramIcon(GetSystemMetrics(SM_CXSMICON))),
      background_(CreateSolidBrush(ToColorRef(design.back_colour))) {
  CreateTopLevel();
  Reached("window made");
  for (const ControlDesign& control : design.controls) CreateControl(control);
  Reached("controls made");
  Layout();
  Reached("controls placed in their fonts");
  laid_out_ = true;
  FollowHighContrast();

  std::vector<const ControlDesign*> stops;
  for (const ControlDesign& control : design.controls)
    if (control.tab_stop) stops.push_back(&control);
  std::stable_sort(stops.begin(), stops.end(),
                   [](const auto* a, const auto* b) { return a->tab_index < b->tab_index; });
  for (const ControlDesign* control : stops)
    tab_order_.Add(GetDlgItem(ContainerWindow(*control), ControlId(design_, *control)));
}

FormWindow::~FormWindow() {
  // The windows go first, while the objects that handle their last messages still exist.
  window_ = OwnedWindow();
}

void FormWindow::CreateTopLevel() {
  RegisterHandlerClass(kFormClass, ClassLook{nullptr, icon_.Get(), small_icon_.Get(), nullptr});
  // A hidden owner keeps the window out of the taskbar without a tool-window frame.
  owner_ = OwnedWindow(CreateSystemWindow(L"STATIC", L"", 0, WS_POPUP, kNoBox, nullptr, 0, "owner window"));
  // Made on the primary monitor, whose density it takes, then sized for it and centred.
  window_ = OwnedWindow(
      CreateHandledWindow(*this, kFormClass, kFormExStyle, kFormStyle, kNoBox, owner_.Get(), 0, "window"));
  SetWindowTextW(window_.Get(), Wide(design_.caption).c_str());
  dpi_ = WindowDpi(window_.Get());
  const SIZE outer = FitFrame(POINT{0, 0});
  FitFrame(POINT{(GetSystemMetrics(SM_CXSCREEN) - outer.cx) / 2, (GetSystemMetrics(SM_CYSCREEN) - outer.cy) / 2});
}

SIZE FormWindow::FitFrame(POINT at) {
  const PixelSize client = ClientSize(design_, dpi_);
  const RECT outer = OuterRectForClient(SIZE{client.width, client.height}, kFormStyle, kFormExStyle, dpi_);
  SIZE size{outer.right - outer.left, outer.bottom - outer.top};
  SetWindowPos(window_.Get(), nullptr, at.x, at.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  // Whatever frame the window manager gives, the client area is the designed one.
  RECT actual;
  GetClientRect(window_.Get(), &actual);
  const int grow_x = client.width - (actual.right - actual.left);
  const int grow_y = client.height - (actual.bottom - actual.top);
  if (grow_x != 0 || grow_y != 0) {
    size = SIZE{size.cx + grow_x, size.cy + grow_y};
    SetWindowPos(window_.Get(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return size;
}

void FormWindow::ChangeDpi(int dpi, const RECT& suggested) {
  dpi_ = dpi;
  FitFrame(POINT{suggested.left, suggested.top});
  if (!laid_out_) return;  // the constructor lays the controls out at the new density
  Layout();
  RedrawWindow(window_.Get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

HWND FormWindow::ContainerWindow(const ControlDesign& control) {
  return control.container.empty() ? window_.Get() : ContainerBox(control).Window();
}

PictureBox& FormWindow::ContainerBox(const ControlDesign& control) {
  return FindNamed(pictures_, control.container, kNoIndex, "picture box");
}

PixelPoint FormWindow::InteriorOf(std::string_view container) {
  if (container.empty()) return PixelPoint{0, 0};
  const PixelRect box = ClientBox(design_, *FindControl(design_, container), dpi_);
  // The border as the system draws it, which need not be the design's 30 twips.
  const POINT border = FindNamed(pictures_, container, kNoIndex, "picture box").BorderOffset();
  return PixelPoint{box.left + border.x, box.top + border.y};
}

RECT FormWindow::BoxInContainer(const ControlDesign& control) {
  const PixelRect box = ClientBox(design_, control, dpi_);
  const PixelPoint interior = InteriorOf(control.container);
  return RECT{box.left - interior.x, box.top - interior.y, box.Right() - interior.x, box.Bottom() - interior.y};
}

HFONT FormWindow::FontOf(const ControlDesign& control, std::vector<Font>& fonts) {
  if (!control.font) return fonts.front().Get();
  fonts.push_back(CreateDesignFont(*control.font, dpi_));
  return fonts.back().Get();
}

void FormWindow::CreateControl(const ControlDesign& control) {
  const int id = ControlId(design_, control);
  const std::wstring caption = Wide(control.caption);
  switch (control.kind) {
    case ControlKind::kPictureBox: {
      std::optional<BitmapPicture> picture;
      if (!control.picture.empty()) picture.emplace(ProgramResource(Wide(control.picture).c_str()));
      pictures_.push_back(
          {&control, std::make_unique<PictureBox>(control, ContainerWindow(control), id, std::move(picture))});
      break;
    }
    case ControlKind::kCommandButton: {
      HWND button = CreateSystemWindow(L"BUTTON", caption.c_str(), 0, kChildStyle | WS_TABSTOP | BS_PUSHBUTTON,
                                       kNoBox, ContainerWindow(control), id, "button");
      buttons_.push_back({&control, std::make_unique<Win32Button>(button, control.caption)});
      break;
    }
    case ControlKind::kTextBox: {
      // Read-only: nothing reads the text, and a terms text is not for editing.
      HWND text = CreateSystemWindow(
          L"EDIT", caption.c_str(), control.sunken_border ? WS_EX_CLIENTEDGE : 0,
          kChildStyle | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, kNoBox,
          ContainerWindow(control), id, "text box");
      if (control.fore_colour && control.back_colour)
        ContainerBox(control).SetChildColours(text, *control.fore_colour, *control.back_colour);
      if (!control.accessible_name.empty()) AnswerForSystemControl(text, {std::nullopt, Wide(control.accessible_name)});
      break;
    }
    case ControlKind::kProgressBar: {
      HWND bar = CreateSystemWindow(PROGRESS_CLASSW, L"", 0, kChildStyle | PBS_SMOOTH, kNoBox,
                                    ContainerWindow(control), id, "progress bar");
      if (!control.accessible_name.empty()) AnswerForSystemControl(bar, {std::nullopt, Wide(control.accessible_name)});
      bars_.push_back({&control, std::make_unique<Win32ProgressBar>(bar)});
      break;
    }
    case ControlKind::kLabel: {
      PictureBox& surface = ContainerBox(control);
      auto label = std::make_unique<Win32Label>(control, surface.Window(), surface, id);
      surface.AddLabel(*label);
      labels_.push_back({&control, std::move(label)});
      break;
    }
    case ControlKind::kShape:
      break;  // its container draws it where the layout puts it
    case ControlKind::kTimer: {
      auto timer = std::make_unique<Win32Timer>(window_.Get(), static_cast<UINT_PTR>(id),
                                                static_cast<UINT>(control.interval_ms));
      timer->SetEnabled(control.enabled);
      timers_.push_back({&control, std::move(timer)});
      break;
    }
  }
}

void FormWindow::Layout() {
  // The new fonts replace the old ones in every control before the old ones go.
  std::vector<Font> fonts;
  fonts.push_back(CreateDesignFont(design_.default_font, dpi_));
  Reached("default font made");
  for (Named<PictureBox>& picture : pictures_) picture.object->ClearShapes();
  for (const ControlDesign& control : design_.controls) PlaceControl(control, fonts);
  fonts_ = std::move(fonts);
}

void FormWindow::PlaceControl(const ControlDesign& control, std::vector<Font>& fonts) {
  if (control.kind == ControlKind::kTimer) return;
  const RECT box = BoxInContainer(control);
  HWND window = GetDlgItem(ContainerWindow(control), ControlId(design_, control));
  switch (control.kind) {
    case ControlKind::kPictureBox:
      PlacePictureBox(control, box);
      break;
    case ControlKind::kCommandButton:
      MoveChild(window, box);
      SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(control, fonts)), FALSE);
      break;
    case ControlKind::kTextBox:
      MoveChild(window, box);
      SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(control, fonts)), FALSE);
      KeepDesignWrap(window, control.font.value_or(design_.default_font), DesignedBox(control).width, dpi_);
      break;
    case ControlKind::kProgressBar:
      MoveChild(window, box);
      break;
    case ControlKind::kLabel:
      FindNamed(labels_, control.name, control.index, "label")
          .Place(PixelRect{box.left, box.top, box.right - box.left, box.bottom - box.top}, FontOf(control, fonts));
      break;
    case ControlKind::kShape:
      ContainerBox(control).AddShape(box, ToColorRef(control.fore_colour.value_or(ColourSpec{})),
                                     ShapeLineWidth(dpi_));
      break;
    case ControlKind::kTimer:
      break;
  }
}

void FormWindow::PlacePictureBox(const ControlDesign& control, const RECT& box) {
  PictureBox& picture = FindNamed(pictures_, control.name, control.index, "picture box");
  picture.Move(box);
  // The image's corner lies where the design puts the interior, which can fall between
  // pixels; the interior begins where the system draws the border.
  const TwipsPoint outer = InteriorTwips(design_, control.container);
  const int border = control.sunken_border ? kSunkenBorderTwips : 0;
  const PixelRect client = ClientBox(design_, control, dpi_);
  const POINT drawn_border = picture.BorderOffset();
  const double corner_x = TwipsToExactPixels(outer.x + control.twips.left + border, dpi_) - client.left;
  const double corner_y = TwipsToExactPixels(outer.y + control.twips.top + border, dpi_) - client.top;
  picture.ShowPicture(dpi_, corner_x - drawn_border.x, corner_y - drawn_border.y);
  Reached("picture " + ControlText(control.name, control.index) + " ready");
}

void FormWindow::ReadHighContrastWith(std::function<bool()> reading) {
  high_contrast_reading_ = std::move(reading);
  FollowHighContrast();
}

void FormWindow::FollowHighContrast() {
  const bool on = high_contrast_reading_ ? high_contrast_reading_() : SystemHighContrast();
  if (on == high_contrast_) return;
  high_contrast_ = on;
  for (Named<PictureBox>& picture : pictures_) picture.object->SetHighContrast(on);
  RedrawWindow(window_.Get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void FormWindow::Reached(std::string_view phase) const {
  if (!laid_out_ && milestone_) milestone_(phase);
}

void FormWindow::Show() {
  ShowWindow(window_.Get(), SW_SHOW);
  UpdateWindow(window_.Get());
  if (HWND first = tab_order_.First()) SetFocus(first);
}

PendingDisplay& FormWindow::ProgressBarDisplay(std::string_view name, int index) {
  return FindNamed(bars_, name, index, "progress bar");
}

Label& FormWindow::LabelNamed(std::string_view name, int index) { return FindNamed(labels_, name, index, "label"); }
CommandButton& FormWindow::ButtonNamed(std::string_view name, int index) {
  return FindNamed(buttons_, name, index, "button");
}
ProgressBar& FormWindow::ProgressBarNamed(std::string_view name, int index) {
  return FindNamed(bars_, name, index, "progress bar");
}
Timer& FormWindow::TimerNamed(std::string_view name, int index) { return FindNamed(timers_, name, index, "timer"); }
const Picture& FormWindow::PictureNamed(std::string_view name, int index) {
  return FindNamed(pictures_, name, index, "picture box");
}
WindowHandle FormWindow::hWnd() const { return reinterpret_cast<WindowHandle>(window_.Get()); }

void FormWindow::OnClick(std::string_view button, std::function<void()> handler) {
  const ControlDesign* control = FindControl(design_, button);
  const Win32Button& found = FindNamed(buttons_, button, kNoIndex, "button");
  click_handlers_[ControlId(design_, *control)] = ClickHandler{&found, std::string(button), std::move(handler)};
}

void FormWindow::OnTimer(std::string_view timer, std::function<void()> handler) {
  const Win32Timer& found = FindNamed(timers_, timer, kNoIndex, "timer");
  timer_handlers_[found.Id()] = TickHandler{&found, std::string(timer), std::move(handler)};
}

void FormWindow::OnCloseRequest(std::function<void()> handler) { close_handler_ = std::move(handler); }

void FormWindow::SetCloseEnabled(bool enabled) {
  close_enabled_ = enabled;
  EnableMenuItem(GetSystemMenu(window_.Get(), FALSE), SC_CLOSE, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void FormWindow::RequestClose() {
  if (!close_enabled_) return;
  if (close_handler_) {
    close_handler_();
  } else {
    ShowWindow(window_.Get(), SW_HIDE);
    PostQuitMessage(0);
  }
}

LRESULT FormWindow::HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      // A click the button could not have had (the program has it disabled) was posted by
      // someone else: the system never sends one.
      if (HIWORD(wparam) == BN_CLICKED) {
        const auto click = click_handlers_.find(LOWORD(wparam));
        if (click == click_handlers_.end()) return 0;
        if (click->second.button->Enabled()) click->second.handler();
        else Forged("a click for the disabled button " + click->second.name);
      }
      return 0;
    case WM_TIMER: {
      const auto tick = timer_handlers_.find(wparam);
      if (tick == timer_handlers_.end()) return 0;
      if (tick->second.timer->Enabled()) tick->second.handler();
      else Forged("a tick for the timer " + tick->second.name + ", which is off");
      return 0;
    }
    case WM_QUERYENDSESSION:
    case WM_ENDSESSION: {
      LRESULT result = 0;
      session_.Handle(message, wparam, &result);
      return result;
    }
    case WM_SYSCOMMAND:
      // Alt+F4 and the system menu's Close come this way.
      if ((wparam & 0xFFF0) == SC_CLOSE) {
        RequestClose();
        return 0;
      }
      // The run copies inside this thread's messages: the system menu's and a drag's modal
      // loops would hold it until they end, and nothing in them is for a run that cannot be
      // cancelled.
      if (!close_enabled_ && IsModalLoopCommand(wparam)) return 0;
      return DefWindowProcW(window, message, wparam, lparam);
    case WM_CONTEXTMENU:
      if (!close_enabled_) return 0;  // the title bar's menu, opened with the right button
      return DefWindowProcW(window, message, wparam, lparam);
    case WM_CLOSE:
      RequestClose();
      return 0;
    case WM_ACTIVATE:
      // No dialog manager: keep the focus where the user left it across activations.
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window, focus)) last_focus_ = focus;
      } else {
        HWND target = last_focus_ != nullptr && IsWindowEnabled(last_focus_) ? last_focus_ : tab_order_.First();
        if (target != nullptr) SetFocus(target);
      }
      return 0;
    case WM_DPICHANGED:
      // Only where the system tells monitors apart: the window moved to one of another density.
      if (const auto change = DensityChange(wparam, lparam)) ChangeDpi(change->dpi, change->suggested);
      return 0;
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
      // High contrast turned on or off while the window shows; the system's colours may
      // have changed with it, and the system's controls follow by themselves.
      FollowHighContrast();
      if (high_contrast_) RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      return DefWindowProcW(window, message, wparam, lparam);
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(window, &client);
      FillRect(reinterpret_cast<HDC>(wparam), &client, background_.Get());
      return 1;
    }
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace hdgr::win32
