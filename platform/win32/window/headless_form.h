#pragma once
// A window built from a FormDesign for a run that never shows it: every control the
// design names exists with its designed caption and state, kept in memory, and the
// timers tick as events of the thread. No window at all, not even a message-only one
// (the first window a process makes starts its display: under Wine the display driver,
// 10-35 ms), no fonts, pictures drawn or scaled, themes or common controls.
//
// The system asks only top-level windows before the session ends, so a run without one
// cannot keep the session open. A hidden top-level window would let it, but costs about
// 10 ms of a quiet run's start under Wine (measured: 20.2 ms against 10.5 to make the
// form, medians of 20 interleaved runs), for an event whose worst case is already safe:
// cut short, a run leaves the old program whole and its new file for the next run to
// remove.

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/form.h"
#include "platform/form_design.h"
#include "platform/memory_controls.h"
#include "platform/win32/window/named_controls.h"
#include "platform/win32/window/thread_timer.h"

namespace hdgr::win32 {

class HeadlessForm : public Form {
 public:
  // `design` outlives the form. Pictures come from the program's RCDATA resources.
  explicit HeadlessForm(const FormDesign& design);
  HeadlessForm(const HeadlessForm&) = delete;
  HeadlessForm& operator=(const HeadlessForm&) = delete;
  ~HeadlessForm() override;

  Label& LabelNamed(std::string_view name, int index = kNoIndex) override;
  CommandButton& ButtonNamed(std::string_view name, int index = kNoIndex) override;
  ProgressBar& ProgressBarNamed(std::string_view name, int index = kNoIndex) override;
  Timer& TimerNamed(std::string_view name, int index = kNoIndex) override;
  const Picture& PictureNamed(std::string_view name, int index = kNoIndex) override;
  // No window: 0, which the window calls meet as no window and change nothing.
  WindowHandle hWnd() const override { return 0; }
  void OnClick(std::string_view button, std::function<void()> handler) override;
  void OnTimer(std::string_view timer, std::function<void()> handler) override;
  void OnForgedMessage(std::function<void(std::string_view what)> handler) override {
    forged_ = std::move(handler);
  }
  // Nobody can ask to close a window that is not shown.
  void OnCloseRequest(std::function<void()>) override {}
  void SetCloseEnabled(bool) override {}
  void KeepSessionOpen(std::string_view) override {}
  void LetSessionEnd() override {}
  void OnSessionEnd(std::function<void(SessionEnd)>) override {}

 private:
  void AddControl(const ControlDesign& control);
  // A tick of `timer`, as the thread's message loop dispatches it.
  void Ticked(std::string_view timer);

  std::vector<Named<Picture>> pictures_;
  std::vector<Named<MemoryLabel>> labels_;
  std::vector<Named<MemoryButton>> buttons_;
  std::vector<Named<MemoryProgressBar>> bars_;
  std::vector<Named<ThreadTimer>> timers_;
  std::map<std::string, std::function<void()>, std::less<>> timer_handlers_;
  std::function<void(std::string_view what)> forged_;
};

}  // namespace hdgr::win32
