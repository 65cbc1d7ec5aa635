// What a user sees of the search panel: which changes of the filter panel
// start a search and which do not, how its controls enable one another, the
// size text, the arrows of the size numbers held down, the hit-limit spin
// button held down, the options dialog's six boxes, the digits edit, and the
// width limits of the result list's columns.
#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "app/controls_win.h"
#include "app/number_text.h"
#include "app/option_dlg_win.h"
#include "app/vemko_searcher_win.h"
#include "platform/message_box.h"
#include "platform/window_text.h"
#include "results/row_text.h"
#include "search/search_run_win.h"
#include "searchlist/list_files.h"
#include "tests/win/win_test_util.h"
#include "tests/win/window_test_util.h"

namespace filvex {
namespace {

// A caption the window itself never shows: a search that ends rewrites the
// name column's caption with its hit count, so the sentinel tells whether one
// ran.
constexpr char kNoSearchMark[] = "-";

void ChooseItem(TVemkoSearcher& w, HWND combo, int item) {
  SendMessageA(combo, CB_SETCURSEL, item, 0);
  SendMessageA(w.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
}

void Click(HWND button) {
  SendMessageA(button, BM_CLICK, 0, 0);
}

// Clicks a check box when it does not show `on` yet.
void SetBox(HWND box, bool on) {
  if (win::IsChecked(box) != on) Click(box);
}

// Serves the window's messages for a while; used only where something must
// not happen (a release that stops a repeat), never to assert a time.
void PumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    test::Pump();
    Sleep(5);
  }
}

// Serves messages until `done` holds; false when it never does.
bool PumpUntil(const std::function<bool()>& done) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > 20000) return false;
    test::Pump();
    Sleep(5);
  }
  return true;
}

PackedDate Packed(const char* text) {
  PackedDate d = 0;
  PackDateText(text, &d);
  return d;
}

class SearchPanelTest : public ::testing::Test {
 protected:
  void SetUp() override { hook_ = test::RecordMessageBoxes(boxes_, IDNO); }

  // A window over a list of five text files of 1, 3, 5, 2,000 and 40,000 KB,
  // shown as at start, with "txt" typed into the name box.
  std::unique_ptr<TVemkoSearcher> Start(bool show = true) {
    const std::string folder = test::FreshFolder("panel") + "\\";
    const std::string data = folder + "data";
    CreateDirectoryA(data.c_str(), nullptr);
    SearchList list;
    list.FolderList.append("C:");
    list.FolderInfoList.appendRoot();
    list.FolderList.append("C:\\Data");
    list.FolderInfoList.appendDated(Packed("2020/05/01 10:00"), Packed("2020/05/01 10:00"), 0x10,
                                    false, 0);
    for (uint32_t size : {1u, 3u, 5u, 2000u, 40000u}) {
      list.FileList.append(1, "f" + std::to_string(size) + ".txt");
      list.FileInfoList.appendDated(Packed("2020/05/01 10:00"), Packed("2020/05/01 10:00"), 0x20,
                                    true, size);
    }
    DriveCounts folderCounts, fileCounts;
    CountEntriesPerDrive(list, folderCounts, fileCounts);
    EXPECT_TRUE(SaveListFiles(data, list, folderCounts, fileCounts));
    StartOptions options;
    options.programFolder = folder;
    options.launcherFolder = folder + "no-launcher";
    auto w = std::make_unique<TVemkoSearcher>(options);
    if (show) w->Show(SW_SHOWNOACTIVATE);
    test::Pump();
    SetWindowTextA(w->Edit1, "txt");
    EXPECT_TRUE(test::WaitForSearch(*w));
    EXPECT_TRUE(boxes_.empty());
    return w;
  }

  static int Rows(const TVemkoSearcher& w) {
    return static_cast<int>(SendMessageA(w.ListView1, LVM_GETITEMCOUNT, 0, 0));
  }

  std::vector<std::string> boxes_;
  std::unique_ptr<win::ScopedMessageBoxHook> hook_;
};

TEST_F(SearchPanelTest, FilterChangesStartSearchesAndLimitChangesDoNot) {
  auto w = Start();
  ASSERT_EQ(Rows(*w), 5);
  struct Step {
    const char* what;
    std::function<void(TVemkoSearcher&)> act;
    bool searches;
  };
  const Step steps[] = {
      {"Option shows the panel", [](TVemkoSearcher& x) { Click(x.SpeedButton2); }, false},
      {"date box", [](TVemkoSearcher& x) { Click(x.CheckBox9); }, true},
      {"date kind", [](TVemkoSearcher& x) { ChooseItem(x, x.ComboBox1, 0); }, true},
      {"date box off", [](TVemkoSearcher& x) { Click(x.CheckBox9); }, true},
      {"size box", [](TVemkoSearcher& x) { Click(x.CheckBox10); }, true},
      {"relation", [](TVemkoSearcher& x) { ChooseItem(x, x.ComboBox2, 2); }, true},
      {"first unit", [](TVemkoSearcher& x) { ChooseItem(x, x.ComboBox3, 0); }, true},
      {"second unit", [](TVemkoSearcher& x) { ChooseItem(x, x.ComboBox4, 1); }, true},
      {"first number", [](TVemkoSearcher& x) { SetWindowTextA(x.NumberEdit2, "3"); }, true},
      {"second number", [](TVemkoSearcher& x) { SetWindowTextA(x.NumberEdit3, "2"); }, true},
      {"hit limit typed", [](TVemkoSearcher& x) { SetWindowTextA(x.NumberEdit1, "5000"); }, false},
      {"hit limit spin", [](TVemkoSearcher& x) { x.CSpinButton1UpClick(); }, false},
      {"Option hides the panel", [](TVemkoSearcher& x) { Click(x.SpeedButton2); }, false},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    w->SetListColumnCaption(kColumnName, kNoSearchMark);
    s.act(*w);
    ASSERT_TRUE(test::WaitForSearch(*w));
    EXPECT_EQ(w->ListColumnCaption(kColumnName) != kNoSearchMark, s.searches);
  }
  // The last filter: 3 KB to 2 MB.
  EXPECT_EQ(Rows(*w), 3);
  EXPECT_EQ(w->ListColumnCaption(2), "作成日");
  EXPECT_EQ(w->HitLimit(), 5001);
}

TEST_F(SearchPanelTest, FilterPanelIsMadeAtTheFirstOptionPressAsAtStart) {
  // The window starts without the filter panel; a search takes the panel's
  // defaults: both filters off, so all five files of every size are found.
  auto w = Start();
  EXPECT_EQ(w->Panel5, nullptr);
  EXPECT_EQ(Rows(*w), 5);
  EXPECT_EQ(w->ListColumnCaption(2), "更新日");
  w->Tool1Click();
  EXPECT_FALSE(w->N13->Enabled());
  EXPECT_FALSE(w->N14->Enabled());
  const SearchQuery unmade = SearchQueryFromPanel(*w);
  RECT below;
  GetWindowRect(w->Panel1, &below);

  Click(w->SpeedButton2);
  ASSERT_NE(w->Panel5, nullptr);
  EXPECT_TRUE(IsWindowVisible(w->Panel5));
  // Right after the search panel among the window's children, as when it was
  // made at start (the Tab order), and the list moved below it.
  EXPECT_EQ(GetWindow(w->Panel1, GW_HWNDNEXT), w->Panel5);
  RECT panel, list;
  GetWindowRect(w->Panel5, &panel);
  GetWindowRect(w->ListView1, &list);
  EXPECT_EQ(panel.top, below.bottom);
  EXPECT_EQ(list.top, panel.bottom);

  // Its controls at the start defaults.
  auto comboText = [](HWND combo) {
    char text[64] = {};
    SendMessageA(combo, CB_GETLBTEXT, win::SelectedIndex(combo), reinterpret_cast<LPARAM>(text));
    return std::string(text);
  };
  struct Default {
    const char* name;
    HWND control;
    std::string shown;
    bool enabled;
  };
  const Default defaults[] = {
      {"CheckBox9", w->CheckBox9, "日付", true},     {"ComboBox1", w->ComboBox1, "更新日", false},
      {"CheckBox10", w->CheckBox10, "サイズ", true}, {"ComboBox2", w->ComboBox2, "小さい", false},
      {"NumberEdit2", w->NumberEdit2, "1", false},   {"ComboBox3", w->ComboBox3, "KB", false},
      {"NumberEdit3", w->NumberEdit3, "1", false},   {"ComboBox4", w->ComboBox4, "KB", false},
      {"StaticText2", w->StaticText2, "", true},
  };
  for (const Default& d : defaults) {
    SCOPED_TRACE(d.name);
    const bool combo = std::string(d.name).starts_with("ComboBox");
    EXPECT_EQ(combo ? comboText(d.control) : win::WindowText(d.control), d.shown);
    EXPECT_EQ(IsWindowEnabled(d.control) != FALSE, d.enabled);
    EXPECT_FALSE(win::IsChecked(d.control));
  }
  SYSTEMTIME to{}, from{};
  SendMessageA(w->DateTimePicker2, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&to));
  SendMessageA(w->DateTimePicker1, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&from));
  EXPECT_EQ(std::tuple(to.wYear, to.wMonth, to.wDay),
            std::tuple(w->FilterStartDay.wYear, w->FilterStartDay.wMonth, w->FilterStartDay.wDay));
  EXPECT_FALSE(IsWindowEnabled(w->DateTimePicker1));
  // What a search took from the panel before it was made, it takes from it now.
  const SearchQuery made = SearchQueryFromPanel(*w);
  EXPECT_EQ(
      std::tuple(made.dateOn, made.dateKind, DateTimeKey(made.dateFrom), DateTimeKey(made.dateTo),
                 made.sizeOn, made.sizeRelation, made.sizeLowKB, made.sizeHighKB),
      std::tuple(unmade.dateOn, unmade.dateKind, DateTimeKey(unmade.dateFrom),
                 DateTimeKey(unmade.dateTo), unmade.sizeOn, unmade.sizeRelation, unmade.sizeLowKB,
                 unmade.sizeHighKB));
  EXPECT_LT(DateTimeKey(made.dateFrom), DateTimeKey(made.dateTo));

  // Pressed again: hidden, the list back under the search panel.
  Click(w->SpeedButton2);
  EXPECT_FALSE(IsWindowVisible(w->Panel5));
  GetWindowRect(w->ListView1, &list);
  EXPECT_EQ(list.top, below.bottom);
}

TEST_F(SearchPanelTest, HiddenWindowRelationChangeNeitherSearchesNorShowsSize) {
  auto w = Start(/*show=*/false);
  w->EnsureFilterPanel();
  w->SetListColumnCaption(kColumnName, kNoSearchMark);
  ChooseItem(*w, w->ComboBox2, 2);
  ASSERT_TRUE(test::WaitForSearch(*w));
  EXPECT_EQ(w->ListColumnCaption(kColumnName), kNoSearchMark);
  EXPECT_EQ(win::WindowText(w->StaticText2), "");
  ChooseItem(*w, w->ComboBox3, 1);  // a unit always rebuilds the text
  EXPECT_EQ(win::WindowText(w->StaticText2), "1MB ～ 1KB");
}

TEST_F(SearchPanelTest, FilterBoxesEnableTheirControls) {
  auto w = Start();
  Click(w->SpeedButton2);
  struct Case {
    bool date, size;
    int relation;  // chosen before the size box is set
    bool dateControls, firstBound, secondBound;
  };
  const Case cases[] = {
      {false, false, 0, false, false, false}, {true, true, 0, true, true, false},
      {true, true, 2, true, true, true},      {false, true, 1, false, true, false},
      {false, true, 2, false, true, true},    {false, false, 2, false, false, false},
      {true, true, 2, true, true, true},      {true, false, 0, true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.date << c.size << c.relation);
    ChooseItem(*w, w->ComboBox2, c.relation);
    SetBox(w->CheckBox9, c.date);
    SetBox(w->CheckBox10, c.size);
    ASSERT_TRUE(test::WaitForSearch(*w));
    for (HWND control : {w->ComboBox1, w->DateTimePicker1, w->DateTimePicker2}) {
      EXPECT_EQ(IsWindowEnabled(control) != FALSE, c.dateControls);
    }
    for (HWND control : {w->ComboBox2, w->UpDown2, w->NumberEdit2, w->ComboBox3}) {
      EXPECT_EQ(IsWindowEnabled(control) != FALSE, c.firstBound);
    }
    for (HWND control : {w->UpDown3, w->NumberEdit3, w->ComboBox4}) {
      EXPECT_EQ(IsWindowEnabled(control) != FALSE, c.secondBound);
    }
  }
}

TEST_F(SearchPanelTest, SizeTextFollowsUnitsAndRelationOnly) {
  auto w = Start();
  Click(w->SpeedButton2);
  EXPECT_EQ(win::WindowText(w->StaticText2), "");  // until the first change
  struct Case {
    int low, lowUnit, relation, high, highUnit;
    const char* text;
  };
  const Case cases[] = {
      {16, 0, 0, 1, 0, "16KB"},
      {1024, 0, 1, 1, 0, "1MB"},
      {2, 1, 0, 1, 0, "2MB"},
      {1024, 1, 0, 1, 0, "1GB"},
      {1, 0, 2, 1, 0, "1KB ～ 1KB"},
      {5, 1, 2, 1024, 0, "5MB ～ 1MB"},
      {1023, 0, 2, 1024, 1, "1023KB ～ 1GB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    SendMessageA(w->UpDown2, UDM_SETPOS32, 0, c.low);
    SendMessageA(w->UpDown3, UDM_SETPOS32, 0, c.high);
    ChooseItem(*w, w->ComboBox4, c.highUnit);
    ChooseItem(*w, w->ComboBox2, c.relation);
    ChooseItem(*w, w->ComboBox3, c.lowUnit);
    ASSERT_TRUE(test::WaitForSearch(*w));
    EXPECT_EQ(win::WindowText(w->StaticText2), c.text);
  }
  // The size filter is off: a unit still rebuilds the text; a number or the
  // size box does not.
  ASSERT_FALSE(win::IsChecked(w->CheckBox10));
  SendMessageA(w->UpDown2, UDM_SETPOS32, 0, 7);
  ASSERT_TRUE(test::WaitForSearch(*w));
  EXPECT_EQ(win::WindowText(w->StaticText2), "1023KB ～ 1GB");
  ChooseItem(*w, w->ComboBox3, 1);
  ASSERT_TRUE(test::WaitForSearch(*w));
  EXPECT_EQ(win::WindowText(w->StaticText2), "7MB ～ 1GB");
  SendMessageA(w->UpDown3, UDM_SETPOS32, 0, 9);
  Click(w->CheckBox10);
  ASSERT_TRUE(test::WaitForSearch(*w));
  EXPECT_EQ(win::WindowText(w->StaticText2), "7MB ～ 1GB");
}

TEST_F(SearchPanelTest, HeldArrowStepsBy16AndSearchesNothingUntilTyped) {
  auto w = Start();
  Click(w->SpeedButton2);
  Click(w->CheckBox10);
  ASSERT_TRUE(test::WaitForSearch(*w));
  RECT rc;
  GetClientRect(w->UpDown2, &rc);
  const LPARAM upArrow = MAKELPARAM(rc.right / 2, 2);

  w->SetListColumnCaption(kColumnName, kNoSearchMark);
  SendMessageA(w->UpDown2, WM_LBUTTONDOWN, MK_LBUTTON, upArrow);
  EXPECT_TRUE(w->SuppressSizeSearch);
  EXPECT_EQ(win::WindowText(w->NumberEdit2), "2");  // the press itself: one step
  // Held: the arrow repeats in steps of 16.
  ASSERT_TRUE(PumpUntil([&] { return win::WindowText(w->NumberEdit2) != "2"; }));
  const int held = std::stoi(win::WindowText(w->NumberEdit2));
  EXPECT_TRUE(held == 1024 || (held > 2 && (held - 2) % 16 == 0)) << held;
  SendMessageA(w->UpDown2, WM_LBUTTONUP, 0, upArrow);
  test::Pump();
  EXPECT_FALSE(w->SuppressSizeSearch);
  ASSERT_TRUE(test::WaitForSearch(*w));
  EXPECT_EQ(w->ListColumnCaption(kColumnName), kNoSearchMark);  // nor by the release

  // The keyboard's arrow steps by 1 and searches at once.
  const std::string before = win::WindowText(w->NumberEdit2);
  SendMessageA(w->NumberEdit2, WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(std::stoi(win::WindowText(w->NumberEdit2)), std::stoi(before) + 1);
  ASSERT_TRUE(test::WaitForSearch(*w));
  EXPECT_NE(w->ListColumnCaption(kColumnName), kNoSearchMark);

  // The arrows stop at 1 and 1024.
  for (auto [start, arrowY, shown] :
       {std::tuple{1024, 2, "1024"}, std::tuple{1, static_cast<int>(rc.bottom) - 2, "1"}}) {
    SendMessageA(w->UpDown2, UDM_SETPOS32, 0, start);
    SendMessageA(w->UpDown2, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rc.right / 2, arrowY));
    SendMessageA(w->UpDown2, WM_LBUTTONUP, 0, MAKELPARAM(rc.right / 2, arrowY));
    EXPECT_EQ(win::WindowText(w->NumberEdit2), shown);
    EXPECT_FALSE(w->SuppressSizeSearch);
  }
  ASSERT_TRUE(test::WaitForSearch(*w));
}

TEST_F(SearchPanelTest, ArrowPressEndsWhenTheMouseIsTakenAway) {
  // A press that ends without a release over the arrow (another window took
  // the mouse) must not leave the numbers unable to search.
  auto w = Start();
  Click(w->SpeedButton2);
  Click(w->CheckBox10);
  ASSERT_TRUE(test::WaitForSearch(*w));
  RECT rc;
  GetClientRect(w->UpDown2, &rc);
  for (bool cancelMode : {false, true}) {
    SCOPED_TRACE(cancelMode ? "cancel mode" : "capture taken");
    SendMessageA(w->UpDown2, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rc.right / 2, 2));
    ASSERT_TRUE(w->SuppressSizeSearch);
    if (cancelMode) {
      SendMessageA(w->UpDown2, WM_CANCELMODE, 0, 0);
    } else {
      SetCapture(w->Handle());
      ReleaseCapture();
    }
    test::Pump();
    EXPECT_FALSE(w->SuppressSizeSearch);
    w->SetListColumnCaption(kColumnName, kNoSearchMark);
    SetWindowTextA(w->NumberEdit2, cancelMode ? "40" : "30");
    ASSERT_TRUE(test::WaitForSearch(*w));
    EXPECT_NE(w->ListColumnCaption(kColumnName), kNoSearchMark);
    const std::string before = win::WindowText(w->NumberEdit2);
    SendMessageA(w->NumberEdit2, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(std::stoi(win::WindowText(w->NumberEdit2)), std::stoi(before) + 1);
    ASSERT_TRUE(test::WaitForSearch(*w));
  }
}

TEST_F(SearchPanelTest, HeldSpinButtonRepeatsUntilReleased) {
  auto w = Start();
  RECT rc;
  GetClientRect(w->CSpinButton1, &rc);
  POINT over{rc.right / 2, 2};  // the upper button
  ClientToScreen(w->CSpinButton1, &over);
  SetCursorPos(over.x, over.y);
  SendMessageA(w->CSpinButton1, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rc.right / 2, 2));
  EXPECT_EQ(w->HitLimit(), 1001);
  ASSERT_TRUE(PumpUntil([&] { return w->HitLimit() >= 1003; }));
  SendMessageA(w->CSpinButton1, WM_LBUTTONUP, 0, MAKELPARAM(rc.right / 2, 2));
  const int released = w->HitLimit();
  EXPECT_EQ(win::WindowText(w->NumberEdit1), HitLimitText(released));
  PumpFor(600);
  EXPECT_EQ(w->HitLimit(), released);
  // Typing is read again after the spin button's changes.
  SetWindowTextA(w->NumberEdit1, "3000");
  EXPECT_EQ(w->HitLimit(), 3000);
}

// Answers the options dialog from a timer that fires inside its modal loop:
// records the boxes' states, clicks the given controls, or closes the dialog.
struct OptionScript {
  static inline std::vector<int> clicks;
  static inline bool close = false;
  static inline std::vector<bool> shown;
  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dlg = FindWindowA("#32770", "設定");
    if (!dlg) return;
    KillTimer(nullptr, id);
    shown.clear();
    for (int i = 0; i < 6; ++i) {
      shown.push_back(IsDlgButtonChecked(dlg, TOptionDlg::kFirstBoxId + i) == BST_CHECKED);
    }
    for (int control : clicks) SendMessageA(GetDlgItem(dlg, control), BM_CLICK, 0, 0);
    if (close) SendMessageA(dlg, WM_CLOSE, 0, 0);
  }
  static void Run(TVemkoSearcher& w, std::vector<int> toClick, bool closeBox) {
    clicks = std::move(toClick);
    close = closeBox;
    SetTimer(nullptr, 0, 20, &Tick);
    w.OptionMenuClick();
  }
};

TEST_F(SearchPanelTest, OptionsDialogBoxesMapToTheirSettings) {
  auto w = Start();
  using Flag = bool filvex::Settings::*;
  const Flag flags[6] = {&Settings::ico,    &Settings::chk,    &Settings::maxstop,
                         &Settings::upmode, &Settings::sizekb, &Settings::recy};
  for (int box = 0; box < 6; ++box) {
    SCOPED_TRACE(box);
    const Settings before = w->Settings;
    std::vector<bool> expected;
    for (Flag f : flags) expected.push_back(before.*f);
    // Closed with the close box, and cancelled: nothing changes.
    OptionScript::Run(*w, {TOptionDlg::kFirstBoxId + box}, /*closeBox=*/true);
    EXPECT_EQ(OptionScript::shown, expected);
    EXPECT_EQ(w->Settings, before);
    OptionScript::Run(*w, {TOptionDlg::kFirstBoxId + box, IDCANCEL}, false);
    EXPECT_EQ(w->Settings, before);
    // OK: exactly that setting flips, and no search starts.
    w->SetListColumnCaption(kColumnName, kNoSearchMark);
    OptionScript::Run(*w, {TOptionDlg::kFirstBoxId + box, IDOK}, false);
    EXPECT_EQ(OptionScript::shown, expected);
    Settings flipped = before;
    flipped.*flags[box] = !(before.*flags[box]);
    EXPECT_EQ(w->Settings, flipped);
    test::Pump();
    EXPECT_EQ(w->ListColumnCaption(kColumnName), kNoSearchMark);
  }
}

TEST_F(SearchPanelTest, NumberEditTakesAlignmentAndDigitsOnly) {
  RegisterControlClasses();
  HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  struct Case {
    int alignment;
    bool numberOnly;
    LONG alignStyle;
    const char* typed;  // characters typed one by one
    const char* shown;
  };
  const Case cases[] = {
      {0, false, ES_LEFT, "1a2", "1a2"},    {1, false, ES_CENTER, "x", "x"},
      {2, false, ES_RIGHT, "12,3", "12,3"}, {2, true, ES_RIGHT, "1a2,3", "123"},
      {0, true, ES_LEFT, "9z", "9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    HWND edit = CreateNumberEdit(parent, 1, 0, 0, 100, 20, c.alignment, c.numberOnly);
    ASSERT_NE(edit, nullptr);
    const LONG style = GetWindowLongA(edit, GWL_STYLE);
    EXPECT_EQ(style & (ES_CENTER | ES_RIGHT), c.alignStyle);
    EXPECT_EQ((style & ES_NUMBER) != 0, c.numberOnly);
    for (const char* p = c.typed; *p; ++p) SendMessageA(edit, WM_CHAR, *p, 0);
    EXPECT_EQ(win::WindowText(edit), c.shown);
    DestroyWindow(edit);
  }
  DestroyWindow(parent);
}

TEST_F(SearchPanelTest, ResultColumnsKeepTheirWidthLimits) {
  auto w = Start();
  struct Case {
    int column, asked, shown;
  };
  const Case cases[] = {
      {0, 10, 50}, {0, 400, 400}, {3, 5, 20},  {3, 200, 70}, {3, 60, 60},
      {4, 0, 30},  {4, 31, 31},   {5, 20, 50}, {1, 5, 5},    {1, 500, 500},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.column << " " << c.asked);
    ListView_SetColumnWidth(w->ListView1, c.column, c.asked);
    EXPECT_EQ(ListView_GetColumnWidth(w->ListView1, c.column), c.shown);
  }
  // The header asked directly, as a drag of a column edge does.
  HWND header = ListView_GetHeader(w->ListView1);
  HDITEMA item{};
  item.mask = HDI_WIDTH;
  item.cxy = 300;
  SendMessageA(header, HDM_SETITEMA, 3, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(ListView_GetColumnWidth(w->ListView1, 3), 70);
  item.cxy = 0;
  SendMessageA(header, HDM_GETITEMA, 3, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(item.cxy, 70);
}

}  // namespace
}  // namespace filvex
