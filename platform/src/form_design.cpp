#include "platform/form_design.h"

#include <cmath>
#include <string>

#include "platform/run_time_error.h"

namespace hdgr {

namespace {

constexpr int kPointsPerInch = 72;
constexpr int kFirstControlId = 100;

}  // namespace

PixelRect ToPixels(const TwipsRect& twips) {
  return PixelRect{twips.left / kTwipsPerPixel, twips.top / kTwipsPerPixel, twips.width / kTwipsPerPixel,
                   twips.height / kTwipsPerPixel};
}

PixelRect DesignedBox(const ControlDesign& control) { return ToPixels(control.twips); }

PixelRect LabelBox(const ControlDesign& label, PixelSize extent) {
  const PixelRect designed = DesignedBox(label);
  const int left = label.keeps_right_edge ? designed.Right() - extent.width : designed.left;
  return PixelRect{left, designed.top, extent.width, extent.height};
}

const ControlDesign* FindControl(const FormDesign& form, std::string_view name, int index) {
  for (const ControlDesign& control : form.controls)
    if (control.name == name && control.index == index) return &control;
  return nullptr;
}

PixelPoint InteriorOrigin(const FormDesign& form, std::string_view container) {
  if (container.empty()) return PixelPoint{0, 0};
  const ControlDesign* box = FindControl(form, container);
  if (box == nullptr)
    throw RunTimeError(ErrorNumber::kInvalidProcedureCall, "no container " + std::string(container));
  const PixelPoint outer = InteriorOrigin(form, box->container);
  const PixelRect own = DesignedBox(*box);
  const int border = box->sunken_border ? kSunkenBorderPixels : 0;
  return PixelPoint{outer.x + own.left + border, outer.y + own.top + border};
}

PixelRect ClientBox(const FormDesign& form, const ControlDesign& control) {
  const PixelPoint origin = InteriorOrigin(form, control.container);
  PixelRect box = DesignedBox(control);
  box.left += origin.x;
  box.top += origin.y;
  return box;
}

int ControlId(const FormDesign& form, const ControlDesign& control) {
  return kFirstControlId + static_cast<int>(&control - form.controls.data());
}

int FontPixelHeight(const FontSpec& font) {
  return static_cast<int>(std::lround(font.points * kDesignDpi / kPointsPerInch));
}

}  // namespace hdgr
