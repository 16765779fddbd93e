#include "platform/win32/window/label_window.h"

#include <oleacc.h>

#include "platform/win32/base/unique_handle.h"
#include "platform/win32/base/wide_text.h"
#include "platform/win32/window/accessible_object.h"
#include "platform/win32/window/form_colours.h"
#include "platform/win32/window/gdi_handles.h"
#include "platform/win32/window/off_screen_paint.h"

namespace hdgr::win32 {

namespace {

constexpr wchar_t kLabelClass[] = L"HdgrLabel";
// Without DT_NOPREFIX a doubled ampersand shows as one.
constexpr UINT kTextFormat = DT_SINGLELINE | DT_LEFT | DT_TOP;

RECT Union(const RECT& a, const RECT& b) {
  RECT both;
  UnionRect(&both, &a, &b);
  return both;
}

}  // namespace

Win32Label::Win32Label(const ControlDesign& design, HWND container, LabelSurface& surface, int id)
    : design_(design),
      surface_(surface),
      caption_(Wide(design.caption)),
      colour_(ToColorRef(design.fore_colour.value_or(ColourSpec{}))) {
  RegisterHandlerClass(kLabelClass, ClassLook{});
  window_ = CreateHandledWindow(*this, kLabelClass, 0, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, RECT{0, 0, 0, 0},
                                container, id, "label");
  SetWindowTextW(window_, caption_.c_str());
}

void Win32Label::Place(const PixelRect& designed, HFONT font) {
  designed_ = designed;
  font_ = font;
  FitToCaption();
}

std::string Win32Label::Caption() const { return Utf8(caption_); }

void Win32Label::SetCaption(std::string_view caption) {
  const RECT before = InkBox();
  caption_ = Wide(caption);
  SetWindowTextW(window_, caption_.c_str());
  FitToCaption();
  surface_.Repaint(Union(before, InkBox()));
  NotifyTextChanged(window_, design_.live_region);
}

void Win32Label::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  ShowWindow(window_, visible ? SW_SHOWNA : SW_HIDE);
  surface_.Repaint(InkBox());
}

void Win32Label::SetForeColor(Colour colour) {
  colour_ = RGB(colour.red, colour.green, colour.blue);
  surface_.Repaint(InkBox());
}

void Win32Label::DrawLetters(HDC dc, std::optional<COLORREF> colour) const {
  Selection selected(dc, font_);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour.value_or(colour_));
  RECT box = box_;
  DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &box, kTextFormat | DT_NOCLIP);
}

RECT Win32Label::InkBox() const {
  // Italic letters lean past the measured width; a few pixels cover the slant.
  const int overhang = design_.font && design_.font->italic ? box_.bottom - box_.top : 0;
  return RECT{box_.left, box_.top, box_.right + overhang, box_.bottom};
}

void Win32Label::FitToCaption() {
  ScreenDc screen;
  Selection selected(screen.Get(), font_);
  RECT measured{0, 0, 0, 0};
  DrawTextW(screen.Get(), caption_.c_str(), static_cast<int>(caption_.size()), &measured, kTextFormat | DT_CALCRECT);
  const PixelRect box =
      LabelBox(design_, designed_, PixelSize{measured.right - measured.left, measured.bottom - measured.top});
  box_ = RECT{box.left, box.top, box.Right(), box.Bottom()};
  // The old area is repainted by whoever changed the caption, all at once.
  SetWindowPos(window_, nullptr, box.left, box.top, box.width, box.height,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_NOCOPYBITS);
}

void Win32Label::Paint() {
  PaintDc paint(window_);
  // Composed off screen: no flicker when the caption changes.
  PaintOffScreen(paint.Get(), box_, POINT{0, 0}, [this](HDC dc) { surface_.PaintSurface(dc, box_); });
}

LRESULT Win32Label::HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // clicks and the cursor belong to what lies beneath
    case WM_GETOBJECT: {
      // Read as the system's static text is: its caption as its name.
      const AccessibleFacts facts{ROLE_SYSTEM_STATICTEXT, Wide(design_.accessible_name), true,
                                  design_.read_with_another};
      if (const LRESULT answer = AnswerAccessibleObject(window, wparam, lparam, facts)) return answer;
      return DefWindowProcW(window, message, wparam, lparam);
    }
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace hdgr::win32
