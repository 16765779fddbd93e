#pragma once
// A picture box: draws its picture over its background colour, with the image's top-left
// corner where the layout puts it and at the window's density, draws the shapes and
// labels placed on it, and holds child controls, whose notifications it passes on to the
// top-level window.

#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/form_design.h"
#include "platform/win32/window/bitmap_picture.h"
#include "platform/win32/window/gdi_handles.h"
#include "platform/win32/window/label_window.h"
#include "platform/win32/window/picture_view.h"
#include "platform/win32/window/window_class.h"

namespace hdgr::win32 {

class PictureBox : public Picture, public LabelSurface, private MessageHandler {
 public:
  // `picture` may be empty. The box shows nothing until placed.
  PictureBox(const ControlDesign& design, HWND parent, int id, std::optional<BitmapPicture> picture);
  PictureBox(const PictureBox&) = delete;
  PictureBox& operator=(const PictureBox&) = delete;

  HWND Window() const { return window_; }
  // The stored picture's bytes; empty when the box holds none.
  std::span<const std::uint8_t> Bytes() const override;

  // `box` is the outer box in the parent's client coordinates.
  void Move(const RECT& box);
  // Shows the picture at `dpi` with its top-left corner at `corner` in the interior, in
  // pixels that may be fractional.
  void ShowPicture(int dpi, double corner_x, double corner_y);
  // Where the interior begins within the outer box: the border's width and height.
  POINT BorderOffset() const;

  // A rectangle outline `line_width` pixels wide in `colour`, inside `box` (interior coordinates).
  void AddShape(const RECT& box, COLORREF colour, int line_width);
  void ClearShapes() { shapes_.clear(); }
  // A label drawn on this box's surface; it must outlive the box's painting.
  void AddLabel(const Win32Label& label);
  // Text and background colours for a child text box.
  void SetChildColours(HWND child, const ColourSpec& text, const ColourSpec& background);
  // In high contrast the surface is the system's window colour with everything on it in
  // the system's text colour, and no picture: a picture behind text is what high contrast
  // is there to take away. The caller repaints.
  void SetHighContrast(bool on) { high_contrast_ = on; }

  void PaintSurface(HDC dc, const RECT& area) override;
  void Repaint(const RECT& area) override;

 private:
  struct Shape {
    RECT box;
    Pen pen;
  };
  struct ChildColours {
    COLORREF text;
    COLORREF background;
    HBRUSH brush;
    Brush owned;
  };

  LRESULT HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
  void Paint();
  LRESULT ColourChild(HDC dc, HWND child);

  HWND window_ = nullptr;
  const ControlDesign& design_;
  COLORREF background_;
  std::optional<BitmapPicture> picture_;
  std::optional<PictureView> view_;
  std::vector<Shape> shapes_;
  std::vector<const Win32Label*> labels_;
  std::map<HWND, ChildColours> child_colours_;
  bool high_contrast_ = false;
};

}  // namespace hdgr::win32
