#include "setup_window/design.h"

#include <array>

#include "setup_window/package_version.h"

namespace hdgr {

namespace {

constexpr ColourSpec kWindowBack = Rgb(1, 0, 66);
constexpr ColourSpec kWhiteText = Rgb(255, 255, 255);
constexpr ColourSpec kYellowText = Rgb(255, 255, 0);
constexpr ColourSpec kOrangeText = Rgb(255, 128, 0);
constexpr ColourSpec kGreenLine = Rgb(0, 192, 0);
constexpr ColourSpec kGreyLine = Rgb(128, 128, 128);
constexpr ColourSpec kMenuText = SystemColour(7);
constexpr ColourSpec kWindowBackground = SystemColour(5);

constexpr FontSpec kDefaultFont{"MS Sans Serif", 8.25f};
constexpr FontSpec kPublisherFont{"Arial", 8.25f, false, true};
constexpr FontSpec kTitleFont{"Arial", 15.75f};
constexpr FontSpec kDigitFont{"Arial", 14.25f, false, true};
constexpr FontSpec kDotFont{"MS Sans Serif", 13.5f};
constexpr FontSpec kStatusFont{"Arial", 12.0f};
constexpr FontSpec kProgressFont{"Arial", 8.25f, true, false};

constexpr std::string_view kPicture1 = "Picture1";
constexpr std::string_view kPublisherName = "Halden Labs";

constexpr ControlDesign Label(std::string_view name, int index, TwipsRect twips, std::string_view caption,
                              FontSpec font, ColourSpec colour, int tab_index) {
  return ControlDesign{.name = name,
                       .index = index,
                       .kind = ControlKind::kLabel,
                       .container = kPicture1,
                       .twips = twips,
                       .caption = caption,
                       .font = font,
                       .fore_colour = colour,
                       .tab_index = tab_index};
}

constexpr ControlDesign Logo(int index, std::string_view container, TwipsRect twips, int tab_index) {
  // Wholly outside the client area: a Tab stop there would lose the focus from sight.
  return ControlDesign{.name = "Picture2",
                       .index = index,
                       .kind = ControlKind::kPictureBox,
                       .container = container,
                       .twips = twips,
                       .back_colour = kWindowBack,
                       .tab_index = tab_index,
                       .picture = kLogoPictureResource};
}

constexpr ControlDesign Shape(int index, TwipsRect twips, ColourSpec colour) {
  return ControlDesign{.name = "Shape1",
                       .index = index,
                       .kind = ControlKind::kShape,
                       .container = kPicture1,
                       .twips = twips,
                       .fore_colour = colour};
}

constexpr ControlDesign WithRightEdgeKept(ControlDesign label) {
  label.keeps_right_edge = true;
  return label;
}

// The design's version row holds one digit a part. A part of more digits widens its label
// by a digit's width for each, and moves what follows it in the row as far right.
constexpr int kDigitTwips = 165;
constexpr int WiderBy(std::string_view part) { return (static_cast<int>(part.size()) - 1) * kDigitTwips; }
constexpr int kAfterMajor = WiderBy(kPackageMajorText);
constexpr int kAfterMinor = kAfterMajor + WiderBy(kPackageMinorText);
constexpr int kAfterRevision = kAfterMinor + WiderBy(kPackageRevisionText);
constexpr TwipsRect kSetupTitle{3285 + kAfterRevision, 1155, 2370, 360};
constexpr TwipsRect kTitleArea{165, 885, 7170, 1035};
static_assert(kSetupTitle.left + kSetupTitle.width <= kTitleArea.left + kTitleArea.width,
              "the package version is too long for the title area: the setup title would leave it");

constexpr ControlDesign ReadAs(std::string_view name, ControlDesign control) {
  control.accessible_name = name;
  return control;
}

constexpr ControlDesign ReadWithAnother(ControlDesign control) {
  control.read_with_another = true;
  return control;
}

constexpr ControlDesign Live(ControlDesign label) {
  label.live_region = true;
  return label;
}

constexpr std::array kControls{
    ControlDesign{.name = kPicture1,
                  .kind = ControlKind::kPictureBox,
                  .twips = {-135, -825, 8985, 8655},
                  .back_colour = kWindowBack,
                  .tab_index = 0,
                  .tab_stop = true,
                  .sunken_border = true,
                  .picture = kCarrierPictureResource,
                  // The first focus: announced as what the window is for.
                  .accessible_name = kSetupWindowCaption},
    ControlDesign{.name = "Command1",
                  .kind = ControlKind::kCommandButton,
                  .container = kPicture1,
                  .twips = {3645, 3765, 2130, 360},
                  .caption = "Accept terms of install",
                  .tab_index = 1,
                  .tab_stop = true},
    ControlDesign{.name = "Command2",
                  .kind = ControlKind::kCommandButton,
                  .container = kPicture1,
                  .twips = {5865, 3750, 1080, 360},
                  .caption = "Cancel",
                  .tab_index = 2,
                  .tab_stop = true},
    ControlDesign{.name = "Text1",
                  .kind = ControlKind::kTextBox,
                  .container = kPicture1,
                  .twips = {420, 2340, 6690, 1260},
                  .caption = kTermsText,
                  .fore_colour = kMenuText,
                  .back_colour = kWindowBackground,
                  .tab_index = 3,
                  .tab_stop = true,
                  .sunken_border = true,
                  .accessible_name = "Terms of use"},
    ControlDesign{.name = "ProgressBar1",
                  .kind = ControlKind::kProgressBar,
                  .container = kPicture1,
                  .twips = {2295, 4500, 4755, 255},
                  .tab_index = 4,
                  .accessible_name = "Progress"},
    WithRightEdgeKept(Label("Label1", kNoIndex, {1395, 4515, 780, 210}, "Progress", kProgressFont, kWhiteText, 5)),
    Label("Label2", 0, {405, 1140, 1980, 360}, "Halden Grid", kTitleFont, kWhiteText, 6),
    // The version is read once, as one, by its first digit; the others and the dots are
    // left out of what is read.
    ReadAs(kPackageVersionText, Label("Label3", 0, {2460, 1155, 165 + WiderBy(kPackageMajorText), 345},
                                      kPackageMajorText, kDigitFont, kYellowText, 7)),
    ReadWithAnother(Label("Label3", 1, {2745 + kAfterMajor, 1155, 165 + WiderBy(kPackageMinorText), 345},
                          kPackageMinorText, kDigitFont, kYellowText, 8)),
    ReadWithAnother(Label("Label3", 2, {3015 + kAfterMinor, 1155, 165 + WiderBy(kPackageRevisionText), 345},
                          kPackageRevisionText, kDigitFont, kYellowText, 9)),
    ReadWithAnother(Label("Label4", 0, {2640 + kAfterMajor, 1140, 75, 360}, ".", kDotFont, kOrangeText, 10)),
    ReadWithAnother(Label("Label4", 1, {2955 + kAfterMinor, 1140, 75, 360}, ".", kDotFont, kOrangeText, 11)),
    // The status line's changes ("Extracting...") are announced.
    Live(WithRightEdgeKept(
        Label("Label5", kNoIndex, {5700, 1590, 1530, 270}, "Your version: 0", kStatusFont, kYellowText, 12))),
    // A doubled ampersand shows as one.
    Label("Label2", 1, kSetupTitle, "Setup && Upgrade", kTitleFont, kWhiteText, 13),
    Label("Label6", 0, {390, 930, 885, 210}, kPublisherName, kPublisherFont, kWhiteText, 14),
    Logo(0, kPicture1, {510, 5145, 945, 825}, 15),
    Logo(1, kPicture1, {0, -60, 945, 825}, 16),
    Logo(2, kPicture1, {255, 5160, 945, 825}, 17),
    Logo(3, "", {0, 4380, 945, 825}, 18),
    Shape(3, kTitleArea, kGreenLine),
    Shape(2, {195, 2100, 7170, 1920}, kGreenLine),
    Shape(1, {3585, 3660, 3510, 570}, kGreyLine),
    Shape(0, {180, 4305, 7170, 675}, kGreenLine),
    ControlDesign{
        .name = "Timer1", .kind = ControlKind::kTimer, .container = kPicture1, .interval_ms = 1000, .enabled = false},
};

constexpr FormDesign kSetupWindow{.name = "frmhdGR_setup",
                              .caption = kSetupWindowCaption,
                              .client_width_twips = 7650,
                              .client_height_twips = 4350,
                              .back_colour = kWindowBack.rgb,
                              .default_font = kDefaultFont,
                              .controls = kControls};

}  // namespace

const FormDesign& SetupWindowDesign() { return kSetupWindow; }

}  // namespace hdgr
