#pragma once
// A window created from a FormDesign, as portable code reaches it: its controls by
// design name and item index, and the events it raises.

#include <functional>
#include <string_view>

#include "platform/controls.h"
#include "platform/form_design.h"

namespace hdgr {

class Form {
 public:
  virtual ~Form() = default;

  // Each lookup fails with a RunTimeError when the design has no such control of that kind.
  virtual Label& LabelNamed(std::string_view name, int index = kNoIndex) = 0;
  virtual CommandButton& ButtonNamed(std::string_view name, int index = kNoIndex) = 0;
  virtual ProgressBar& ProgressBarNamed(std::string_view name, int index = kNoIndex) = 0;
  virtual Timer& TimerNamed(std::string_view name, int index = kNoIndex) = 0;
  virtual const Picture& PictureNamed(std::string_view name, int index = kNoIndex) = 0;
  virtual WindowHandle hWnd() const = 0;

  // A button's click, only while the program has the button enabled: a click another
  // program posts for a disabled one is dropped, and told to OnForgedMessage.
  virtual void OnClick(std::string_view button, std::function<void()> handler) = 0;
  // A timer's tick, every interval while the program has it on; none while it is off,
  // whoever posts one (told to OnForgedMessage).
  virtual void OnTimer(std::string_view timer, std::function<void()> handler) = 0;
  // A message the system itself never sends was dropped: `what` says which, with the
  // design's name of the control it was for.
  virtual void OnForgedMessage(std::function<void(std::string_view what)> handler) = 0;
  // The user asks to close the window (close box, Alt+F4, system menu). The window
  // stays open unless the handler ends the program.
  virtual void OnCloseRequest(std::function<void()> handler) = 0;
  // Greys the close box and ignores close requests while off.
  virtual void SetCloseEnabled(bool enabled) = 0;
  // While kept open, the system's query to end the session is answered no, with `reason`
  // for it to show; the handler hears of that query, and of the session's end or its
  // going on.
  virtual void KeepSessionOpen(std::string_view reason) = 0;
  virtual void LetSessionEnd() = 0;
  virtual void OnSessionEnd(std::function<void(SessionEnd)> handler) = 0;
};

}  // namespace hdgr
