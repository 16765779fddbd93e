#include "platform/win32/window/headless_form.h"

#include <string>

#include "platform/run_time_error.h"
#include "platform/win32/base/wide_text.h"
#include "platform/win32/window/bitmap_picture.h"

namespace hdgr::win32 {

namespace {

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

HeadlessForm::HeadlessForm(const FormDesign& design) {
  for (const ControlDesign& control : design.controls) AddControl(control);
}

HeadlessForm::~HeadlessForm() = default;

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
      auto timer = std::make_unique<ThreadTimer>(
          static_cast<UINT>(control.interval_ms),
          [this, name = ControlText(control.name, control.index)] { Ticked(name); });
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

// Nobody clicks a button that is not on screen; the name is checked as the window checks it.
void HeadlessForm::OnClick(std::string_view button, std::function<void()>) {
  FindNamed(buttons_, button, kNoIndex, "button");
}

void HeadlessForm::OnTimer(std::string_view timer, std::function<void()> handler) {
  FindNamed(timers_, timer, kNoIndex, "timer");
  timer_handlers_[std::string(timer)] = std::move(handler);
}

void HeadlessForm::Ticked(std::string_view timer) {
  const auto handler = timer_handlers_.find(timer);
  if (handler == timer_handlers_.end()) return;
  // Anybody can post the thread a WM_TIMER: only a tick of a timer the program has on counts.
  if (FindNamed(timers_, timer, kNoIndex, "timer").Enabled()) handler->second();
  else if (forged_) forged_("a tick for the timer " + std::string(timer) + ", which is off");
}

}  // namespace hdgr::win32
