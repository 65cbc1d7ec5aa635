#include "app/option_dlg_win.h"

#include <string>

namespace filvex {
namespace {

struct DialogState {
  bool boxes[6];
  HFONT font;
};

const char* const kCaptions[6] = {
    "ファイルからアイコンを自動的に取得", "検索時に存在確認を行う",
    "ヒット数が制限を超えたら検索を中止する", "更新と検索を同時に行う",
    "サイズはKB単位で表示する", "ごみ箱のファイルも検索対象にする",
};

HWND AddChild(HWND dlg, const char* cls, const char* text, DWORD style, int id, int x, int y,
              int w, int h, HFONT font) {
  HWND c = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, dlg,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
  SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return c;
}

INT_PTR CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: {
      auto* state = reinterpret_cast<DialogState*>(lp);
      SetWindowLongPtrA(dlg, DWLP_USER, lp);
      SetWindowTextA(dlg, "設定");
      constexpr int kWidth = 300, kHeight = 206;
      int y = 12;
      for (int i = 0; i < 6; ++i) {
        if (i == 2) {  // a line between the icon/existence pair and the rest
          AddChild(dlg, "STATIC", "", SS_ETCHEDHORZ, -1, 12, y + 2, kWidth - 24, 2, state->font);
          y += 10;
        }
        HWND box = AddChild(dlg, "BUTTON", kCaptions[i], BS_AUTOCHECKBOX | WS_TABSTOP,
                            TOptionDlg::kFirstBoxId + i, 16, y, kWidth - 32, 20, state->font);
        SendMessageA(box, BM_SETCHECK, state->boxes[i] ? BST_CHECKED : BST_UNCHECKED, 0);
        y += 24;
      }
      AddChild(dlg, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, kWidth - 180, y + 8, 80,
               26, state->font);
      AddChild(dlg, "BUTTON", "キャンセル", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, kWidth - 92,
               y + 8, 80, 26, state->font);
      RECT rc{0, 0, kWidth, kHeight};
      AdjustWindowRectEx(&rc, static_cast<DWORD>(GetWindowLongPtrA(dlg, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(GetWindowLongPtrA(dlg, GWL_EXSTYLE)));
      RECT owner{};
      GetWindowRect(GetParent(dlg) ? GetParent(dlg) : GetDesktopWindow(), &owner);
      const int w = rc.right - rc.left, h = rc.bottom - rc.top;
      SetWindowPos(dlg, nullptr, owner.left + ((owner.right - owner.left) - w) / 2,
                   owner.top + ((owner.bottom - owner.top) - h) / 2, w, h, SWP_NOZORDER);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK) {
        auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrA(dlg, DWLP_USER));
        for (int i = 0; i < 6; ++i) {
          state->boxes[i] =
              IsDlgButtonChecked(dlg, TOptionDlg::kFirstBoxId + i) == BST_CHECKED;
        }
        EndDialog(dlg, IDOK);
        return TRUE;
      }
      if (LOWORD(wp) == IDCANCEL) {
        EndDialog(dlg, IDCANCEL);
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

bool TOptionDlg::Execute(HWND owner, filvex::Settings& settings) {
  // An empty dialog template (no controls, no title, the system font); the
  // controls and the Japanese caption are made in WM_INITDIALOG with the ANSI
  // functions. The template must be DWORD-aligned and is followed by three
  // empty WORD arrays (menu, class, title).
  struct alignas(4) Template {
    DLGTEMPLATE dlg;
    WORD menu, cls, title;
  } tpl{};
  tpl.dlg.style = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  tpl.dlg.cx = 200;
  tpl.dlg.cy = 140;

  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  HFONT font = nullptr;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    font = CreateFontIndirectA(&metrics.lfMessageFont);
  }
  DialogState state{{settings.ico, settings.chk, settings.maxstop, settings.upmode,
                      settings.sizekb, settings.recy},
                    font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))};
  const INT_PTR result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), &tpl.dlg, owner,
                                                 DialogProc, reinterpret_cast<LPARAM>(&state));
  if (font) DeleteObject(font);
  if (result != IDOK) return false;
  settings.ico = state.boxes[0];
  settings.chk = state.boxes[1];
  settings.maxstop = state.boxes[2];
  settings.upmode = state.boxes[3];
  settings.sizekb = state.boxes[4];
  settings.recy = state.boxes[5];
  return true;
}

}  // namespace filvex
