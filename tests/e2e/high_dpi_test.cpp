// The real program at 96, 144 and 192 DPI, the prefix's LogPixels, which Wine reads when a
// program starts: the twips design laid out at each density, the terms wrapped at the same
// words, texts inside their controls, the carrier showing the same part of it. A screenshot
// of each goes to the build tree (HDGR_E2E_ARTIFACTS).
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numeric>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/base/wide_text.h"
#include "platform/win32/window/form_colours.h"
#include "setup_window/design.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/product_state.h"

namespace hdgr::e2e {
namespace {

constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
constexpr wchar_t kLogPixels[] = L"LogPixels";

// The current user's LogPixels for the programs started from now on; the value it had
// comes back at the end.
class PrefixDpi {
 public:
  PrefixDpi() {
    DWORD size = sizeof before_;
    had_value_ = RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, RRF_RT_REG_DWORD, nullptr, &before_,
                              &size) == ERROR_SUCCESS;
  }
  PrefixDpi(const PrefixDpi&) = delete;
  PrefixDpi& operator=(const PrefixDpi&) = delete;
  ~PrefixDpi() {
    if (had_value_) {
      Set(static_cast<int>(before_));
    } else {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, kLogPixels);
    }
  }
  void Set(int dpi) {
    const auto value = static_cast<DWORD>(dpi);
    if (RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, REG_DWORD, &value, sizeof value) != ERROR_SUCCESS)
      throw std::runtime_error("cannot set LogPixels");
  }

 private:
  bool had_value_ = false;
  DWORD before_ = 0;
};

struct Control {
  const ControlDesign* design;
  RECT rect;
  std::wstring caption;
};

// What the program shows at one density.
struct Shown {
  int dpi;
  RECT window;
  SIZE client;
  std::vector<Control> controls;  // every control with a window, labels included
  std::vector<LRESULT> terms_lines;  // where each line of the terms text begins
  std::optional<ScreenCapture> picture;

  double Scale() const { return dpi / 96.0; }
  const Control& Find(std::string_view name, int index = kNoIndex) const {
    for (const Control& control : controls)
      if (control.design->name == name && control.design->index == index) return control;
    throw std::runtime_error("no " + std::string(name));
  }
};

std::string Name(const ControlDesign& control) {
  return control.index == kNoIndex ? std::string(control.name)
                                   : std::string(control.name) + "(" + std::to_string(control.index) + ")";
}

bool Intersect(const RECT& a, const RECT& b) {
  RECT both;
  return IntersectRect(&both, &a, &b) != FALSE;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

RECT ToRect(const PixelRect& box) { return RECT{box.left, box.top, box.Right(), box.Bottom()}; }

std::vector<LRESULT> LineStarts(HWND text_box) {
  std::vector<LRESULT> starts(static_cast<std::size_t>(SendMessageW(text_box, EM_GETLINECOUNT, 0, 0)));
  for (std::size_t line = 0; line < starts.size(); ++line) starts[line] = SendMessageW(text_box, EM_LINEINDEX, line, 0);
  return starts;
}

SIZE TextExtent(const FontSpec& font, int dpi, const std::wstring& text) {
  const win32::Font created = win32::CreateDesignFont(font, dpi);
  const win32::ScreenDc screen;
  const win32::Selection selected(screen.Get(), created.Get());
  RECT measured{0, 0, 0, 0};
  DrawTextW(screen.Get(), text.c_str(), static_cast<int>(text.size()), &measured, DT_SINGLELINE | DT_CALCRECT);
  return SIZE{measured.right, measured.bottom};
}

Shown ShowAt(PrefixDpi& prefix, int dpi) {
  prefix.Set(dpi);
  ResetProductState();
  Process setup = Start(SetupProgramPath());
  const HWND window = WaitForWindow(kSetupTitle, 60s, setup.Id(), kSetupFormClass);
  if (window == nullptr) throw std::runtime_error("the setup window did not show");
  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10'000, nullptr);
  std::this_thread::sleep_for(700ms);

  Shown shown{dpi, {}, ClientSize(window), {}, {}, {}};
  GetWindowRect(window, &shown.window);
  const FormDesign& design = SetupWindowDesign();
  for (const ControlDesign& control : design.controls) {
    if (control.kind == ControlKind::kShape || control.kind == ControlKind::kTimer) continue;
    const ControlInfo info = ControlOf(window, control.name, control.index);
    shown.controls.push_back(Control{&control, info.rect, info.caption});
  }
  shown.terms_lines = LineStarts(ControlOf(window, "Text1").window);
  shown.picture.emplace(CaptureClient(window));

  const std::filesystem::path artifacts(HostPath(HDGR_E2E_ARTIFACTS));
  std::filesystem::create_directories(artifacts);
  // What the screen shows of the window: at 192 DPI it is wider than a 1024-pixel screen.
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  RECT visible;
  IntersectRect(&visible, &shown.window, &screen);
  SaveBitmap(ScreenCapture(visible), (artifacts / ("setup-window-" + std::to_string(dpi) + "dpi.bmp")).wstring());
  setup.Kill();
  return shown;
}

// Every control where the one at 96 DPI stands, scaled, within a pixel; a label by the
// edge it keeps and its top, since its size is its caption's.
void ExpectScaledLayout(const Shown& base, const Shown& shown) {
  const double scale = shown.Scale();
  EXPECT_EQ(shown.client.cx, std::lround(base.client.cx * scale));
  EXPECT_EQ(shown.client.cy, std::lround(base.client.cy * scale));
  for (std::size_t i = 0; i < shown.controls.size(); ++i) {
    const RECT& was = base.controls[i].rect;
    const RECT& is = shown.controls[i].rect;
    const ControlDesign& design = *shown.controls[i].design;
    SCOPED_TRACE(Name(design));
    const bool label = design.kind == ControlKind::kLabel;
    if (!label || !design.keeps_right_edge) {
      EXPECT_NEAR(is.left, was.left * scale, 1.0);
    }
    if (!label || design.keeps_right_edge) {
      EXPECT_NEAR(is.right, was.right * scale, 1.0);
    }
    EXPECT_NEAR(is.top, was.top * scale, 1.0);
    if (!label) {
      EXPECT_NEAR(is.bottom, was.bottom * scale, 1.0);
    }
  }
  // Placed in the middle of the screen as at 96 DPI.
  const POINT centred = CentredOnScreen(shown.window);
  EXPECT_EQ(shown.window.left, centred.x);
  EXPECT_EQ(shown.window.top, centred.y);
}

// Labels take their captions' sizes in their fonts at this density; what lies apart at
// 96 DPI lies apart here too, and a label inside a shape at 96 DPI stays inside it;
// the buttons' captions fit their buttons.
void ExpectTextsFit(const Shown& base, const Shown& shown) {
  const FormDesign& design = SetupWindowDesign();
  for (std::size_t i = 0; i < shown.controls.size(); ++i) {
    const Control& control = shown.controls[i];
    SCOPED_TRACE(Name(*control.design));
    if (control.design->kind == ControlKind::kLabel) {
      const SIZE extent = TextExtent(*control.design->font, shown.dpi, control.caption);
      EXPECT_EQ(control.rect.right - control.rect.left, extent.cx);
      EXPECT_EQ(control.rect.bottom - control.rect.top, extent.cy);
      for (const ControlDesign& shape : design.controls) {
        if (shape.kind != ControlKind::kShape) continue;
        if (Inside(base.controls[i].rect, ToRect(ClientBox(design, shape)))) {
          EXPECT_TRUE(Inside(control.rect, ToRect(ClientBox(design, shape, shown.dpi)))) << "outside " << Name(shape);
        }
      }
    }
    if (control.design->kind == ControlKind::kCommandButton) {
      const SIZE extent = TextExtent(design.default_font, shown.dpi, control.caption);
      EXPECT_LT(extent.cx + 8, control.rect.right - control.rect.left);
      EXPECT_LT(extent.cy + 4, control.rect.bottom - control.rect.top);
    }
    for (std::size_t j = i + 1; j < shown.controls.size(); ++j) {
      if (shown.controls[j].design->name == "Picture1") continue;  // holds them all
      if (!Intersect(base.controls[i].rect, base.controls[j].rect)) {
        EXPECT_FALSE(Intersect(control.rect, shown.controls[j].rect)) << "overlaps " << Name(*shown.controls[j].design);
      }
    }
  }
}

// How far the shown picture, averaged over blocks of screen pixels, lies from the carrier
// averaged over the image pixels those blocks show, the image shifted by (dx, dy): the mean
// difference per channel over the bands above and below the shapes, where only the picture shows.
double Mismatch(const Shown& shown, const CarrierImage& carrier, int dx, int dy) {
  // Whole screen pixels over whole image pixels, two of them at least, so that what a
  // smooth scaling blends in from beside a block weighs little.
  const int common = std::gcd(shown.dpi, 96);
  const int doubled = 96 / common == 1 ? 2 : 1;
  const int screen_block = shown.dpi / common * doubled;
  const int image_block = 96 / common * doubled;
  double total = 0;
  int samples = 0;
  for (auto [top, bottom] : {std::pair{0, 6}, std::pair{280, 290}}) {
    for (int y = top; y + image_block <= bottom; y += image_block) {
      for (int x = 2; x + image_block <= 480; x += image_block) {
        for (int channel = 0; channel < 3; ++channel) {
          const auto level = [channel](Rgb pixel) {
            return channel == 0 ? pixel.red : channel == 1 ? pixel.green : pixel.blue;
          };
          double on_screen = 0, in_image = 0;
          const int sx = x / image_block * screen_block, sy = y / image_block * screen_block;
          for (int j = 0; j < screen_block; ++j)
            for (int i = 0; i < screen_block; ++i) on_screen += level(shown.picture->At(sx + i, sy + j));
          for (int j = 0; j < image_block; ++j)
            for (int i = 0; i < image_block; ++i) in_image += level(carrier.Pixel(x + i + 7 + dx, y + j + 53 + dy));
          total += std::abs(on_screen / (screen_block * screen_block) - in_image / (image_block * image_block));
          ++samples;
        }
      }
    }
  }
  return total / samples;
}

void ExpectSamePartOfTheCarrier(const Shown& shown) {
  const CarrierImage carrier;
  const double aligned = Mismatch(shown, carrier, 0, 0);
  std::printf("%d DPI: the picture lies %.2f levels from the carrier's pixels", shown.dpi, aligned);
  double nearest_other = 1e9;
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx)
      if (dx != 0 || dy != 0) nearest_other = std::min(nearest_other, Mismatch(shown, carrier, dx, dy));
  std::printf(", %.2f from those one pixel beside them\n", nearest_other);
  EXPECT_LT(aligned * 2, nearest_other) << "the picture is shifted";
}

TEST(HighDpiTest, TheTwipsDesignIsLaidOutAtEachDensityAsAt96Dpi) {
  PrefixDpi prefix;
  const Shown base = ShowAt(prefix, 96);
  for (int dpi : {96, 144, 192}) {
    SCOPED_TRACE(std::to_string(dpi) + " DPI");
    const Shown shown = dpi == 96 ? base : ShowAt(prefix, dpi);
    ExpectScaledLayout(base, shown);
    ExpectTextsFit(base, shown);
    EXPECT_EQ(shown.terms_lines, base.terms_lines) << "the terms wrap at other words";
    ExpectSamePartOfTheCarrier(shown);
  }
  ResetProductState();
}

}  // namespace
}  // namespace hdgr::e2e
