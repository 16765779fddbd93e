#pragma once
// A top-level window created from a FormDesign with all its controls, hidden until
// Show. Fixed dialog frame with a close box, no minimise or maximise box, the given
// client size, kept out of the taskbar by a hidden owner window. The twips design is laid
// out at the density of the window's monitor, and again when the window moves to a
// monitor of another density.

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/form.h"
#include "platform/form_design.h"
#include "platform/win32/display/pending_display.h"
#include "platform/win32/display/win32_progress_bar.h"
#include "platform/win32/window/command_button.h"
#include "platform/win32/window/gdi_handles.h"
#include "platform/win32/window/label_window.h"
#include "platform/win32/window/named_controls.h"
#include "platform/win32/window/picture_box.h"
#include "platform/win32/window/session_end.h"
#include "platform/win32/window/tab_order.h"
#include "platform/win32/window/window_class.h"
#include "platform/win32/window/window_timer.h"

namespace hdgr::win32 {

// The program's icon group resource, used as the window's icon when present.
inline constexpr int kFormIconResource = 1;

class FormWindow : public Form, private MessageHandler {
 public:
  // Told each phase of the window's making as it is reached, for the start-up's timeline.
  using Milestone = std::function<void(std::string_view phase)>;

  // `design` outlives the window. Pictures come from the program's RCDATA resources.
  explicit FormWindow(const FormDesign& design, Milestone milestone = {});
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;
  ~FormWindow() override;

  // Shows the window where it stands and gives the focus to the first control in tab order.
  void Show();
  // Where the window learns whether high contrast is on: the system's setting, unless told
  // otherwise (Wine cannot turn it on, so its tests tell). Read at once, and again at each
  // change of the system's settings or colours.
  void ReadHighContrastWith(std::function<bool()> reading);
  // The progress bar's window follows its values at the pace the services pump at.
  PendingDisplay& ProgressBarDisplay(std::string_view name, int index = kNoIndex);

  Label& LabelNamed(std::string_view name, int index = kNoIndex) override;
  CommandButton& ButtonNamed(std::string_view name, int index = kNoIndex) override;
  ProgressBar& ProgressBarNamed(std::string_view name, int index = kNoIndex) override;
  Timer& TimerNamed(std::string_view name, int index = kNoIndex) override;
  const Picture& PictureNamed(std::string_view name, int index = kNoIndex) override;
  WindowHandle hWnd() const override;
  void OnClick(std::string_view button, std::function<void()> handler) override;
  void OnTimer(std::string_view timer, std::function<void()> handler) override;
  void OnForgedMessage(std::function<void(std::string_view what)> handler) override {
    forged_ = std::move(handler);
  }
  void OnCloseRequest(std::function<void()> handler) override;
  void SetCloseEnabled(bool enabled) override;
  void KeepSessionOpen(std::string_view reason) override { session_.KeepOpen(window_.Get(), reason); }
  void LetSessionEnd() override { session_.LetEnd(window_.Get()); }
  void OnSessionEnd(std::function<void(SessionEnd)> handler) override { session_.OnSessionEnd(std::move(handler)); }

 private:
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
  void CreateTopLevel();
  void CreateControl(const ControlDesign& control);
  // Every control, font, shape and picture at dpi_.
  void Layout();
  void PlaceControl(const ControlDesign& control, std::vector<Font>& fonts);
  void PlacePictureBox(const ControlDesign& control, const RECT& box);
  // The frame around the designed client area at dpi_, its top-left corner at `at`; its size.
  SIZE FitFrame(POINT at);
  void ChangeDpi(int dpi, const RECT& suggested);
  HWND ContainerWindow(const ControlDesign& control);
  PictureBox& ContainerBox(const ControlDesign& control);
  // Where the interior of `container` begins in the client area, as the window has it.
  PixelPoint InteriorOf(std::string_view container);
  RECT BoxInContainer(const ControlDesign& control);
  HFONT FontOf(const ControlDesign& control, std::vector<Font>& fonts);
  void RequestClose();
  // Only while the constructor makes the window: a later layout is no part of the start.
  void Reached(std::string_view phase) const;
  // Reads the system's high-contrast setting and, when it changed, draws the window anew.
  void FollowHighContrast();

  const FormDesign& design_;
  Milestone milestone_;
  int dpi_ = kDesignDpi;
  bool laid_out_ = false;
  Icon icon_;
  Icon small_icon_;
  Brush background_;
  OwnedWindow owner_;
  OwnedWindow window_;
  std::vector<Font> fonts_;  // the default font first
  std::vector<Named<PictureBox>> pictures_;
  std::vector<Named<Win32Label>> labels_;
  std::vector<Named<Win32Button>> buttons_;
  std::vector<Named<Win32ProgressBar>> bars_;
  std::vector<Named<Win32Timer>> timers_;
  TabOrder tab_order_;
  HWND last_focus_ = nullptr;
  struct ClickHandler {
    const Win32Button* button;
    std::string name;
    std::function<void()> handler;
  };
  struct TickHandler {
    const Win32Timer* timer;
    std::string name;
    std::function<void()> handler;
  };
  void Forged(const std::string& what) const {
    if (forged_) forged_(what);
  }
  std::map<int, ClickHandler> click_handlers_;
  std::map<UINT_PTR, TickHandler> timer_handlers_;
  SessionEndAnswer session_;
  std::function<void(std::string_view what)> forged_;
  std::function<void()> close_handler_;
  bool close_enabled_ = true;
  bool high_contrast_ = false;
  std::function<bool()> high_contrast_reading_;
};

}  // namespace hdgr::win32
