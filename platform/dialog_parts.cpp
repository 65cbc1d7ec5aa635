#include "platform/dialog_parts.h"

namespace filvex::win {

namespace {

// The template must be DWORD-aligned and is followed by three empty WORD
// arrays (menu, class, title).
struct alignas(4) EmptyTemplate {
  DLGTEMPLATE dlg;
  WORD menu, cls, title;
};

}  // namespace

INT_PTR RunTemplateDialog(HWND owner, DWORD style, short cx, short cy, DLGPROC proc, LPARAM param,
                          DWORD exStyle) {
  EmptyTemplate tpl{};
  tpl.dlg.style = style;
  tpl.dlg.dwExtendedStyle = exStyle;
  tpl.dlg.cx = cx;
  tpl.dlg.cy = cy;
  return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), &tpl.dlg, owner, proc, param);
}

UniqueFont CreateMessageFont() {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  UniqueFont font;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    font.reset(CreateFontIndirectA(&metrics.lfMessageFont));
  return font;
}

HWND AddDialogChild(HWND dlg, const char* cls, const char* text, DWORD style, int id, int x, int y,
                    int w, int h, HFONT font, bool clientEdge) {
  HWND c = CreateWindowExA(
      clientEdge ? WS_EX_CLIENTEDGE : 0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, dlg,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return c;
}

}  // namespace filvex::win
