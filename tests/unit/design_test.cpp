#include "setup_window/design.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace hdgr {
namespace {

const FormDesign& Design() { return SetupWindowDesign(); }

const ControlDesign& Control(std::string_view name, int index = kNoIndex) {
  const ControlDesign* control = FindControl(Design(), name, index);
  if (control == nullptr) throw std::runtime_error("no " + std::string(name));
  return *control;
}

struct Placed {
  std::string_view name;
  int index;
  PixelRect client;  // x, y, width, height in the client area
};

// The pixel column of the window's layout table, 15 twips to the pixel.
const Placed kLayout[] = {
    {"Picture1", kNoIndex, {-9, -55, 599, 577}},  {"Command1", kNoIndex, {236, 198, 142, 24}},
    {"Command2", kNoIndex, {384, 197, 72, 24}},   {"Text1", kNoIndex, {21, 103, 446, 84}},
    {"ProgressBar1", kNoIndex, {146, 247, 317, 17}}, {"Label1", kNoIndex, {86, 248, 52, 14}},
    {"Label2", 0, {20, 23, 132, 24}},             {"Label3", 0, {157, 24, 11, 23}},
    {"Label3", 1, {176, 24, 11, 23}},             {"Label3", 2, {194, 24, 11, 23}},
    {"Label4", 0, {169, 23, 5, 24}},              {"Label4", 1, {190, 23, 5, 24}},
    {"Label5", kNoIndex, {373, 53, 102, 18}},     {"Label2", 1, {212, 24, 158, 24}},
    {"Label6", 0, {19, 9, 59, 14}},               {"Picture2", 0, {27, 290, 63, 55}},
    {"Picture2", 1, {-7, -57, 63, 55}},           {"Picture2", 2, {10, 291, 63, 55}},
    {"Picture2", 3, {0, 292, 63, 55}},            {"Shape1", 3, {4, 6, 478, 69}},
    {"Shape1", 2, {6, 87, 478, 128}},             {"Shape1", 1, {232, 191, 234, 38}},
    {"Shape1", 0, {5, 234, 478, 45}},
};

TEST(SetupWindowDesign, EveryControlLiesAtItsPixelsInTheClientArea) {
  for (const Placed& placed : kLayout) {
    SCOPED_TRACE(std::string(placed.name) + "(" + std::to_string(placed.index) + ")");
    const ControlDesign& control = Control(placed.name, placed.index);
    const TwipsRect& t = control.twips;
    for (int twips : {t.left, t.top, t.width, t.height}) EXPECT_EQ(twips % kTwipsPerPixel, 0) << twips;
    EXPECT_EQ(ClientBox(Design(), control), placed.client);
  }
  // Every visible control of the design is in the table above, the timer aside.
  EXPECT_EQ(Design().controls.size(), std::size(kLayout) + 1);
}

TEST(SetupWindowDesign, ControlsInsidePicture1AreShiftedByItsBorderAndPosition) {
  // (x / 15 - 7, y / 15 - 53): the box stands at (-9, -55) with a 2-pixel sunken border.
  EXPECT_EQ(InteriorOrigin(Design(), "Picture1"), (PixelPoint{-7, -53}));
  for (const ControlDesign& control : Design().controls) {
    if (control.container != "Picture1" || control.kind == ControlKind::kTimer) continue;
    const PixelRect box = ClientBox(Design(), control);
    EXPECT_EQ(box.left, control.twips.left / 15 - 7) << control.name;
    EXPECT_EQ(box.top, control.twips.top / 15 - 53) << control.name;
  }
}

TEST(SetupWindowDesign, WindowSettings) {
  const FormDesign& form = Design();
  EXPECT_EQ(form.caption, "Halden Grid - Setup");
  EXPECT_EQ(ToPixels({0, 0, form.client_width_twips, form.client_height_twips}), (PixelRect{0, 0, 510, 290}));
  EXPECT_EQ(form.back_colour, (Colour{1, 0, 66}));
  // Picture1 covers the whole client area, so the window's own colour never shows.
  const PixelRect picture = ClientBox(form, Control("Picture1"));
  EXPECT_LE(picture.left + kSunkenBorderPixels, 0);
  EXPECT_LE(picture.top + kSunkenBorderPixels, 0);
  EXPECT_GE(picture.Right() - kSunkenBorderPixels, 510);
  EXPECT_GE(picture.Bottom() - kSunkenBorderPixels, 290);
}

TEST(SetupWindowDesign, LabelsCarryTheirCaptionsFontsAndColours) {
  struct Look {
    std::string_view name;
    int index;
    std::string_view caption;
    std::string_view face;
    float points;
    bool bold;
    bool italic;
    Colour colour;
  };
  const Colour white{255, 255, 255}, yellow{255, 255, 0}, orange{255, 128, 0};
  const Look looks[] = {
      {"Label6", 0, "Halden Labs", "Arial", 8.25f, false, true, white},
      {"Label2", 0, "Halden Grid", "Arial", 15.75f, false, false, white},
      {"Label3", 0, "3", "Arial", 14.25f, false, true, yellow},
      {"Label4", 0, ".", "MS Sans Serif", 13.5f, false, false, orange},
      {"Label3", 1, "4", "Arial", 14.25f, false, true, yellow},
      {"Label4", 1, ".", "MS Sans Serif", 13.5f, false, false, orange},
      {"Label3", 2, "0", "Arial", 14.25f, false, true, yellow},
      {"Label2", 1, "Setup && Upgrade", "Arial", 15.75f, false, false, white},
      {"Label5", kNoIndex, "Your version: 0", "Arial", 12.0f, false, false, yellow},
      {"Label1", kNoIndex, "Progress", "Arial", 8.25f, true, false, white},
  };
  for (const Look& look : looks) {
    SCOPED_TRACE(std::string(look.name) + "(" + std::to_string(look.index) + ")");
    const ControlDesign& label = Control(look.name, look.index);
    EXPECT_EQ(label.kind, ControlKind::kLabel);
    EXPECT_EQ(label.caption, look.caption);
    ASSERT_TRUE(label.font.has_value());
    EXPECT_EQ(label.font->face, look.face);
    EXPECT_EQ(label.font->points, look.points);
    EXPECT_EQ(label.font->bold, look.bold);
    EXPECT_EQ(label.font->italic, look.italic);
    ASSERT_TRUE(label.fore_colour.has_value());
    EXPECT_FALSE(label.fore_colour->IsSystem());
    EXPECT_EQ(label.fore_colour->rgb, look.colour);
    EXPECT_FALSE(label.tab_stop);
    // Only the two labels whose captions change keep their right edges.
    EXPECT_EQ(label.keeps_right_edge, look.name == "Label1" || look.name == "Label5");
  }
  // Whole pixel heights, so the designed sizes are reproducible: 11, 21, 19, 18, 16 pixels.
  EXPECT_EQ(FontPixelHeight({"Arial", 8.25f}), 11);
  EXPECT_EQ(FontPixelHeight({"Arial", 15.75f}), 21);
  EXPECT_EQ(FontPixelHeight({"Arial", 14.25f}), 19);
  EXPECT_EQ(FontPixelHeight({"MS Sans Serif", 13.5f}), 18);
  EXPECT_EQ(FontPixelHeight({"Arial", 12.0f}), 16);
}

TEST(SetupWindowDesign, TabOrderStartsOnPicture1ThenAcceptCancelAndTerms) {
  std::vector<const ControlDesign*> ordered;
  for (const ControlDesign& control : Design().controls)
    if (control.tab_index != kNoTabIndex) ordered.push_back(&control);
  std::sort(ordered.begin(), ordered.end(),
            [](const auto* a, const auto* b) { return a->tab_index < b->tab_index; });
  ASSERT_EQ(ordered.size(), 19u);
  for (int i = 0; i < 19; ++i) EXPECT_EQ(ordered[i]->tab_index, i);  // 0 to 18, no gaps, no twins
  std::vector<std::string_view> stops;
  for (const ControlDesign* control : ordered)
    if (control->tab_stop) stops.push_back(control->name);
  EXPECT_EQ(stops, (std::vector<std::string_view>{"Picture1", "Command1", "Command2", "Text1"}));
  for (const ControlDesign& control : Design().controls) {
    if (control.kind == ControlKind::kShape || control.kind == ControlKind::kTimer) {
      EXPECT_EQ(control.tab_index, kNoTabIndex) << control.name;
    }
  }
}

TEST(SetupWindowDesign, TermsTextIsSevenCrLfLinesWithTheirClosingBlanks) {
  const std::string_view text = Control("Text1").caption;
  EXPECT_EQ(text.size(), 394u);
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find("\r\n", start);
    ASSERT_NE(end, std::string_view::npos) << "the last line ends with CR LF too";
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  ASSERT_EQ(lines.size(), 7u);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(lines[i].back(), ' ') << i;
  EXPECT_EQ(lines[6], "PROGRAMS.");
  EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);  // no bare line feeds
  const ControlDesign& terms = Control("Text1");
  EXPECT_EQ(terms.fore_colour->system_index, 7);  // menu text
  EXPECT_EQ(terms.back_colour->system_index, 5);  // window background
  EXPECT_FALSE(terms.font.has_value());
}

TEST(SetupWindowDesign, ButtonsBarTimerShapesAndLogos) {
  EXPECT_EQ(Control("Command1").caption, "Accept terms of install");
  EXPECT_EQ(Control("Command2").caption, "Cancel");
  EXPECT_FALSE(Control("Command1").font.has_value());
  const ControlDesign& timer = Control("Timer1");
  EXPECT_EQ(timer.interval_ms, 1000);
  EXPECT_FALSE(timer.enabled);
  EXPECT_EQ(Control("Picture1").picture, kCarrierPictureResource);

  const Colour green{0, 192, 0}, grey{128, 128, 128};
  const Colour shape_colours[] = {green, grey, green, green};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Control("Shape1", i).fore_colour->rgb, shape_colours[i]) << i;

  const PixelRect client{0, 0, 510, 290};
  for (int i = 0; i < 4; ++i) {
    const PixelRect logo = ClientBox(Design(), Control("Picture2", i));
    const bool overlaps = logo.left < client.Right() && client.left < logo.Right() &&
                          logo.top < client.Bottom() && client.top < logo.Bottom();
    EXPECT_FALSE(overlaps) << "Picture2(" << i << ")";
    EXPECT_EQ(Control("Picture2", i).picture, kLogoPictureResource);
  }
}

// What a screen reader is told beyond the controls' kinds and captions: the first focus and
// the terms named, the version read once as one, the status line's changes announced.
TEST(SetupWindowDesign, ScreenReadersHearTheVersionOnceAndTheStatusLinesChanges) {
  EXPECT_EQ(Control("Picture1").accessible_name, "Halden Grid - Setup");
  EXPECT_EQ(Control("Text1").accessible_name, "Terms of use");
  EXPECT_EQ(Control("ProgressBar1").accessible_name, "Progress");
  EXPECT_EQ(Control("Label3", 0).accessible_name, "3.4.0");
  for (const auto& [name, index] : {std::pair{"Label3", 1}, {"Label3", 2}, {"Label4", 0}, {"Label4", 1}})
    EXPECT_TRUE(Control(name, index).read_with_another) << name << index;
  int live = 0, left_out = 0;
  for (const ControlDesign& control : Design().controls) {
    live += control.live_region;
    left_out += control.read_with_another;
  }
  EXPECT_EQ(live, 1);
  EXPECT_TRUE(Control("Label5").live_region);
  EXPECT_EQ(left_out, 4);
}

}  // namespace
}  // namespace hdgr
