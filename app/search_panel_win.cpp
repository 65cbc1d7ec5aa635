// The search panel's own behaviour: the hit-limit box and its spin button,
// the filter panel's showing and enabling, its size text, and the options
// dialog. Which change starts a search is decided by SearchTrigger.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdint>

#include "app/controls_win.h"
#include "app/number_text.h"
#include "app/option_dlg_win.h"
#include "app/vemko_searcher_win.h"
#include "platform/window_text.h"

namespace filvex {
namespace {

// Sets a text only when it differs, so that the change notification of the
// edit fires only for a real change (a reformat does not loop).
void SetTextIfChanged(HWND wnd, const std::string& text) {
  if (win::WindowText(wnd) == text) return;
  SetWindowTextA(wnd, text.c_str());
  const int end = static_cast<int>(text.size());
  SendMessageA(wnd, EM_SETSEL, end, end);
}

std::string SelectedText(HWND combo) {
  const int i = win::SelectedIndex(combo);
  if (i < 0) return {};
  char text[64] = {};
  SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
  return text;
}

constexpr int kLastWriteItem = 1;              // "更新日"
constexpr int kRangeItem = 2;                  // "範囲"
constexpr UINT_PTR kArrowSubclassId = 0x5544;  // "UD"

// The time of day the date pickers carry from the window description.
SYSTEMTIME PickerDay(const SYSTEMTIME& day) {
  SYSTEMTIME t = day;
  t.wHour = 16;
  t.wMinute = 31;
  t.wSecond = 57;
  t.wMilliseconds = 0;
  return t;
}

SYSTEMTIME DaysBefore(const SYSTEMTIME& t, int days) {
  FILETIME ft;
  SystemTimeToFileTime(&t, &ft);
  ULARGE_INTEGER u{};
  u.LowPart = ft.dwLowDateTime;
  u.HighPart = ft.dwHighDateTime;
  u.QuadPart -= static_cast<ULONGLONG>(days) * 24ull * 3600ull * 10000000ull;
  ft.dwLowDateTime = u.LowPart;
  ft.dwHighDateTime = u.HighPart;
  SYSTEMTIME out = t;
  FileTimeToSystemTime(&ft, &out);
  return out;
}

LocalDateTime DateTimeOf(const SYSTEMTIME& t) {
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

LocalDateTime PickerValue(HWND picker) {
  SYSTEMTIME t{};
  if (SendMessageA(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t)) == GDT_VALID) {
    return DateTimeOf(t);
  }
  return {};
}

// A size bound in KB: the up-down control's number (it reads its buddy edit
// and keeps the last valid number when the text is not one in 1-1024) times
// the unit of its box (item 1 "MB").
uint32_t SizeBoundKB(HWND updown, HWND unitBox) {
  BOOL failed = FALSE;
  LRESULT n = SendMessageA(updown, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed));
  n = std::clamp<LRESULT>(n, 1, 1024);
  return static_cast<uint32_t>(n) * (win::SelectedIndex(unitBox) == 1 ? 1024u : 1u);
}

void SetArrowStep(HWND updown, UINT step) {
  UDACCEL accel{0, step};
  SendMessageA(updown, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
}

// Sees the mouse on the arrows of a size number around the up-down
// control's own handling. The press is known before the control makes its
// first step (so that step's number change already starts no search); the
// larger step applies from the repeats on, so a single click still steps by 1.
LRESULT CALLBACK SizeArrowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                               DWORD_PTR ref) {
  auto* window = reinterpret_cast<TVemkoSearcher*>(ref);
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(wnd, &SizeArrowProc, id);
  const bool press = msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK;
  if (press) window->SuppressSizeSearch = true;
  const LRESULT result = DefSubclassProc(wnd, msg, wp, lp);
  if (press) window->UpDown2MouseDown(wnd);
  // The press ends with the button's release, and also when the control
  // loses the mouse otherwise (another window takes it, Esc, a dialog): a
  // press left on would keep the numbers from ever searching again.
  if (msg == WM_LBUTTONUP || msg == WM_CAPTURECHANGED || msg == WM_CANCELMODE) {
    window->UpDown2MouseUp(wnd);
  }
  return result;
}

}  // namespace

void TVemkoSearcher::HookSizeArrows() {
  for (HWND updown : {UpDown2, UpDown3}) {
    SetWindowSubclass(updown, &SizeArrowProc, kArrowSubclassId, reinterpret_cast<DWORD_PTR>(this));
  }
}

void TVemkoSearcher::UpDown2MouseDown(HWND updown) {
  // The number changes of a held arrow start no search, and after the first
  // step the arrow steps by 16.
  SuppressSizeSearch = true;
  SetArrowStep(updown, 16);
}

void TVemkoSearcher::UpDown2MouseUp(HWND updown) {
  if (!SuppressSizeSearch) return;
  SetArrowStep(updown, 1);
  SuppressSizeSearch = false;
}

bool TVemkoSearcher::SearchPanelCommand(HWND control, UINT code) {
  if (control == NumberEdit1) {
    if (code == EN_CHANGE) NumberEdit1Change();
    return true;
  }
  if (control == CSpinButton1) {
    if (code == kSpinUpClick) CSpinButton1UpClick();
    if (code == kSpinDownClick) CSpinButton1DownClick();
    return true;
  }
  if (control == SpeedButton2) {
    if (code == BN_CLICKED) SpeedButton2Click();
    return true;
  }
  if (control == CheckBox9 || control == CheckBox10) {
    if (code == BN_CLICKED) {
      if (control == CheckBox9)
        CheckBox9Click();
      else
        CheckBox10Click();
      SearchTrigger(control, code);
    }
    return true;
  }
  if (control == ComboBox1 || control == ComboBox2 || control == ComboBox3 ||
      control == ComboBox4) {
    if (code == CBN_SELCHANGE) {
      if (control == ComboBox1)
        ComboBox1Change();
      else if (control == ComboBox2)
        ComboBox2Change();
      else
        UpdateSizeText();
      SearchTrigger(control, code);
    }
    return true;
  }
  for (HWND c : {Edit1, Edit3, NumberEdit2, NumberEdit3, SpeedButton3, SpeedButton7, CheckBox1,
                 CheckBox2, CheckBox3, CheckBox4, CheckBox5, CheckBox6, CheckBox7, CheckBox8}) {
    if (control == c) {
      SearchTrigger(control, code);
      return true;
    }
  }
  return false;
}

void TVemkoSearcher::NumberEdit1Change() {
  // A change typed by the user is read (every "," but a last one dropped); a
  // change written by the spin buttons was already applied to the limit.
  // Either way the limit is clamped and shown grouped by three ("#,000").
  Settings.max = NumberEditFromUser ? TypedHitLimit(win::WindowText(NumberEdit1), Settings.max)
                                    : ClampHitLimit(Settings.max);
  SetTextIfChanged(NumberEdit1, HitLimitText(Settings.max));
  NumberEditFromUser = true;
}

void TVemkoSearcher::CSpinButton1UpClick() {
  Settings.max = Settings.max + 1;
  NumberEditFromUser = false;
  SetWindowTextA(NumberEdit1, std::to_string(Settings.max).c_str());
}

void TVemkoSearcher::CSpinButton1DownClick() {
  Settings.max = Settings.max - 1;
  NumberEditFromUser = false;
  SetWindowTextA(NumberEdit1, std::to_string(Settings.max).c_str());
}

void TVemkoSearcher::SpeedButton2Click() {
  const bool show = win::IsChecked(SpeedButton2);
  if (show) EnsureFilterPanel();
  if (!Panel5) return;  // hiding what was never made
  ShowWindow(Panel5, show ? SW_SHOW : SW_HIDE);
  LayoutControls();
}

void TVemkoSearcher::EnsureFilterPanel() {
  if (Panel5) return;
  FilterPanelMaking = true;
  CreateFilterPanel();
  // The defaults as at start (the column caption of 「更新日」 was set then).
  SendMessageA(ComboBox1, CB_SETCURSEL, kLastWriteItem, 0);
  for (HWND combo : {ComboBox2, ComboBox3, ComboBox4}) SendMessageA(combo, CB_SETCURSEL, 0, 0);
  for (auto [picker, day] :
       {std::pair{DateTimePicker2, PickerDay(FilterStartDay)},
        std::pair{DateTimePicker1, PickerDay(DaysBefore(FilterStartDay, 1))}}) {
    SendMessageA(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&day));
  }
  FilterPanelMaking = false;
}

void TVemkoSearcher::ReadFilterPanel(SearchQuery& q) const {
  if (!Panel5) {
    q.dateOn = false;
    q.dateKind = DateKind::LastWrite;
    q.dateFrom = DateTimeOf(PickerDay(DaysBefore(FilterStartDay, 1)));
    q.dateTo = DateTimeOf(PickerDay(FilterStartDay));
    q.sizeOn = false;
    q.sizeRelation = SizeRelation::Smaller;
    q.sizeLowKB = q.sizeHighKB = 1;
    return;
  }
  q.dateOn = win::IsChecked(CheckBox9);
  q.dateKind = win::SelectedIndex(ComboBox1) == 0 ? DateKind::Created : DateKind::LastWrite;
  q.dateFrom = PickerValue(DateTimePicker1);
  q.dateTo = PickerValue(DateTimePicker2);
  q.sizeOn = win::IsChecked(CheckBox10);
  const int relation = win::SelectedIndex(ComboBox2);
  q.sizeRelation = relation == 1            ? SizeRelation::Larger
                   : relation == kRangeItem ? SizeRelation::Range
                                            : SizeRelation::Smaller;
  q.sizeLowKB = SizeBoundKB(UpDown2, ComboBox3);
  q.sizeHighKB = SizeBoundKB(UpDown3, ComboBox4);
}

void TVemkoSearcher::CheckBox9Click() {
  const bool on = win::IsChecked(CheckBox9);
  for (HWND c : {ComboBox1, DateTimePicker1, DateTimePicker2}) EnableWindow(c, on);
}

void TVemkoSearcher::CheckBox10Click() {
  const bool on = win::IsChecked(CheckBox10);
  for (HWND c : {ComboBox2, UpDown2, NumberEdit2, ComboBox3}) EnableWindow(c, on);
  const bool second = on && win::SelectedIndex(ComboBox2) == kRangeItem;
  for (HWND c : {UpDown3, NumberEdit3, ComboBox4}) EnableWindow(c, second);
}

void TVemkoSearcher::ComboBox1Change() {
  SetListColumnCaption(2, SelectedText(ComboBox1));
}

void TVemkoSearcher::ComboBox2Change() {
  const bool second = win::IsChecked(CheckBox10) && win::SelectedIndex(ComboBox2) == kRangeItem;
  for (HWND c : {NumberEdit3, UpDown3, ComboBox4}) EnableWindow(c, second);
  if (IsVisible()) UpdateSizeText();
}

void TVemkoSearcher::UpdateSizeText() {
  auto position = [](HWND updown) {
    return static_cast<uint64_t>(SendMessageA(updown, UDM_GETPOS32, 0, 0));
  };
  const std::string text = SizeBoundsText(position(UpDown2), win::SelectedIndex(ComboBox3),
                                          /*range=*/win::SelectedIndex(ComboBox2) == kRangeItem,
                                          position(UpDown3), win::SelectedIndex(ComboBox4));
  SetWindowTextA(StaticText2, text.c_str());
}

void TVemkoSearcher::OptionMenuClick() {
  // The dialog edits the settings in memory only; they reach the settings
  // file at the next close, and no search restarts.
  TOptionDlg::Execute(hwnd_, Settings);
}

}  // namespace filvex
