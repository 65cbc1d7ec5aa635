#include "searchlist/maintenance_dlg_win.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>

#include "platform/dialog_parts.h"

namespace filvex {
namespace {

// The indicator's toggle: 5 shows the first text, 4 the second. Kept for the
// life of the process, so each dialog goes on from where the last one was.
int& IndicatorToggle() {
  static int toggle = 5;
  return toggle;
}

std::function<void(TMsgCanselDlg&)>& ShowHook() {
  static std::function<void(TMsgCanselDlg&)> hook;
  return hook;
}

TYesNoChkDlg::Hook& YesNoHook() {
  static TYesNoChkDlg::Hook hook;
  return hook;
}

// Gives the dialog the client size asked for, centred on the screen.
void SizeAndCentre(HWND dlg, int clientWidth, int clientHeight) {
  RECT rc{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&rc, static_cast<DWORD>(GetWindowLongPtrA(dlg, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrA(dlg, GWL_EXSTYLE)));
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  SetWindowPos(dlg, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, SWP_NOZORDER);
}

}  // namespace

// ---- TMsgCanselDlg ---------------------------------------------------------

void TMsgCanselDlg::SetShowHookForTests(std::function<void(TMsgCanselDlg&)> hook) {
  ShowHook() = std::move(hook);
}

void TMsgCanselDlg::ShowModal(HWND owner) {
  win::UniqueFont font = win::CreateMessageFont();
  font_ = font ? font.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  workDone_ = false;
  win::RunTemplateDialog(owner, DS_MODALFRAME | WS_POPUP | WS_CAPTION, 200, 60, DialogProc,
                         reinterpret_cast<LPARAM>(this));
  hwnd_ = nullptr;
}

void TMsgCanselDlg::InitDialog(HWND dlg) {
  hwnd_ = dlg;
  SetWindowTextA(dlg, caption_.c_str());
  constexpr int kWidth = 313, kHeight = 82;
  panel1_ = win::AddDialogChild(dlg, "STATIC", "", SS_LEFT | SS_CENTERIMAGE, kPanel1Id, 12, 8,
                                kWidth - 24, 20, font_);
  progressBar1_ = win::AddDialogChild(dlg, PROGRESS_CLASSA, "", 0, kProgressBar1Id, 12, 32,
                                      kWidth - 24, 14, font_);
  win::AddDialogChild(dlg, "BUTTON", "キャンセル", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL,
                      (kWidth - 88) / 2, 52, 88, 24, font_);
  SizeAndCentre(dlg, kWidth, kHeight);
  // On show: the first indicator and the message; Timer1 starts the work,
  // Timer2 turns the indicator every second.
  SetWindowTextA(panel1_, (std::string(kIndicatorA) + message_).c_str());
  SetTimer(dlg, kTimer1, 10, nullptr);
  SetTimer(dlg, kTimer2, 1000, nullptr);
}

void TMsgCanselDlg::Timer1Timer() {
  KillTimer(hwnd_, kTimer1);
  if (workDone_) return;
  workDone_ = true;
  SetProgress(0);
  if (ShowHook()) ShowHook()(*this);
  if (Work) Work();
  KillTimer(hwnd_, kTimer2);
  EndDialog(hwnd_, IDOK);
}

void TMsgCanselDlg::ShowIndicator() {
  const char* indicator = IndicatorToggle() == 5 ? kIndicatorA : kIndicatorB;
  SetWindowTextA(panel1_, (std::string(indicator) + message_).c_str());
}

void TMsgCanselDlg::Timer2Timer() {
  ShowIndicator();
  IndicatorToggle() = IndicatorToggle() == 5 ? 4 : 5;
}

void TMsgCanselDlg::SetProgressMax(size_t max) {
  max_ = max;
  SendMessageA(progressBar1_, PBM_SETRANGE32, 0,
               static_cast<LPARAM>(std::min<size_t>(max, INT_MAX)));
}

void TMsgCanselDlg::SetProgress(size_t position) {
  position_ = position;
  SendMessageA(progressBar1_, PBM_SETPOS, static_cast<WPARAM>(std::min<size_t>(position, INT_MAX)),
               0);
}

void TMsgCanselDlg::ServeMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (hwnd_ && IsDialogMessageA(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

std::string TMsgCanselDlg::Panel1Text() const {
  char buf[512] = {};
  GetWindowTextA(panel1_, buf, sizeof buf);
  return buf;
}

INT_PTR CALLBACK TMsgCanselDlg::DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<TMsgCanselDlg*>(GetWindowLongPtrA(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dlg, DWLP_USER, lp);
      reinterpret_cast<TMsgCanselDlg*>(lp)->InitDialog(dlg);
      return TRUE;
    case WM_TIMER:
      if (!self) break;
      if (wp == kTimer1) self->Timer1Timer();
      if (wp == kTimer2) self->Timer2Timer();
      return TRUE;
    case WM_COMMAND:
      // The cancel button, Escape and the close box: only the stop request;
      // the dialog closes when the work has returned.
      if (self && LOWORD(wp) == IDCANCEL) self->CancelBtnClick();
      return TRUE;
    case WM_SETCURSOR:
      SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
      SetWindowLongPtrA(dlg, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_CTLCOLORSTATIC:
      if (self && reinterpret_cast<HWND>(lp) == self->panel1_) {
        HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, RGB(0x40, 0x40, 0x40));  // dark grey
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    default:
      break;
  }
  return FALSE;
}

// ---- TYesNoChkDlg ----------------------------------------------------------

namespace {

struct YesNoState {
  std::string caption, question;
  bool checked;
  HFONT font;
};

INT_PTR CALLBACK YesNoProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: {
      auto* s = reinterpret_cast<YesNoState*>(lp);
      SetWindowLongPtrA(dlg, DWLP_USER, lp);
      SetWindowTextA(dlg, s->caption.c_str());
      constexpr int kWidth = 397, kHeight = 115;
      win::AddDialogChild(dlg, "STATIC", s->question.c_str(), SS_LEFT, TYesNoChkDlg::kLabel1Id, 16,
                          16, kWidth - 32, 20, s->font);
      HWND box = win::AddDialogChild(dlg, "BUTTON", "存在しないドライブは除く",
                                     BS_AUTOCHECKBOX | WS_TABSTOP, TYesNoChkDlg::kCheckBox1Id, 16,
                                     44, kWidth - 32, 20, s->font);
      SendMessageA(box, BM_SETCHECK, s->checked ? BST_CHECKED : BST_UNCHECKED, 0);
      HWND yes = win::AddDialogChild(dlg, "BUTTON", "はい", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK,
                                     kWidth - 196, 78, 84, 26, s->font);
      win::AddDialogChild(dlg, "BUTTON", "いいえ", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL,
                          kWidth - 100, 78, 84, 26, s->font);
      SizeAndCentre(dlg, kWidth, kHeight);
      SetFocus(yes);
      return FALSE;  // the focus is set
    }
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
        auto* s = reinterpret_cast<YesNoState*>(GetWindowLongPtrA(dlg, DWLP_USER));
        s->checked = IsDlgButtonChecked(dlg, TYesNoChkDlg::kCheckBox1Id) == BST_CHECKED;
        EndDialog(dlg, LOWORD(wp));
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

TYesNoChkDlg::Hook TYesNoChkDlg::SetHookForTests(Hook hook) {
  Hook previous = std::move(YesNoHook());
  YesNoHook() = std::move(hook);
  return previous;
}

bool TYesNoChkDlg::Execute(HWND owner, const std::string& caption, const std::string& question,
                           bool* checked) {
  if (YesNoHook()) return YesNoHook()(question, checked);
  win::UniqueFont font = win::CreateMessageFont();
  YesNoState state{caption, question, *checked,
                   font ? font.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))};
  const INT_PTR result =
      win::RunTemplateDialog(owner, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 240, 80,
                             YesNoProc, reinterpret_cast<LPARAM>(&state));
  *checked = state.checked;
  return result == IDOK;
}

}  // namespace filvex
