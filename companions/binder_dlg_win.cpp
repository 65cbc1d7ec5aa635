#include "companions/binder_dlg_win.h"

#include <string_view>

#include "companions/companion_message.h"
#include "platform/dialog_parts.h"
#include "platform/window_text.h"

namespace filvex {
namespace {

constexpr int kBinderImage = 16;  // the binder glyph of the main window's images
constexpr int kVisibleRows = 12;
constexpr int kRowHeight = 18;

struct DialogState {
  std::string caption;
  const std::vector<std::string>* choices;
  HIMAGELIST images;
  HFONT font;
  std::string name;
  // Set while Edit1 is filled from the list, so that its change does not
  // select a row again.
  bool fillingEdit = false;
};

std::function<void(HWND)>& ShownHook() {
  static std::function<void(HWND)> hook;
  return hook;
}

std::string ComboLine(HWND combo, int row) {
  const LRESULT len = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(row), 0);
  if (len == CB_ERR) return {};
  std::string s(static_cast<size_t>(len) + 1, '\0');
  SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(s.data()));
  s.resize(static_cast<size_t>(len));
  return s;
}

// Typing in Edit1 selects the row whose whole line is the text, else the
// first whose name part is, else none.
void SelectTypedRow(HWND dlg) {
  HWND combo = GetDlgItem(dlg, TBinderAddDlg::kComboBox1);
  const std::string text = win::WindowText(GetDlgItem(dlg, TBinderAddDlg::kEdit1));
  const int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
  int found = -1;
  for (int i = 0; i < count && found < 0; ++i) {
    if (ComboLine(combo, i) == text) found = i;
  }
  for (int i = 0; i < count && found < 0; ++i) {
    if (BinderChoiceName(ComboLine(combo, i)) == text) found = i;
  }
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
}

void UpdateOkButton(HWND dlg) {
  EnableWindow(GetDlgItem(dlg, IDOK),
               GetWindowTextLengthA(GetDlgItem(dlg, TBinderAddDlg::kEdit1)) > 0);
}

void DrawRow(const DialogState& state, const DRAWITEMSTRUCT& d) {
  const bool selected = (d.itemState & ODS_SELECTED) != 0;
  FillRect(d.hDC, &d.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (d.itemID == static_cast<UINT>(-1)) return;
  const std::string line = ComboLine(d.hwndItem, static_cast<int>(d.itemID));
  const std::string_view name = BinderChoiceName(line);
  const int top = d.rcItem.top + (d.rcItem.bottom - d.rcItem.top - 16) / 2;
  if (state.images)
    ImageList_Draw(state.images, kBinderImage, d.hDC, d.rcItem.left + 2, top, ILD_TRANSPARENT);
  SetBkMode(d.hDC, TRANSPARENT);
  SetTextColor(d.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  RECT text = d.rcItem;
  text.left += 22;
  DrawTextA(d.hDC, name.data(), static_cast<int>(name.size()), &text,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  if (d.itemState & ODS_FOCUS) DrawFocusRect(d.hDC, &d.rcItem);
}

void Layout(HWND dlg, DialogState& state) {
  constexpr int kWidth = 320, kHeight = 150;
  HFONT f = state.font;
  win::AddDialogChild(dlg, "STATIC", "選択したフォルダの追加先バインダーを指定", SS_LEFT, -1, 12,
                      12, kWidth - 24, 18, f);
  win::AddDialogChild(dlg, "STATIC", "バインダー名", SS_LEFT, -1, 12, 40, 90, 18, f);
  win::AddDialogChild(dlg, "EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, TBinderAddDlg::kEdit1, 104, 38,
                      kWidth - 116, 22, f, /*clientEdge=*/true);
  HWND combo = win::AddDialogChild(
      dlg, "COMBOBOX", "",
      CBS_DROPDOWNLIST | CBS_SORT | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP,
      TBinderAddDlg::kComboBox1, 104, 66, kWidth - 116, kRowHeight * (kVisibleRows + 1) + 8, f);
  for (const std::string& line : *state.choices) {
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  }
  win::AddDialogChild(dlg, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, kWidth - 180,
                      kHeight - 40, 80, 26, f);
  win::AddDialogChild(dlg, "BUTTON", "キャンセル", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL,
                      kWidth - 92, kHeight - 40, 80, 26, f);
  SetWindowTextA(dlg, state.caption.c_str());
  RECT rc{0, 0, kWidth, kHeight};
  AdjustWindowRectEx(&rc, static_cast<DWORD>(GetWindowLongPtrA(dlg, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrA(dlg, GWL_EXSTYLE)));
  RECT owner{};
  GetWindowRect(GetParent(dlg) ? GetParent(dlg) : GetDesktopWindow(), &owner);
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  SetWindowPos(dlg, nullptr, owner.left + ((owner.right - owner.left) - w) / 2,
               owner.top + ((owner.bottom - owner.top) - h) / 2, w, h, SWP_NOZORDER);
  UpdateOkButton(dlg);
}

INT_PTR CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrA(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dlg, DWLP_USER, lp);
      Layout(dlg, *reinterpret_cast<DialogState*>(lp));
      SetFocus(GetDlgItem(dlg, TBinderAddDlg::kEdit1));
      if (ShownHook()) ShownHook()(dlg);
      return FALSE;  // the focus was set here
    case WM_MEASUREITEM: {
      auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      m->itemHeight = kRowHeight;
      return TRUE;
    }
    case WM_DRAWITEM:
      if (state && static_cast<int>(wp) == TBinderAddDlg::kComboBox1) {
        DrawRow(*state, *reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        return TRUE;
      }
      break;
    case WM_COMMAND:
      if (!state) break;
      if (LOWORD(wp) == TBinderAddDlg::kComboBox1 && HIWORD(wp) == CBN_SELCHANGE) {
        HWND combo = reinterpret_cast<HWND>(lp);
        const int row = static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0));
        if (row >= 0) {
          const std::string name(BinderChoiceName(ComboLine(combo, row)));
          state->fillingEdit = true;
          SetDlgItemTextA(dlg, TBinderAddDlg::kEdit1, name.c_str());
          state->fillingEdit = false;
        }
        return TRUE;
      }
      if (LOWORD(wp) == TBinderAddDlg::kEdit1 && HIWORD(wp) == EN_CHANGE) {
        if (!state->fillingEdit) SelectTypedRow(dlg);
        UpdateOkButton(dlg);
        return TRUE;
      }
      if (LOWORD(wp) == IDOK) {
        state->name = win::WindowText(GetDlgItem(dlg, TBinderAddDlg::kEdit1));
        if (state->name.empty()) return TRUE;  // Enter in an empty box
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

std::optional<std::string> TBinderAddDlg::Execute(HWND owner, const std::string& caption,
                                                  const std::vector<std::string>& choices,
                                                  HIMAGELIST images) {
  win::UniqueFont font = win::CreateMessageFont();
  DialogState state{caption,
                    &choices,
                    images,
                    font ? font.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)),
                    {}};
  const INT_PTR result =
      win::RunTemplateDialog(owner, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 200, 100,
                             DialogProc, reinterpret_cast<LPARAM>(&state));
  if (result != IDOK) return std::nullopt;
  return state.name;
}

void TBinderAddDlg::SetShownHookForTests(std::function<void(HWND dialog)> hook) {
  ShownHook() = std::move(hook);
}

}  // namespace filvex
