#pragma once
// The setup window as the logic sees it: its named controls and their properties.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/application_services.h"
#include "platform/user32.h"

namespace hdgr {

struct Colour {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
  friend bool operator==(const Colour&, const Colour&) = default;
};

inline constexpr Colour kWhite{255, 255, 255};

class Label {
 public:
  virtual ~Label() = default;
  virtual std::string Caption() const = 0;
  // The label takes the new text's size at once.
  virtual void SetCaption(std::string_view caption) = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual void SetForeColor(Colour colour) = 0;
};

class CommandButton {
 public:
  virtual ~CommandButton() = default;
  virtual std::string Caption() const = 0;
  virtual void SetCaption(std::string_view caption) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
};

// Max and Value are single precision, as the logic sets them.
class ProgressBar {
 public:
  virtual ~ProgressBar() = default;
  virtual void SetMax(float max) = 0;
  // Set at every progress point, up to 181,043 times a run: a bar may show it at the
  // display's pace rather than at once.
  virtual void SetValue(float value) = 0;
};

class Timer {
 public:
  virtual ~Timer() = default;
  // On: the tick event comes every interval.
  virtual void SetEnabled(bool enabled) = 0;
};

// What became of the system's wish to end the session (log off, shut down).
enum class SessionEnd {
  kRefused,  // asked while the session was kept open: the system was told no
  kEnding,   // it ends: the process goes with it
  kGoingOn,  // it was called off
};

// The setup window's controls that the handlers reach, by their roles; the window's design
// table keeps the designer's names (Label5, Command1, ...), see docs/architecture.md.
class SetupForm {
 public:
  virtual ~SetupForm() = default;
  virtual Label& ProgressCaption() = 0;
  virtual Label& VersionDigit(int index) = 0;  // 0 to 2: the package version digits
  virtual Label& StatusLine() = 0;
  virtual CommandButton& AcceptButton() = 0;
  virtual CommandButton& CancelButton() = 0;
  virtual ProgressBar& Progress() = 0;
  virtual Timer& ExitTimer() = 0;
  virtual const Picture& CarrierPicture() = 0;
  virtual WindowHandle hWnd() const = 0;
  // From now until LetSessionEnd the session's end is refused, with `reason` for the system
  // to show: while a run changes files, a log-off would cut it short.
  virtual void KeepSessionOpen(std::string_view reason) = 0;
  virtual void LetSessionEnd() = 0;
};

// What the logic is given: the application services, the window-system calls and the window.
struct Platform {
  ApplicationServices& app;
  User32& user32;
  SetupForm& form;
};

}  // namespace hdgr
