#include "platform/win32/window/design_wrap.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/window/display_density.h"
#include "platform/win32/window/form_colours.h"
#include "platform/win32/window/gdi_handles.h"

namespace hdgr::win32 {

namespace {

std::vector<LRESULT> LineStarts(HWND text_box) {
  std::vector<LRESULT> starts(static_cast<std::size_t>(SendMessageW(text_box, EM_GETLINECOUNT, 0, 0)));
  for (std::size_t line = 0; line < starts.size(); ++line) starts[line] = SendMessageW(text_box, EM_LINEINDEX, line, 0);
  return starts;
}

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The lines of the text box's text as the system wraps them at the design's density: the
// design's font, and the client width the design's box has there.
std::vector<LRESULT> DesignLines(HWND text_box, const FontSpec& font, int design_width) {
  const Font design_font = CreateDesignFont(font, kDesignDpi);
  const LONG_PTR style = GetWindowLongPtrW(text_box, GWL_STYLE);
  const OwnedWindow probe(CreateWindowExW(static_cast<DWORD>(GetWindowLongPtrW(text_box, GWL_EXSTYLE)), L"EDIT",
                                          TextOf(text_box).c_str(),
                                          WS_POPUP | (static_cast<DWORD>(style) & (WS_VSCROLL | ES_MULTILINE)),
                                          0, 0, design_width, 100, nullptr, nullptr, GetModuleHandleW(nullptr),
                                          nullptr));
  if (!probe) return {};
  SendMessageW(probe.Get(), WM_SETFONT, reinterpret_cast<WPARAM>(design_font.Get()), FALSE);
  // This system's scroll bar and border are of its own density: the probe's client area is
  // made as wide as the design's box has it at 96 DPI.
  const int scroll_bar = (style & WS_VSCROLL) != 0 ? ScrollBarWidth(kDesignDpi) : 0;
  const int design_client = design_width - 2 * kSunkenBorderPixels - scroll_bar;
  RECT client;
  GetClientRect(probe.Get(), &client);
  SetWindowPos(probe.Get(), nullptr, 0, 0, design_width + design_client - client.right, 100,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return LineStarts(probe.Get());
}

}  // namespace

void KeepDesignWrap(HWND text_box, const FontSpec& font, int design_width, int dpi) {
  if (dpi == kDesignDpi) return;
  const std::vector<LRESULT> design = DesignLines(text_box, font, design_width);
  if (design.empty() || LineStarts(text_box) == design) return;
  // The right margin moves a few pixels either way; the font's own margin is the start.
  const auto margins = static_cast<DWORD>(SendMessageW(text_box, EM_GETMARGINS, 0, 0));
  const int own = HIWORD(margins);
  RECT client;
  GetClientRect(text_box, &client);
  const int reach = std::max(4, static_cast<int>(client.right) / 50);
  for (int step = 1; step <= reach; ++step) {
    for (int right : {own + step, own - step}) {
      if (right < 0) continue;
      SendMessageW(text_box, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, right));
      if (LineStarts(text_box) == design) return;
    }
  }
  SendMessageW(text_box, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, own));
}

}  // namespace hdgr::win32
