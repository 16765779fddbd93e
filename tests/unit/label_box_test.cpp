#include <gtest/gtest.h>

#include <array>

#include "platform/form_design.h"
#include "platform/run_time_error.h"
#include "setup_window/design.h"

namespace hdgr {
namespace {

TEST(LabelBox, TakesTheCaptionsSizeKeepingTheDesignedLeftOrRightEdge) {
  struct Case {
    std::string_view name;
    int index;
    PixelSize extent;
    PixelRect expected;  // relative to Picture1's interior
  };
  const Case cases[] = {
      // The design captions at their designed sizes land on the designed boxes.
      {"Label1", kNoIndex, {52, 14}, {93, 301, 52, 14}},
      {"Label5", kNoIndex, {102, 18}, {380, 106, 102, 18}},
      // Longer captions grow to the left: Label1 ends at x 138 in the client area,
      // Label5 at x 475, whatever the text.
      {"Label1", kNoIndex, {121, 14}, {24, 301, 121, 14}},
      {"Label5", kNoIndex, {140, 18}, {342, 106, 140, 18}},
      // A shorter caption shrinks toward the right edge.
      {"Label5", kNoIndex, {95, 19}, {387, 106, 95, 19}},
      // The other labels keep their left edges.
      {"Label2", 1, {170, 24}, {219, 77, 170, 24}},
      {"Label3", 0, {9, 22}, {164, 77, 9, 22}},
  };
  const FormDesign& form = SetupWindowDesign();
  for (const Case& c : cases) {
    const ControlDesign* label = FindControl(form, c.name, c.index);
    ASSERT_NE(label, nullptr) << c.name;
    EXPECT_EQ(LabelBox(*label, c.extent), c.expected) << c.name << " " << c.extent.width;
  }
  const PixelPoint origin = InteriorOrigin(form, "Picture1");
  EXPECT_EQ(LabelBox(*FindControl(form, "Label1"), {121, 14}).Right() + origin.x, 138);
  EXPECT_EQ(LabelBox(*FindControl(form, "Label5"), {140, 18}).Right() + origin.x, 475);
}

TEST(InteriorOrigin, AddsEachContainersPositionAndBorder) {
  const std::array controls{
      ControlDesign{.name = "Outer", .kind = ControlKind::kPictureBox, .twips = {150, 300, 3000, 3000},
                    .sunken_border = true},
      ControlDesign{.name = "Inner", .kind = ControlKind::kPictureBox, .container = "Outer",
                    .twips = {-45, 15, 1500, 1500}},
      ControlDesign{.name = "Label", .kind = ControlKind::kLabel, .container = "Inner",
                    .twips = {30, 60, 300, 150}},
      ControlDesign{.name = "Stray", .kind = ControlKind::kLabel, .container = "Missing"},
  };
  const FormDesign form{.name = "f", .caption = "", .client_width_twips = 0, .client_height_twips = 0,
                        .back_colour = {0, 0, 0}, .default_font = {"Arial", 8.25f}, .controls = controls};
  EXPECT_EQ(InteriorOrigin(form, ""), (PixelPoint{0, 0}));
  EXPECT_EQ(InteriorOrigin(form, "Outer"), (PixelPoint{12, 22}));
  EXPECT_EQ(InteriorOrigin(form, "Inner"), (PixelPoint{9, 23}));  // no border of its own
  EXPECT_EQ(ClientBox(form, controls[2]), (PixelRect{11, 27, 20, 10}));
  EXPECT_THROW(ClientBox(form, controls[3]), RunTimeError);
  EXPECT_EQ(ControlId(form, controls[0]), 100);
  EXPECT_EQ(ControlId(form, controls[2]), 102);
}

}  // namespace
}  // namespace hdgr
