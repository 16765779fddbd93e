#include "platform/win32/window/picture_box.h"

#include "platform/win32/base/wide_text.h"
#include "platform/win32/window/accessible_object.h"
#include "platform/win32/window/form_colours.h"
#include "platform/win32/window/off_screen_paint.h"

namespace hdgr::win32 {

namespace {

constexpr wchar_t kPictureBoxClass[] = L"HdgrPictureBox";

bool Overlap(const RECT& a, const RECT& b) {
  RECT both;
  return IntersectRect(&both, &a, &b) != FALSE;
}

}  // namespace

PictureBox::PictureBox(const ControlDesign& design, HWND parent, int id, std::optional<BitmapPicture> picture)
    : design_(design),
      background_(ToColorRef(design.back_colour.value_or(ColourSpec{}))),
      picture_(std::move(picture)) {
  RegisterHandlerClass(kPictureBoxClass, ClassLook{});
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | (design.tab_stop ? WS_TABSTOP : 0);
  window_ = CreateHandledWindow(*this, kPictureBoxClass, design.sunken_border ? WS_EX_CLIENTEDGE : 0, style,
                                RECT{0, 0, 0, 0}, parent, id, "picture box");
}

std::span<const std::uint8_t> PictureBox::Bytes() const {
  return picture_ ? picture_->Bytes() : std::span<const std::uint8_t>{};
}

void PictureBox::Move(const RECT& box) {
  SetWindowPos(window_, nullptr, box.left, box.top, box.right - box.left, box.bottom - box.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void PictureBox::ShowPicture(int dpi, double corner_x, double corner_y) {
  if (!picture_) return;
  RECT interior;
  GetClientRect(window_, &interior);
  view_.reset();
  view_.emplace(*picture_, dpi, corner_x, corner_y, SIZE{interior.right, interior.bottom});
}

POINT PictureBox::BorderOffset() const {
  RECT outer;
  GetWindowRect(window_, &outer);
  POINT interior{0, 0};
  ClientToScreen(window_, &interior);
  return POINT{interior.x - outer.left, interior.y - outer.top};
}

void PictureBox::AddShape(const RECT& box, COLORREF colour, int line_width) {
  // Lines wider than a pixel stay inside the box, as a one-pixel line does.
  shapes_.push_back(Shape{box, Pen(CreatePen(PS_INSIDEFRAME, line_width, colour))});
}

void PictureBox::AddLabel(const Win32Label& label) { labels_.push_back(&label); }

void PictureBox::SetChildColours(HWND child, const ColourSpec& text, const ColourSpec& background) {
  ChildColours colours{ToColorRef(text), ToColorRef(background), nullptr, Brush()};
  colours.brush = BrushFor(background, colours.owned);
  child_colours_.insert_or_assign(child, std::move(colours));
}

void PictureBox::PaintSurface(HDC dc, const RECT& area) {
  const std::optional<COLORREF> text = high_contrast_ ? std::optional(GetSysColor(COLOR_WINDOWTEXT)) : std::nullopt;
  Brush background(CreateSolidBrush(high_contrast_ ? GetSysColor(COLOR_WINDOW) : background_));
  FillRect(dc, &area, background.Get());
  if (view_ && !high_contrast_) view_->Draw(dc, area);
  {
    Selection hollow(dc, GetStockObject(NULL_BRUSH));
    const Pen system_pen(high_contrast_ ? CreatePen(PS_SOLID, 1, *text) : nullptr);
    for (const Shape& shape : shapes_) {
      if (!Overlap(shape.box, area)) continue;
      Selection pen(dc, high_contrast_ ? system_pen.Get() : shape.pen.Get());
      Rectangle(dc, shape.box.left, shape.box.top, shape.box.right, shape.box.bottom);
    }
  }
  for (const Win32Label* label : labels_)
    if (label->Visible() && Overlap(label->InkBox(), area)) label->DrawLetters(dc, text);
}

void PictureBox::Repaint(const RECT& area) {
  RedrawWindow(window_, &area, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void PictureBox::Paint() {
  PaintDc paint(window_);
  const RECT& area = paint.Area();
  PaintOffScreen(paint.Get(), area, POINT{area.left, area.top}, [&](HDC dc) { PaintSurface(dc, area); });
}

LRESULT PictureBox::ColourChild(HDC dc, HWND child) {
  const auto found = child_colours_.find(child);
  if (found == child_colours_.end()) return 0;
  SetTextColor(dc, found->second.text);
  SetBkColor(dc, found->second.background);
  return reinterpret_cast<LRESULT>(found->second.brush);
}

LRESULT PictureBox::HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_CTLCOLORSTATIC:  // a read-only text box asks here
    case WM_CTLCOLOREDIT:
      if (const LRESULT brush = ColourChild(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam)))
        return brush;
      return DefWindowProcW(window, message, wparam, lparam);
    case WM_COMMAND:
      // Buttons notify their parent; the top-level window runs the events.
      return SendMessageW(GetAncestor(window, GA_ROOT), message, wparam, lparam);
    case WM_GETOBJECT: {
      const AccessibleFacts facts{std::nullopt, Wide(design_.accessible_name), false, design_.read_with_another};
      if (const LRESULT answer = AnswerAccessibleObject(window, wparam, lparam, facts)) return answer;
      return DefWindowProcW(window, message, wparam, lparam);
    }
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace hdgr::win32
