#include "platform/win32/window/headless_form.h"

#include <string>

#include "platform/run_time_error.h"
#include "platform/win32/base/wide_text.h"
#include "platform/win32/window/bitmap_picture.h"

namespace hdgr::win32 {

namespace {

constexpr wchar_t kHeadlessClass[] = L"HdgrHeadlessForm";

// A picture box without a picture.
class NoPicture : public Picture {
 public:
  std::span<const std::uint8_t> Bytes() const override { return {}; }
};

std::unique_ptr<Picture> PictureOf(const ControlDesign& control) {
  if (control.picture.empty()) return std::make_unique<NoPicture>();
  return std::make_unique<BitmapPicture>(ProgramResource(Wide(control.picture).c_str()));
}

}  // namespace

HeadlessForm::HeadlessForm(const FormDesign& design) : design_(design) {
  RegisterHandlerClass(kHeadlessClass, ClassLook{});
  window_ = OwnedWindow(
      CreateHandledWindow(*this, kHeadlessClass, 0, 0, RECT{0, 0, 0, 0}, HWND_MESSAGE, 0, "message window"));
  for (const ControlDesign& control : design.controls) AddControl(control);
}

HeadlessForm::~HeadlessForm() {
  // The timers go while their window still exists.
  timers_.clear();
  window_ = OwnedWindow();
}

void HeadlessForm::AddControl(const ControlDesign& control) {
  switch (control.kind) {
    case ControlKind::kPictureBox:
      pictures_.push_back({&control, PictureOf(control)});
      break;
    case ControlKind::kCommandButton:
      buttons_.push_back({&control, std::make_unique<MemoryButton>(control.caption)});
      break;
    case ControlKind::kProgressBar:
      bars_.push_back({&control, std::make_unique<MemoryProgressBar>()});
      break;
    case ControlKind::kLabel:
      labels_.push_back({&control, std::make_unique<MemoryLabel>(control.caption)});
      break;
    case ControlKind::kTimer: {
      auto timer = std::make_unique<Win32Timer>(window_.Get(), static_cast<UINT_PTR>(ControlId(design_, control)),
                                                static_cast<UINT>(control.interval_ms));
      timer->SetEnabled(control.enabled);
      timers_.push_back({&control, std::move(timer)});
      break;
    }
    case ControlKind::kTextBox:
    case ControlKind::kShape:
      break;  // nothing the logic reaches
  }
}

Label& HeadlessForm::LabelNamed(std::string_view name, int index) { return FindNamed(labels_, name, index, "label"); }
CommandButton& HeadlessForm::ButtonNamed(std::string_view name, int index) {
  return FindNamed(buttons_, name, index, "button");
}
ProgressBar& HeadlessForm::ProgressBarNamed(std::string_view name, int index) {
  return FindNamed(bars_, name, index, "progress bar");
}
Timer& HeadlessForm::TimerNamed(std::string_view name, int index) { return FindNamed(timers_, name, index, "timer"); }
const Picture& HeadlessForm::PictureNamed(std::string_view name, int index) {
  return FindNamed(pictures_, name, index, "picture box");
}
WindowHandle HeadlessForm::hWnd() const { return reinterpret_cast<WindowHandle>(window_.Get()); }

// Nobody clicks a button that is not on screen; the name is checked as the window checks it.
void HeadlessForm::OnClick(std::string_view button, std::function<void()>) {
  FindNamed(buttons_, button, kNoIndex, "button");
}

void HeadlessForm::OnTimer(std::string_view timer, std::function<void()> handler) {
  const Win32Timer& found = FindNamed(timers_, timer, kNoIndex, "timer");
  timer_handlers_[found.Id()] = TickHandler{&found, std::string(timer), std::move(handler)};
}

LRESULT HeadlessForm::HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_TIMER) {
    // Anybody can post a WM_TIMER: only a tick of a timer the program has on counts.
    const auto tick = timer_handlers_.find(wparam);
    if (tick == timer_handlers_.end()) return 0;
    if (tick->second.timer->Enabled()) tick->second.handler();
    else if (forged_) forged_("a tick for the timer " + tick->second.name + ", which is off");
    return 0;
  }
  if (message == WM_CLOSE) {
    // Nobody closes a window that is not shown; left to the system, the close would
    // destroy the window and its timers with it, and the timed exit would never come.
    if (forged_) forged_("a close request for the message-only window");
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace hdgr::win32
