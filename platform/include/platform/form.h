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

  // A button's click.
  virtual void OnClick(std::string_view button, std::function<void()> handler) = 0;
  // A timer's tick, every interval while it is on.
  virtual void OnTimer(std::string_view timer, std::function<void()> handler) = 0;
  // The user asks to close the window (close box, Alt+F4, system menu). The window
  // stays open unless the handler ends the program.
  virtual void OnCloseRequest(std::function<void()> handler) = 0;
  // Greys the close box and ignores close requests while off.
  virtual void SetCloseEnabled(bool enabled) = 0;
};

}  // namespace hdgr
