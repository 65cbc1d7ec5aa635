// The controls, menus and images of the main window: names, captions, hints,
// Tags and form defaults as the window description gives them, and their
// placement when the window is resized.
#include <windows.h>
#include <commctrl.h>

#include "app/controls_win.h"
#include "app/vemko_searcher_win.h"
#include "platform/window_text.h"

namespace filvex {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kMaskColor = RGB(255, 0, 255);
constexpr int kImageSize = 16;

constexpr int kPanel1Height = 58;
constexpr int kPanel5Height = 30;
constexpr int kPanel4Width = 24;

int g_nextControlId = 2000;

HMENU NextId() { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(g_nextControlId++)); }

HWND Child(const char* cls, const std::string& text, DWORD style, HWND parent, int x, int y,
           int w, int h, DWORD exStyle = 0) {
  return CreateWindowExA(exStyle, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                         parent, NextId(), GetModuleHandleA(nullptr), nullptr);
}

void FillRectColor(HDC dc, int l, int t, int r, int b, COLORREF c) {
  RECT rc{l, t, r, b};
  win::UniqueBrush brush(CreateSolidBrush(c));
  FillRect(dc, &rc, brush.get());
}

void Triangle(HDC dc, POINT a, POINT b, POINT c, COLORREF color) {
  win::UniqueBrush brush(CreateSolidBrush(color));
  win::SelectInDC sb(dc, brush.get());
  win::SelectInDC sp(dc, GetStockObject(NULL_PEN));
  POINT pts[3] = {a, b, c};
  Polygon(dc, pts, 3);
}

// The images of ImageList1 that the window uses, drawn in code: 3 open folder
// (Explore1, SpeedButton1), 7 up one folder, 8 view switch, 14 search again,
// 16 binder, 21 pickup (N15, HitListSpBtn), 23 and 24 the header's descending
// and ascending marks. The other places stay empty (transparent).
void DrawImage(HDC dc, int index, int x0) {
  auto X = [x0](int x) { return x0 + x; };
  switch (index) {
    case 3:  // folder
      FillRectColor(dc, X(1), 3, X(7), 5, RGB(200, 160, 40));
      FillRectColor(dc, X(1), 5, X(15), 14, RGB(240, 200, 70));
      FillRectColor(dc, X(1), 13, X(15), 14, RGB(160, 120, 30));
      break;
    case 7:  // arrow up to a folder
      Triangle(dc, {X(8), 1}, {X(2), 8}, {X(14), 8}, RGB(40, 120, 40));
      FillRectColor(dc, X(6), 8, X(10), 15, RGB(40, 120, 40));
      break;
    case 8:  // four tiles
      for (int i = 0; i < 4; ++i) {
        const int l = X(2 + (i % 2) * 7), t = 2 + (i / 2) * 7;
        FillRectColor(dc, l, t, l + 5, t + 5, RGB(50, 90, 170));
      }
      break;
    case 14: {  // magnifier
      win::UniqueGdi<HPEN> pen(CreatePen(PS_SOLID, 2, RGB(30, 60, 140)));
      win::SelectInDC sp(dc, pen.get());
      win::SelectInDC sb(dc, GetStockObject(HOLLOW_BRUSH));
      Ellipse(dc, X(2), 2, X(11), 11);
      MoveToEx(dc, X(10), 10, nullptr);
      LineTo(dc, X(14), 14);
      break;
    }
    case 16:  // binder
      FillRectColor(dc, X(3), 1, X(13), 15, RGB(60, 80, 160));
      FillRectColor(dc, X(5), 3, X(11), 6, kWhite);
      break;
    case 21:  // pickup pin
      FillRectColor(dc, X(5), 1, X(11), 8, RGB(200, 40, 40));
      FillRectColor(dc, X(7), 8, X(9), 15, RGB(90, 90, 90));
      break;
    case 23:  // descending
      Triangle(dc, {X(3), 5}, {X(13), 5}, {X(8), 11}, RGB(90, 90, 90));
      break;
    case 24:  // ascending
      Triangle(dc, {X(8), 5}, {X(3), 11}, {X(13), 11}, RGB(90, 90, 90));
      break;
    default:
      break;
  }
}

}  // namespace

void TVemkoSearcher::CreateImageList() {
  ImageList1.reset(ImageList_Create(kImageSize, kImageSize, ILC_COLOR24 | ILC_MASK, kImageCount, 8));
  win::WindowDC screen(nullptr);
  win::UniqueMemoryDC dc(CreateCompatibleDC(screen.get()));
  win::UniqueBitmap strip(
      CreateCompatibleBitmap(screen.get(), kImageSize * kImageCount, kImageSize));
  {
    win::SelectInDC sel(dc.get(), strip.get());
    FillRectColor(dc.get(), 0, 0, kImageSize * kImageCount, kImageSize, kMaskColor);
    for (int i = 0; i < kImageCount; ++i) DrawImage(dc.get(), i, i * kImageSize);
  }
  ImageList_AddMasked(ImageList1.get(), strip.get(), kMaskColor);
}

win::UniqueBitmap TVemkoSearcher::MakeGlyph(int imageIndex) const {
  win::WindowDC screen(nullptr);
  win::UniqueMemoryDC dc(CreateCompatibleDC(screen.get()));
  win::UniqueBitmap bmp(CreateCompatibleBitmap(screen.get(), kImageSize, kImageSize));
  {
    win::SelectInDC sel(dc.get(), bmp.get());
    RECT rc{0, 0, kImageSize, kImageSize};
    FillRect(dc.get(), &rc, GetSysColorBrush(COLOR_BTNFACE));
    ImageList_Draw(ImageList1.get(), imageIndex, dc.get(), 0, 0, ILD_TRANSPARENT);
  }
  return bmp;
}

HWND TVemkoSearcher::AddControl(HWND control, const char* name, const std::string& hint,
                                int tag) {
  controls_[control] = ControlInfo{name, hint, tag};
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return control;
}

HWND TVemkoSearcher::FindControl(std::string_view name) const {
  for (const auto& [wnd, info] : controls_) {
    if (info.name == name) return wnd;
  }
  return nullptr;
}

const ControlInfo* TVemkoSearcher::InfoOf(HWND control) const {
  const auto it = controls_.find(control);
  return it == controls_.end() ? nullptr : &it->second;
}

int TVemkoSearcher::TagOf(HWND control) const {
  const ControlInfo* info = InfoOf(control);
  return info ? info->tag : 0;
}

void TVemkoSearcher::CreateMenus() {
  MainMenu1.Create(TMenu::Kind::Bar, 100);
  MainMenu1.SetWindow(hwnd_);
  TMenu& m = MainMenu1;

  File1 = m.AddSubMenu(nullptr, "File1", "ファイル(&F)");
  File1->OnPopup = [this] { File1Click(); };
  SearchNewMenu = m.Add(File1, "SearchNewMenu", "検索リストの更新");
  SearchNewMenu->OnClick = [this] { SearchNewMenuClick(); };
  m.AddSeparator(File1);
  Exit1 = m.Add(File1, "Exit1", "終了(&X)");
  Exit1->OnClick = [this] { Exit1Click(); };

  Edit2 = m.AddSubMenu(nullptr, "Edit2", "編集(&E)");
  Edit2->OnPopup = [this] { Edit2Click(); };
  AllSelMenu = m.Add(Edit2, "AllSelMenu", "全て選択(&A)", {}, 0);
  SelChgMenu = m.Add(Edit2, "SelChgMenu", "選択の切り替え(&I)", {}, 1);
  N5 = m.Add(Edit2, "N5", "不明の選択", {}, 2);
  for (TMenuItem* item : {AllSelMenu, SelChgMenu, N5}) {
    item->OnClick = [this, item] { SelectRows(item->Tag); };
  }

  Tool1 = m.AddSubMenu(nullptr, "Tool1", "ツール(&T)");
  Tool1->OnPopup = [this] { Tool1Click(); };
  N7 = m.Add(Tool1, "N7", "ファイル属性で検索", {}, kTagAttributeMenu);
  N13 = m.Add(Tool1, "N13", "日付で検索", {}, kTagDateMenu);
  N14 = m.Add(Tool1, "N14", "サイズで検索", {}, kTagSizeMenu);
  N20 = m.Add(Tool1, "N20", "ファイル名で検索", {}, 0);
  N20->SetVisible(false);  // only while another mode is active
  for (TMenuItem* item : {N7, N13, N14, N20}) {
    item->OnClick = [this, item] { ModeMenuClick(item->Tag); };
  }
  m.AddSeparator(Tool1);
  N19 = m.Add(Tool1, "N19", "検索リストの掃除", "検索リストから存在しないファイル名を削除");
  N19->OnClick = [this] { N19Click(); };
  NotFileMenu = m.Add(Tool1, "NotFileMenu", "不明リストを調べる");
  NotFileMenu->OnClick = [this] { NotFileMenuClick(); };
  m.AddSeparator(Tool1);
  Brontal1 = m.Add(Tool1, "Brontal1", "Brontal");
  Brontal1->OnClick = [this] { Brontal1Click(); };
  N10 = m.Add(Tool1, "N10", "統合", "Trelquinに統合する");
  N10->OnClick = [this] { N10Click(); };
  N12 = m.Add(Tool1, "N12", "スケジュール");
  N12->OnClick = [this] { N12Click(); };
  m.AddSeparator(Tool1);
  OptionMenu = m.Add(Tool1, "OptionMenu", "設定(&O)");
  OptionMenu->OnClick = [this] { OptionMenuClick(); };

  Help1 = m.AddSubMenu(nullptr, "Help1", "ヘルプ(&H)");
  Help2 = m.Add(Help1, "Help2", "ヘルプ(&H)");
  Help2->OnClick = [this] { Help2Click(); };
  N1 = m.Add(Help1, "N1", "バージョン");
  N1->OnClick = [this] { N1Click(); };

  PopupMenu1.Create(TMenu::Kind::Popup, 500);
  TMenu& p = PopupMenu1;
  Open1 = p.Add(nullptr, "Open1", "開く(&O)");
  Open1->OnClick = [this] { ListView1DblClick(); };
  N4 = p.Add(nullptr, "N4", "開くアプリケーションを選択(&H)", {}, 1);
  Explore1 = p.Add(nullptr, "Explore1", "エクスプローラ(&E)", {}, 0);
  for (TMenuItem* item : {N4, Explore1}) {
    item->OnClick = [this, item] { Explore1Click(item->Tag); };
  }
  p.AddSeparator(nullptr);
  Copy1 = p.Add(nullptr, "Copy1", "コピー(&C)");
  Copy1->OnClick = [this] { Copy1Click(); };
  Paste1 = p.Add(nullptr, "Paste1", "貼り付け(&P)");
  Paste1->OnClick = [this] { Paste1Click(); };
  Delete1 = p.Add(nullptr, "Delete1", "削除(&D)");
  Delete1->OnClick = [this] { Delete1Click(); };
  p.AddSeparator(nullptr);
  SendToMenu = p.AddSubMenu(nullptr, "SendToMenu", "送る(&N)");
  N16 = p.AddSubMenu(nullptr, "N16", "バインダーに登録(&R)");
  SendBinderMenu = p.Add(N16, "SendBinderMenu", "Brontal");
  SendBinderMenu->OnClick = [this] { SendBinderMenuClick(); };
  Pexwick1 = p.Add(N16, "Pexwick1", "Pexwick");
  Pexwick1->OnClick = [this] { Pexwick1Click(); };
  N15 = p.Add(nullptr, "N15", "ピックアップリストに追加");
  N15->OnClick = [this] { AddToPickupList(); };
  p.AddSeparator(nullptr);
  Property1 = p.Add(nullptr, "Property1", "プロパティ(&P)");
  Property1->OnClick = [this] { Property1Click(); };

  SetMenu(hwnd_, MainMenu1.Handle());
}

void TVemkoSearcher::CreateControls() {
  RegisterControlClasses();
  HWND w = hwnd_;

  // ---- search panel ------------------------------------------------------
  Panel1 = AddControl(CreatePanel(w, "", 0, 0, 800, kPanel1Height), "Panel1");
  HWND p1 = Panel1;
  Label1 = AddControl(Child("STATIC", "検索ファイル名", SS_LEFT | SS_CENTERIMAGE, p1, 6, 4, 84, 22),
                      "Label1");
  Edit1 = AddControl(Child("EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, p1, 92, 4, 220, 22,
                           WS_EX_CLIENTEDGE),
                     "Edit1", "複数は半角スラッシュ(/)で区切る");
  SpeedButton3 = AddControl(Child("BUTTON", "", BS_PUSHBUTTON | BS_BITMAP, p1, 314, 4, 24, 22),
                            "SpeedButton3", "再検索");
  SpeedButton7 = AddControl(
      Child("BUTTON", "I", BS_AUTOCHECKBOX | BS_PUSHLIKE, p1, 340, 4, 22, 22), "SpeedButton7");
  win::SetChecked(SpeedButton7, true);  // incremental search is on by default
  Label3 = AddControl(Child("STATIC", "ドライブ", SS_RIGHT | SS_CENTERIMAGE, p1, 366, 4, 52, 22),
                      "Label3");
  Edit3 = AddControl(Child("EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL | ES_UPPERCASE, p1, 420, 4, 60,
                           22, WS_EX_CLIENTEDGE),
                     "Edit3",
                     "検索するドライブの一文字を指定する（複数なら続けて入力、空なら全て）");
  Label2 = AddControl(
      Child("STATIC", "最大列挙数", SS_RIGHT | SS_CENTERIMAGE, p1, 484, 4, 72, 22), "Label2");
  NumberEdit1 = AddControl(CreateNumberEdit(p1, g_nextControlId++, 558, 4, 72, 22), "NumberEdit1",
                           "検索したファイルの最大列挙数");
  CSpinButton1 = AddControl(CreateSpinButton(p1, g_nextControlId++, 631, 4, 16, 22),
                            "CSpinButton1", "100～100,000");

  Panel2 = AddControl(CreatePanel(p1, " 検索対象", 4, 31, 474, 24), "Panel2");
  SetPanelColor(Panel2, kWhite);
  SetPanelAlignment(Panel2, PanelAlignment::Left);
  struct Box {
    HWND* wnd;
    const char* name;
    const char* caption;
    const char* hint;
    int tag;
    bool on;
    int x, width;
  };
  const Box boxes[] = {
      {&CheckBox1, "CheckBox1", "フォルダ", "フォルダを検索する", 0, false, 64, 66},
      {&CheckBox2, "CheckBox2", "ファイル", "ファイルを検索する", 0, true, 132, 66},
      {&CheckBox5, "CheckBox5", "AND", "複数の文字を全て含むファイルを検索する", 0, false, 200, 46},
      {&CheckBox7, "CheckBox7", "先頭", "名前の先頭から一致するファイルを検索する", 0, false, 248,
       50},
      {&CheckBox3, "CheckBox3", "S", "システム属性", kTagAttributeBoxes, false, 300, 32},
      {&CheckBox4, "CheckBox4", "H", "隠し属性", kTagAttributeBoxes, false, 334, 32},
      {&CheckBox6, "CheckBox6", "SH", "システムと隠し属性", kTagAttributeBoxes, false, 368, 40},
      {&CheckBox8, "CheckBox8", "R", "読み出し専用", kTagAttributeBoxes, true, 410, 32},
  };
  for (const Box& b : boxes) {
    *b.wnd = AddControl(
        Child("BUTTON", b.caption, BS_AUTOCHECKBOX | WS_TABSTOP, Panel2, b.x, 3, b.width, 18),
        b.name, b.hint, b.tag);
    win::SetChecked(*b.wnd, b.on);
  }
  SpeedButton2 = AddControl(
      Child("BUTTON", "Option", BS_AUTOCHECKBOX | BS_PUSHLIKE, p1, 482, 31, 56, 24),
      "SpeedButton2", "検索オプション");
  SpeedButton4 = AddControl(Child("BUTTON", "", BS_PUSHBUTTON | BS_BITMAP, p1, 542, 31, 24, 24),
                            "SpeedButton4", "一つ上のフォルダ");
  EnableWindow(SpeedButton4, FALSE);
  SpeedButton5 =
      AddControl(Child("BUTTON", "", BS_AUTOCHECKBOX | BS_PUSHLIKE | BS_BITMAP, p1, 568, 31, 24, 24),
                 "SpeedButton5", "表示の切換");
  HitListSpBtn =
      AddControl(Child("BUTTON", "", BS_AUTOCHECKBOX | BS_PUSHLIKE | BS_BITMAP, p1, 594, 31, 24, 24),
                 "HitListSpBtn", "ピックアップ|ピックアップリストのファイルを表示する");
  StaticText1 = AddControl(
      Child("STATIC", "", SS_LEFT | SS_CENTERIMAGE | SS_NOTIFY | SS_SUNKEN, p1, 624, 31, 170, 24),
      "StaticText1");
  // The build's progress strip covers the list information while it shows.
  Panel3 = AddControl(CreatePanel(p1, "", 624, 31, 170, 24), "Panel3");
  SetPanelAlignment(Panel3, PanelAlignment::Right);
  ShowWindow(Panel3, SW_HIDE);
  CancelBtn = AddControl(Child("BUTTON", "中止", BS_PUSHBUTTON, Panel3, 2, 2, 44, 20), "CancelBtn");

  // ---- filter panel (hidden until SpeedButton2 is pressed) --------------
  Panel5 = AddControl(CreatePanel(w, "", 0, kPanel1Height, 800, kPanel5Height), "Panel5");
  SetPanelColor(Panel5, kWhite);
  HWND p5 = Panel5;
  CheckBox9 = AddControl(Child("BUTTON", "日付", BS_AUTOCHECKBOX | WS_TABSTOP, p5, 6, 5, 50, 20),
                         "CheckBox9");
  ComboBox1 = AddControl(
      Child("COMBOBOX", "", CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL, p5, 58, 4, 72, 200),
      "ComboBox1", {}, kTagDateControls);
  DateTimePicker1 = AddControl(Child(DATETIMEPICK_CLASSA, "", DTS_SHORTDATEFORMAT | WS_TABSTOP, p5,
                                     134, 4, 96, 22),
                               "DateTimePicker1", {}, kTagDateControls);
  AddControl(Child("STATIC", "～", SS_CENTER | SS_CENTERIMAGE, p5, 230, 4, 16, 22), "Label4");
  DateTimePicker2 = AddControl(Child(DATETIMEPICK_CLASSA, "", DTS_SHORTDATEFORMAT | WS_TABSTOP, p5,
                                     246, 4, 96, 22),
                               "DateTimePicker2", {}, kTagDateControls);
  CheckBox10 = AddControl(
      Child("BUTTON", "サイズ", BS_AUTOCHECKBOX | WS_TABSTOP, p5, 352, 5, 58, 20), "CheckBox10");
  ComboBox2 = AddControl(
      Child("COMBOBOX", "", CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL, p5, 412, 4, 66, 200),
      "ComboBox2", {}, kTagSizeControls);
  NumberEdit2 = AddControl(CreateNumberEdit(p5, g_nextControlId++, 482, 4, 46, 22), "NumberEdit2");
  UpDown2 = AddControl(
      CreateWindowExA(0, UPDOWN_CLASSA, "",
                      WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_ALIGNRIGHT |
                          UDS_NOTHOUSANDS,
                      0, 0, 0, 0, p5, NextId(), GetModuleHandleA(nullptr), nullptr),
      "UpDown2");
  ComboBox3 = AddControl(
      Child("COMBOBOX", "", CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL, p5, 548, 4, 50, 200),
      "ComboBox3", {}, kTagSizeControls);
  AddControl(Child("STATIC", "～", SS_CENTER | SS_CENTERIMAGE, p5, 600, 4, 16, 22), "Label5");
  NumberEdit3 = AddControl(CreateNumberEdit(p5, g_nextControlId++, 618, 4, 46, 22), "NumberEdit3");
  UpDown3 = AddControl(
      CreateWindowExA(0, UPDOWN_CLASSA, "",
                      WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_ALIGNRIGHT |
                          UDS_NOTHOUSANDS,
                      0, 0, 0, 0, p5, NextId(), GetModuleHandleA(nullptr), nullptr),
      "UpDown3");
  ComboBox4 = AddControl(
      Child("COMBOBOX", "", CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL, p5, 684, 4, 50, 200),
      "ComboBox4", {}, kTagSizeControls);
  StaticText2 = AddControl(Child("STATIC", "", SS_LEFT | SS_CENTERIMAGE, p5, 740, 4, 150, 22),
                           "StaticText2");
  for (const char* item : {"作成日", "更新日"}) {
    SendMessageA(ComboBox1, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  }
  for (const char* item : {"小さい", "大きい", "範囲"}) {
    SendMessageA(ComboBox2, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  }
  for (HWND unit : {ComboBox3, ComboBox4}) {
    for (const char* item : {"KB", "MB"}) {
      SendMessageA(unit, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
  }
  for (auto [updown, edit] : {std::pair{UpDown2, NumberEdit2}, std::pair{UpDown3, NumberEdit3}}) {
    SendMessageA(updown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
    SendMessageA(updown, UDM_SETRANGE32, 1, 1024);
    SendMessageA(updown, UDM_SETPOS32, 0, 1);
  }
  for (HWND c : {ComboBox1, DateTimePicker1, DateTimePicker2, ComboBox2, NumberEdit2, UpDown2,
                 ComboBox3, NumberEdit3, UpDown3, ComboBox4}) {
    EnableWindow(c, FALSE);
  }
  ShowWindow(Panel5, SW_HIDE);

  // ---- open-folder strip, result list, status bar -----------------------
  Panel4 = AddControl(CreatePanel(w, "", 0, kPanel1Height, kPanel4Width, 300), "Panel4");
  SpeedButton1 = AddControl(Child("BUTTON", "", BS_PUSHBUTTON | BS_BITMAP, Panel4, 2, 20, 20, 20),
                            "SpeedButton1", "フォルダを開く", 0);
  ShowWindow(SpeedButton1, SW_HIDE);

  ListView1 = AddControl(
      Child(WC_LISTVIEWA, "",
            LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS | WS_TABSTOP, w,
            kPanel4Width, kPanel1Height, 600, 300, WS_EX_CLIENTEDGE),
      "ListView1");
  ListView_SetExtendedListViewStyle(ListView1, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  struct Column {
    const char* caption;
    int width;
    int format;
  };
  const Column columns[] = {{"名前", 250, LVCFMT_LEFT},      {"サイズ", 63, LVCFMT_RIGHT},
                            {"作成日", 63, LVCFMT_LEFT},     {"属性と状態", 50, LVCFMT_LEFT},
                            {"種類", 100, LVCFMT_LEFT},      {"パス", 100, LVCFMT_LEFT}};
  for (int i = 0; i < 6; ++i) {
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    col.fmt = columns[i].format;
    col.cx = columns[i].width;
    col.pszText = const_cast<char*>(columns[i].caption);
    col.iSubItem = i;
    SendMessageA(ListView1, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
  }

  StatusBar1 = AddControl(CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0,
                                          0, w, NextId(), GetModuleHandleA(nullptr), nullptr),
                          "StatusBar1");
  int parts[2] = {50, -1};
  SendMessageA(StatusBar1, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));

  // Glyphs of the tool buttons: the button face with an image of ImageList1.
  const std::pair<HWND, int> glyphButtons[] = {{SpeedButton3, 14}, {SpeedButton4, 7},
                                               {SpeedButton5, 8},  {HitListSpBtn, 21},
                                               {SpeedButton1, 3}};
  for (auto [button, image] : glyphButtons) {
    glyphs_.push_back(MakeGlyph(image));
    SendMessageA(button, BM_SETIMAGE, IMAGE_BITMAP,
                 reinterpret_cast<LPARAM>(glyphs_.back().get()));
  }
  LayoutControls();
}

void TVemkoSearcher::LayoutControls() {
  if (!StatusBar1) return;
  RECT rc;
  GetClientRect(hwnd_, &rc);
  const int width = rc.right, height = rc.bottom;
  SendMessageA(StatusBar1, WM_SIZE, 0, 0);
  RECT sb;
  GetWindowRect(StatusBar1, &sb);
  const int statusHeight = sb.bottom - sb.top;

  MoveWindow(Panel1, 0, 0, width, kPanel1Height, TRUE);
  const int infoLeft = 624, infoWidth = width - infoLeft - 4 > 80 ? width - infoLeft - 4 : 80;
  MoveWindow(StaticText1, infoLeft, 31, infoWidth, 24, TRUE);
  MoveWindow(Panel3, infoLeft, 31, infoWidth, 24, TRUE);
  int top = kPanel1Height;
  if (IsWindowVisible(Panel5)) {
    MoveWindow(Panel5, 0, top, width, kPanel5Height, TRUE);
    top += kPanel5Height;
  }
  const int listHeight = height - statusHeight - top > 0 ? height - statusHeight - top : 0;
  MoveWindow(Panel4, 0, top, kPanel4Width, listHeight, TRUE);
  MoveWindow(ListView1, kPanel4Width, top, width - kPanel4Width, listHeight, TRUE);
  // The path column takes the rest of the list's width.
  ListView_SetColumnWidth(ListView1, 5, LVSCW_AUTOSIZE_USEHEADER);
}

void TVemkoSearcher::SetListColumnCaption(int column, const std::string& caption) {
  LVCOLUMNA col{};
  col.mask = LVCF_TEXT;
  col.pszText = const_cast<char*>(caption.c_str());
  SendMessageA(ListView1, LVM_SETCOLUMNA, column, reinterpret_cast<LPARAM>(&col));
}

std::string TVemkoSearcher::ListColumnCaption(int column) const {
  char text[256] = {};
  LVCOLUMNA col{};
  col.mask = LVCF_TEXT;
  col.pszText = text;
  col.cchTextMax = sizeof text;
  SendMessageA(ListView1, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&col));
  return text;
}

}  // namespace filvex
