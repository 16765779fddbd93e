#include "platform/form_design.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/run_time_error.h"

namespace hdgr {

namespace {

constexpr int kPointsPerInch = 72;
constexpr int kFirstControlId = 100;

// Floor division, for the negative positions of boxes that begin left of or above the client area.
int FloorDivide(long long numerator, long long denominator) {
  long long quotient = numerator / denominator;
  if (numerator % denominator != 0 && numerator < 0) --quotient;
  return static_cast<int>(quotient);
}

}  // namespace

int TwipsToPixels(int twips, int dpi) {
  return FloorDivide(static_cast<long long>(twips) * dpi + kTwipsPerInch / 2, kTwipsPerInch);
}

double TwipsToExactPixels(int twips, int dpi) { return static_cast<double>(twips) * dpi / kTwipsPerInch; }

PixelRect ToPixels(const TwipsRect& twips, int dpi) {
  const int left = TwipsToPixels(twips.left, dpi);
  const int top = TwipsToPixels(twips.top, dpi);
  return PixelRect{left, top, TwipsToPixels(twips.left + twips.width, dpi) - left,
                   TwipsToPixels(twips.top + twips.height, dpi) - top};
}

PixelRect DesignedBox(const ControlDesign& control) { return ToPixels(control.twips); }

PixelRect LabelBox(const ControlDesign& label, const PixelRect& designed, PixelSize extent) {
  const int left = label.keeps_right_edge ? designed.Right() - extent.width : designed.left;
  return PixelRect{left, designed.top, extent.width, extent.height};
}

PixelRect LabelBox(const ControlDesign& label, PixelSize extent) { return LabelBox(label, DesignedBox(label), extent); }

const ControlDesign* FindControl(const FormDesign& form, std::string_view name, int index) {
  for (const ControlDesign& control : form.controls)
    if (control.name == name && control.index == index) return &control;
  return nullptr;
}

TwipsPoint InteriorTwips(const FormDesign& form, std::string_view container) {
  if (container.empty()) return TwipsPoint{0, 0};
  const ControlDesign* box = FindControl(form, container);
  if (box == nullptr)
    throw RunTimeError(ErrorNumber::kInvalidProcedureCall, "no container " + std::string(container));
  const TwipsPoint outer = InteriorTwips(form, box->container);
  const int border = box->sunken_border ? kSunkenBorderTwips : 0;
  return TwipsPoint{outer.x + box->twips.left + border, outer.y + box->twips.top + border};
}

PixelPoint InteriorOrigin(const FormDesign& form, std::string_view container, int dpi) {
  const TwipsPoint origin = InteriorTwips(form, container);
  return PixelPoint{TwipsToPixels(origin.x, dpi), TwipsToPixels(origin.y, dpi)};
}

PixelRect ClientBox(const FormDesign& form, const ControlDesign& control, int dpi) {
  const TwipsPoint origin = InteriorTwips(form, control.container);
  const TwipsRect& box = control.twips;
  return ToPixels(TwipsRect{origin.x + box.left, origin.y + box.top, box.width, box.height}, dpi);
}

PixelSize ClientSize(const FormDesign& form, int dpi) {
  return PixelSize{TwipsToPixels(form.client_width_twips, dpi), TwipsToPixels(form.client_height_twips, dpi)};
}

int ControlId(const FormDesign& form, const ControlDesign& control) {
  return kFirstControlId + static_cast<int>(&control - form.controls.data());
}

int FontPixelHeight(const FontSpec& font, int dpi) {
  return static_cast<int>(std::lround(font.points * static_cast<float>(dpi) / kPointsPerInch));
}

int ShapeLineWidth(int dpi) { return std::max(1, TwipsToPixels(kTwipsPerPixel, dpi)); }

}  // namespace hdgr
