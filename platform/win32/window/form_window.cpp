#include "platform/win32/window/form_window.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "platform/run_time_error.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/window/form_colours.h"

namespace hdgr::win32 {

namespace {

constexpr wchar_t kFormClass[] = L"HdgrForm";
constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_DLGMODALFRAME;
constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;

RECT ToRect(const PixelRect& box) { return RECT{box.left, box.top, box.Right(), box.Bottom()}; }

Icon LoadProgramIcon(int size) {
  return Icon(static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kFormIconResource), IMAGE_ICON, size, size, 0)));
}

std::string ControlText(std::string_view name, int index) {
  return index == kNoIndex ? std::string(name) : std::string(name) + "(" + std::to_string(index) + ")";
}

}  // namespace

FormWindow::FormWindow(const FormDesign& design)
    : design_(design),
      icon_(LoadProgramIcon(GetSystemMetrics(SM_CXICON))),
      small_icon_(LoadProgramIcon(GetSystemMetrics(SM_CXSMICON))),
      background_(CreateSolidBrush(ToColorRef(design.back_colour))) {
  fonts_.push_back(CreateDesignFont(design.default_font));
  default_font_ = fonts_.back().Get();
  CreateTopLevel();
  for (const ControlDesign& control : design.controls) CreateControl(control);

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
  owner_ = OwnedWindow(CreateSystemWindow(L"STATIC", L"", 0, WS_POPUP, RECT{0, 0, 0, 0}, nullptr, 0, "owner window"));

  const PixelRect client = ToPixels({0, 0, design_.client_width_twips, design_.client_height_twips});
  RECT outer = ToRect(client);
  AdjustWindowRectEx(&outer, kFormStyle, FALSE, kFormExStyle);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  window_ = OwnedWindow(CreateHandledWindow(*this, kFormClass, kFormExStyle, kFormStyle,
                                            RECT{left, top, left + width, top + height}, owner_.Get(), 0, "window"));
  SetWindowTextW(window_.Get(), Wide(design_.caption).c_str());

  // Whatever frame the window manager gives, the client area is the designed one.
  RECT actual;
  GetClientRect(window_.Get(), &actual);
  const int grow_x = client.width - (actual.right - actual.left);
  const int grow_y = client.height - (actual.bottom - actual.top);
  if (grow_x != 0 || grow_y != 0)
    SetWindowPos(window_.Get(), nullptr, 0, 0, width + grow_x, height + grow_y,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND FormWindow::ContainerWindow(const ControlDesign& control) {
  return control.container.empty() ? window_.Get() : ContainerBox(control).Window();
}

PictureBox& FormWindow::ContainerBox(const ControlDesign& control) {
  return Find(pictures_, control.container, kNoIndex, "picture box");
}

HFONT FormWindow::FontOf(const ControlDesign& control) {
  if (!control.font) return default_font_;
  fonts_.push_back(CreateDesignFont(*control.font));
  return fonts_.back().Get();
}

void FormWindow::CreateControl(const ControlDesign& control) {
  const int id = ControlId(design_, control);
  const RECT box = ToRect(DesignedBox(control));
  const std::wstring caption = Wide(control.caption);
  switch (control.kind) {
    case ControlKind::kPictureBox: {
      std::optional<BitmapPicture> picture;
      if (!control.picture.empty()) picture.emplace(ProgramResource(Wide(control.picture).c_str()));
      pictures_.push_back({&control, std::make_unique<PictureBox>(control, box, ContainerWindow(control), id,
                                                                  std::move(picture))});
      break;
    }
    case ControlKind::kCommandButton: {
      HWND button = CreateSystemWindow(L"BUTTON", caption.c_str(), 0, kChildStyle | WS_TABSTOP | BS_PUSHBUTTON,
                                       box, ContainerWindow(control), id, "button");
      SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(control)), FALSE);
      buttons_.push_back({&control, std::make_unique<Win32Button>(button)});
      break;
    }
    case ControlKind::kTextBox: {
      // Read-only: nothing reads the text, and a terms text is not for editing.
      HWND text = CreateSystemWindow(
          L"EDIT", caption.c_str(), control.sunken_border ? WS_EX_CLIENTEDGE : 0,
          kChildStyle | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, box,
          ContainerWindow(control), id, "text box");
      SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(control)), FALSE);
      if (control.fore_colour && control.back_colour)
        ContainerBox(control).SetChildColours(text, *control.fore_colour, *control.back_colour);
      break;
    }
    case ControlKind::kProgressBar: {
      HWND bar = CreateSystemWindow(PROGRESS_CLASSW, L"", 0, kChildStyle | PBS_SMOOTH, box, ContainerWindow(control),
                                    id, "progress bar");
      bars_.push_back({&control, std::make_unique<Win32ProgressBar>(bar)});
      break;
    }
    case ControlKind::kLabel: {
      PictureBox& surface = ContainerBox(control);
      auto label = std::make_unique<Win32Label>(control, FontOf(control), surface.Window(), surface, id);
      surface.AddLabel(*label);
      labels_.push_back({&control, std::move(label)});
      break;
    }
    case ControlKind::kShape:
      ContainerBox(control).AddShape(box, ToColorRef(control.fore_colour.value_or(ColourSpec{})));
      break;
    case ControlKind::kTimer: {
      auto timer = std::make_unique<Win32Timer>(window_.Get(), static_cast<UINT_PTR>(id),
                                                static_cast<UINT>(control.interval_ms));
      timer->SetEnabled(control.enabled);
      timers_.push_back({&control, std::move(timer)});
      break;
    }
  }
}

template <typename T>
T& FormWindow::Find(std::vector<Named<T>>& controls, std::string_view name, int index, const char* kind) {
  for (Named<T>& control : controls)
    if (control.design->name == name && control.design->index == index) return *control.object;
  throw RunTimeError(ErrorNumber::kInvalidProcedureCall, std::string("no ") + kind + " " + ControlText(name, index));
}

void FormWindow::Show() {
  ShowWindow(window_.Get(), SW_SHOW);
  UpdateWindow(window_.Get());
  if (HWND first = tab_order_.First()) SetFocus(first);
}

PendingDisplay& FormWindow::ProgressBarDisplay(std::string_view name, int index) {
  return Find(bars_, name, index, "progress bar");
}

Label& FormWindow::LabelNamed(std::string_view name, int index) { return Find(labels_, name, index, "label"); }
CommandButton& FormWindow::ButtonNamed(std::string_view name, int index) {
  return Find(buttons_, name, index, "button");
}
ProgressBar& FormWindow::ProgressBarNamed(std::string_view name, int index) {
  return Find(bars_, name, index, "progress bar");
}
Timer& FormWindow::TimerNamed(std::string_view name, int index) { return Find(timers_, name, index, "timer"); }
const Picture& FormWindow::PictureNamed(std::string_view name, int index) {
  return Find(pictures_, name, index, "picture box");
}
WindowHandle FormWindow::hWnd() const { return reinterpret_cast<WindowHandle>(window_.Get()); }

void FormWindow::OnClick(std::string_view button, std::function<void()> handler) {
  const ControlDesign* control = FindControl(design_, button);
  Find(buttons_, button, kNoIndex, "button");
  click_handlers_[ControlId(design_, *control)] = std::move(handler);
}

void FormWindow::OnTimer(std::string_view timer, std::function<void()> handler) {
  timer_handlers_[Find(timers_, timer, kNoIndex, "timer").Id()] = std::move(handler);
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
      if (HIWORD(wparam) == BN_CLICKED) {
        const auto handler = click_handlers_.find(LOWORD(wparam));
        if (handler != click_handlers_.end()) handler->second();
      }
      return 0;
    case WM_TIMER: {
      const auto handler = timer_handlers_.find(wparam);
      if (handler != timer_handlers_.end()) handler->second();
      return 0;
    }
    case WM_SYSCOMMAND:
      // Alt+F4 and the system menu's Close come this way.
      if ((wparam & 0xFFF0) == SC_CLOSE) {
        RequestClose();
        return 0;
      }
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
