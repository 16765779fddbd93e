// The window's twips design laid out at 144 and 192 DPI: every box where its twips put it,
// within half a pixel, and fonts and lines by their sizes.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/form_design.h"
#include "setup_window/design.h"

namespace hdgr {
namespace {

TEST(TwipsToPixels, RoundsHalvesUpOnBothSidesOfTheOrigin) {
  struct Case {
    int twips, dpi, pixels;
  };
  const Case cases[] = {
      {-135, 96, -9}, {-135, 144, -13}, {135, 144, 14}, {-825, 144, -82}, {-825, 192, -110},
      {8850, 144, 885}, {7, 96, 0}, {8, 96, 1}, {-7, 96, 0}, {-8, 96, -1}, {-795, 120, -66},
  };
  for (const Case& c : cases) EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " at " << c.dpi;
}

TEST(HighDpiLayout, EveryEdgeLiesWithinHalfAPixelOfItsTwips) {
  const FormDesign& form = SetupWindowDesign();
  for (int dpi : {120, 144, 168, 192}) {
    const double scale = dpi / 96.0;
    for (const ControlDesign& control : form.controls) {
      if (control.kind == ControlKind::kTimer) continue;
      SCOPED_TRACE(std::string(control.name) + "(" + std::to_string(control.index) + ") at " + std::to_string(dpi));
      const PixelRect at_96 = ClientBox(form, control);
      const PixelRect box = ClientBox(form, control, dpi);
      EXPECT_LE(std::abs(box.left - at_96.left * scale), 0.5);
      EXPECT_LE(std::abs(box.top - at_96.top * scale), 0.5);
      EXPECT_LE(std::abs(box.Right() - at_96.Right() * scale), 0.5);
      EXPECT_LE(std::abs(box.Bottom() - at_96.Bottom() * scale), 0.5);
    }
  }
  EXPECT_EQ(ClientSize(form), (PixelSize{510, 290}));
  EXPECT_EQ(ClientSize(form, 144), (PixelSize{765, 435}));
  EXPECT_EQ(ClientSize(form, 192), (PixelSize{1020, 580}));
}

TEST(HighDpiLayout, Picture1StillCoversTheClientAreaInsideItsBorder) {
  const FormDesign& form = SetupWindowDesign();
  for (int dpi : {120, 144, 168, 192}) {
    SCOPED_TRACE(dpi);
    const PixelRect picture = ClientBox(form, *FindControl(form, "Picture1"), dpi);
    const PixelSize client = ClientSize(form, dpi);
    const int border = TwipsToPixels(kSunkenBorderTwips, dpi);
    EXPECT_LE(picture.left + border, 0);
    EXPECT_LE(picture.top + border, 0);
    EXPECT_GE(picture.Right() - border, client.width);
    EXPECT_GE(picture.Bottom() - border, client.height);
  }
}

TEST(HighDpiLayout, FontsByTheirPointSizesAndLinesOneDesignPixelWide) {
  struct Case {
    float points;
    int dpi;
    int pixels;
  };
  const Case fonts[] = {{8.25f, 96, 11}, {8.25f, 144, 17}, {8.25f, 192, 22}, {15.75f, 144, 32},
                        {15.75f, 192, 42}, {12.0f, 144, 24}, {13.5f, 120, 23}};
  for (const Case& c : fonts) EXPECT_EQ(FontPixelHeight({"Arial", c.points}, c.dpi), c.pixels) << c.points;
  EXPECT_EQ(ShapeLineWidth(96), 1);
  EXPECT_EQ(ShapeLineWidth(120), 1);
  EXPECT_EQ(ShapeLineWidth(144), 2);
  EXPECT_EQ(ShapeLineWidth(192), 2);
  EXPECT_EQ(ShapeLineWidth(288), 3);
}

TEST(HighDpiLayout, ALabelKeepsItsAnchoredEdgeInAnyCoordinates) {
  const FormDesign& form = SetupWindowDesign();
  const ControlDesign& status = *FindControl(form, "Label5");
  const PixelRect designed = ClientBox(form, status, 144);
  const PixelRect wider = LabelBox(status, designed, PixelSize{200, 27});
  EXPECT_EQ(wider.Right(), designed.Right());
  EXPECT_EQ(wider.top, designed.top);
  const ControlDesign& title = *FindControl(form, "Label2", 0);
  EXPECT_EQ(LabelBox(title, ClientBox(form, title, 192), PixelSize{300, 48}).left, ClientBox(form, title, 192).left);
}

}  // namespace
}  // namespace hdgr
