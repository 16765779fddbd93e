#pragma once
// A label: a child window with no background of its own, sized to its caption in its
// font. It paints what lies beneath it (its container's surface, which draws every
// label's letters), so captions stay readable by other programs with WM_GETTEXT.

#include <windows.h>

#include <optional>
#include <string>

#include "platform/controls.h"
#include "platform/form_design.h"
#include "platform/win32/window/window_class.h"

namespace hdgr::win32 {

// What lies beneath the labels of a container, in the container's client coordinates.
class LabelSurface {
 public:
  virtual ~LabelSurface() = default;
  virtual void PaintSurface(HDC dc, const RECT& area) = 0;
  // Repaints `area` and every child window over it.
  virtual void Repaint(const RECT& area) = 0;
};

class Win32Label : public Label, private MessageHandler {
 public:
  // `design` outlives the label. It shows nothing until placed.
  Win32Label(const ControlDesign& design, HWND container, LabelSurface& surface, int id);
  Win32Label(const Win32Label&) = delete;
  Win32Label& operator=(const Win32Label&) = delete;

  std::string Caption() const override;
  void SetCaption(std::string_view caption) override;
  void SetVisible(bool visible) override;
  void SetForeColor(Colour colour) override;

  // Lays the label out anew: `designed` is its designed box in the container's coordinates,
  // `font` (which outlives the label's use of it) its font at the window's density.
  void Place(const PixelRect& designed, HFONT font);
  // Draws the caption's letters at the label's box, in the container's coordinates, in
  // its own colour or in `colour` (high contrast).
  void DrawLetters(HDC dc, std::optional<COLORREF> colour = std::nullopt) const;
  bool Visible() const { return visible_; }
  // The label's box with room for italic overhang, in the container's coordinates.
  RECT InkBox() const;

 private:
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
  void FitToCaption();
  void Paint();

  const ControlDesign& design_;
  HFONT font_ = nullptr;
  PixelRect designed_{};
  LabelSurface& surface_;
  HWND window_ = nullptr;
  std::wstring caption_;
  COLORREF colour_;
  RECT box_{};
  bool visible_ = true;
};

}  // namespace hdgr::win32
