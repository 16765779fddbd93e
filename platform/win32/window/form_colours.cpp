#include "platform/win32/window/form_colours.h"

#include "platform/win32/base/wide_text.h"
#include "platform/win32/base/win32_error.h"

namespace hdgr::win32 {

namespace {

constexpr int kNormalWeight = 400;
constexpr int kBoldWeight = 700;

}  // namespace

COLORREF ToColorRef(Colour colour) { return RGB(colour.red, colour.green, colour.blue); }

COLORREF ToColorRef(const ColourSpec& colour) {
  return colour.IsSystem() ? GetSysColor(colour.system_index) : ToColorRef(colour.rgb);
}

HBRUSH BrushFor(const ColourSpec& colour, Brush& owned) {
  if (colour.IsSystem()) return GetSysColorBrush(colour.system_index);
  owned = Brush(CreateSolidBrush(ToColorRef(colour.rgb)));
  return owned.Get();
}

Font CreateDesignFont(const FontSpec& font, int dpi) {
  const std::wstring face = Wide(font.face);
  Font created(CreateFontW(-FontPixelHeight(font, dpi), 0, 0, 0, font.bold ? kBoldWeight : kNormalWeight,
                           font.italic ? TRUE : FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, face.c_str()));
  ThrowLastErrorIf(!created, [&] { return "font " + std::string(font.face); });
  return created;
}

}  // namespace hdgr::win32
