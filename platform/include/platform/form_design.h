#pragma once
// A window's design as data: the window's settings and a table of its controls, in
// twips, as the window toolkit creates them. Nothing here is computed at run time
// except the conversion to pixels at the display's density and the size a label takes
// from its caption.

#include <optional>
#include <span>
#include <string_view>

#include "platform/controls.h"

namespace hdgr {

// The design's density: 96 dots per inch, where every position and size of the design is a
// whole number of pixels. At any other density the twips are laid out afresh.
inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kDesignDpi = 96;
inline constexpr int kTwipsPerPixel = kTwipsPerInch / kDesignDpi;

inline constexpr int kNoIndex = -1;     // a control that is not an item of an array
inline constexpr int kNoTabIndex = -1;  // shapes and timers
inline constexpr int kSunkenBorderPixels = 2;  // at the design's density
inline constexpr int kSunkenBorderTwips = kSunkenBorderPixels * kTwipsPerPixel;

enum class ControlKind { kPictureBox, kCommandButton, kTextBox, kProgressBar, kLabel, kShape, kTimer };

struct TwipsRect {
  int left;
  int top;
  int width;
  int height;
};

struct TwipsPoint {
  int x;
  int y;
  friend bool operator==(const TwipsPoint&, const TwipsPoint&) = default;
};

struct PixelRect {
  int left;
  int top;
  int width;
  int height;
  int Right() const { return left + width; }
  int Bottom() const { return top + height; }
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct PixelPoint {
  int x;
  int y;
  friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

struct PixelSize {
  int width;
  int height;
  friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

// Character set is always ANSI (0); weight 700 when bold, else 400; never underlined or struck out.
struct FontSpec {
  std::string_view face;
  float points;
  bool bold = false;
  bool italic = false;
};

// An explicit colour, or one of the desktop's colour scheme by its index.
struct ColourSpec {
  Colour rgb{0, 0, 0};
  int system_index = -1;
  bool IsSystem() const { return system_index >= 0; }
};

constexpr ColourSpec Rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return ColourSpec{Colour{red, green, blue}, -1};
}
constexpr ColourSpec SystemColour(int index) { return ColourSpec{Colour{0, 0, 0}, index}; }

struct ControlDesign {
  std::string_view name{};
  int index = kNoIndex;
  ControlKind kind = ControlKind::kLabel;
  std::string_view container{};  // empty: the window's client area
  TwipsRect twips{};
  std::string_view caption{};  // a label's or button's caption, a text box's text
  std::optional<FontSpec> font{};  // none: the window's default font
  std::optional<ColourSpec> fore_colour{};
  std::optional<ColourSpec> back_colour{};
  int tab_index = kNoTabIndex;
  bool tab_stop = false;       // takes the focus with Tab
  bool sunken_border = false;  // picture boxes and text boxes: a 2-pixel sunken border
  bool keeps_right_edge = false;  // labels: a new caption grows or shrinks to the left
  std::string_view picture{};  // picture boxes: the name of the bitmap resource they draw
  int interval_ms = 0;         // timers
  bool enabled = true;         // a timer's switch; every other control starts enabled
  // For screen readers, where the control's kind and caption say too little:
  std::string_view accessible_name{};  // its name (empty: its caption, or none)
  bool read_with_another = false;      // left out of what is read: another control reads it
  bool live_region = false;            // a change of its caption is announced (politely)
};

struct FormDesign {
  std::string_view name;
  std::string_view caption;
  int client_width_twips;
  int client_height_twips;
  Colour back_colour;
  FontSpec default_font;
  std::span<const ControlDesign> controls;
};

// Twips to whole pixels at `dpi`, halves rounded up: a shift by whole twips never changes
// the rounding of a distance. At the design's density the design's twips are exact.
int TwipsToPixels(int twips, int dpi = kDesignDpi);
// The same without rounding, for what can lie between pixels (a scaled picture's corner).
double TwipsToExactPixels(int twips, int dpi);

// Each edge rounded on its own, so that boxes that touch in twips touch in pixels.
PixelRect ToPixels(const TwipsRect& twips, int dpi = kDesignDpi);

// The control's box relative to its container's interior, as designed.
PixelRect DesignedBox(const ControlDesign& control);

// A label's box once its caption measures `extent` in its font, in the coordinates of
// `designed`: the designed left edge stays, or the designed right edge for a label that
// keeps it; the top stays.
PixelRect LabelBox(const ControlDesign& label, const PixelRect& designed, PixelSize extent);
PixelRect LabelBox(const ControlDesign& label, PixelSize extent);  // in its container's interior at 96 DPI

// The control named `name`, item `index`; nullptr when the design has none.
const ControlDesign* FindControl(const FormDesign& form, std::string_view name, int index = kNoIndex);

// Where the interior of `container` (empty: the client area) begins in the client area,
// in twips: the containers' positions and their borders of 30 twips (2 pixels at 96 DPI).
TwipsPoint InteriorTwips(const FormDesign& form, std::string_view container);
PixelPoint InteriorOrigin(const FormDesign& form, std::string_view container, int dpi = kDesignDpi);

// The control's designed box in client-area pixels at `dpi`, rounded once from its place
// in the client area, so that every control keeps its place within a pixel at any density.
PixelRect ClientBox(const FormDesign& form, const ControlDesign& control, int dpi = kDesignDpi);

// The client area's size at `dpi`.
PixelSize ClientSize(const FormDesign& form, int dpi = kDesignDpi);

// The control's identifier among its window's children: its row in the table, offset
// so that it never clashes with the dialog ids 1 to 99 (IDOK and friends).
int ControlId(const FormDesign& form, const ControlDesign& control);

// A font's character height in pixels at `dpi`, from its point size, as a negative
// LOGFONT height asks for it.
int FontPixelHeight(const FontSpec& font, int dpi = kDesignDpi);

// A shape's line: one design pixel (15 twips) wide at any density, never thinner than a pixel.
int ShapeLineWidth(int dpi = kDesignDpi);

}  // namespace hdgr
