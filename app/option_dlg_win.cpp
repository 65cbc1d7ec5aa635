#include "app/option_dlg_win.h"

#include <string>

#include "platform/dialog_parts.h"

namespace filvex {
namespace {

struct DialogState {
  bool boxes[6];
  HFONT font;
};

const char* const kCaptions[6] = {
    "ファイルからアイコンを自動的に取得",
    "検索時に存在確認を行う",
    "ヒット数が制限を超えたら検索を中止する",
    "更新と検索を同時に行う",
    "サイズはKB単位で表示する",
    "ごみ箱のファイルも検索対象にする",
};

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
          win::AddDialogChild(dlg, "STATIC", "", SS_ETCHEDHORZ, -1, 12, y + 2, kWidth - 24, 2,
                              state->font);
          y += 10;
        }
        HWND box =
            win::AddDialogChild(dlg, "BUTTON", kCaptions[i], BS_AUTOCHECKBOX | WS_TABSTOP,
                                TOptionDlg::kFirstBoxId + i, 16, y, kWidth - 32, 20, state->font);
        SendMessageA(box, BM_SETCHECK, state->boxes[i] ? BST_CHECKED : BST_UNCHECKED, 0);
        y += 24;
      }
      win::AddDialogChild(dlg, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, kWidth - 180,
                          y + 8, 80, 26, state->font);
      win::AddDialogChild(dlg, "BUTTON", "キャンセル", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL,
                          kWidth - 92, y + 8, 80, 26, state->font);
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
          state->boxes[i] = IsDlgButtonChecked(dlg, TOptionDlg::kFirstBoxId + i) == BST_CHECKED;
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
  win::UniqueFont font = win::CreateMessageFont();
  DialogState state{{settings.ico, settings.chk, settings.maxstop, settings.upmode, settings.sizekb,
                     settings.recy},
                    font ? font.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))};
  const INT_PTR result =
      win::RunTemplateDialog(owner, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 200, 140,
                             DialogProc, reinterpret_cast<LPARAM>(&state));
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
