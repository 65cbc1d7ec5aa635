// The controls, menus and images of the main window: names, captions, hints,
// Tags and form defaults as the window description gives them, and their
// placement when the window is resized.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "app/controls_win.h"
#include "app/vemko_searcher_win.h"
#include "platform/window_text.h"
#include "results/my_list_view_win.h"

namespace filvex {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kMaskColor = RGB(255, 0, 255);
constexpr int kImageSize = 16;

constexpr int kPanel4Width = 24;
constexpr int kToolButtonSize = 24;
// Gap between the controls of a row, and the margin of a row in its panel.
constexpr int kGap = 2;
constexpr int kMargin = 4;
// The sample of the result list's date column: "yyyy/mm/dd hh:nn".
constexpr char kDateSample[] = "2026/12/08 23:59";
// What a list-view cell needs beside its text (the control's own padding on
// both sides), so that a date is shown whole instead of ending in "...".
constexpr int kCellPadding = 16;
// How many pixels the message font may grow before the search gives up and
// keeps it as it is.
constexpr int kMaxFontGrowth = 3;

HWND Child(HMENU id, const char* cls, const std::string& text, DWORD style, HWND parent, int x,
           int y, int w, int h, DWORD exStyle = 0) {
  return CreateWindowExA(exStyle, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                         parent, id, GetModuleHandleA(nullptr), nullptr);
}

// True when every one of the glyphs leaves ink inside the character cell
// (rows 0 to tmHeight - 1). An edit clips its line and a list view its cells
// to that height, so a glyph that hinting thins away at a small size (the
// IPA Gothic "_" at 12 pixels) or that hangs below the cell is not seen.
bool GlyphsShowInCell(HFONT font, std::string_view glyphs) {
  win::WindowDC screen(nullptr);
  win::UniqueMemoryDC dc(CreateCompatibleDC(screen.get()));
  win::SelectInDC selectFont(dc.get(), font);
  TEXTMETRICA tm{};
  if (!GetTextMetricsA(dc.get(), &tm) || tm.tmHeight <= 0) return false;
  const int width = tm.tmMaxCharWidth + 8, height = tm.tmHeight;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  win::UniqueBitmap bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return false;
  win::SelectInDC selectBitmap(dc.get(), bitmap.get());
  SetTextColor(dc.get(), RGB(0, 0, 0));
  SetBkMode(dc.get(), TRANSPARENT);
  const auto* pixels = static_cast<const DWORD*>(bits);
  for (char glyph : glyphs) {
    RECT all{0, 0, width, height};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    TextOutA(dc.get(), 2, 0, &glyph, 1);
    GdiFlush();
    bool ink = false;
    for (int i = 0; i < width * height && !ink; ++i) ink = (pixels[i] & 0xFFFFFF) != 0xFFFFFF;
    if (!ink) return false;
  }
  return true;
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
  ImageList1.reset(
      ImageList_Create(kImageSize, kImageSize, ILC_COLOR24 | ILC_MASK, kImageCount, 8));
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

HWND TVemkoSearcher::AddControl(HWND control, const char* name, const std::string& hint, int tag) {
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

void TVemkoSearcher::CreateControlFont() {
  LOGFONTA base{};
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    base = metrics.lfMessageFont;
  } else {
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof base, &base);
  }
  if (base.lfHeight == 0) base.lfHeight = -12;
  // The smallest size from the message font's up at which "_" and the
  // descenders show; the message font itself when none of them does.
  for (int grow = 0; grow <= kMaxFontGrowth; ++grow) {
    LOGFONTA lf = base;
    lf.lfHeight += lf.lfHeight < 0 ? -grow : grow;
    win::UniqueFont font(CreateFontIndirectA(&lf));
    if (!font) continue;
    const bool shows = GlyphsShowInCell(font.get(), "_gyj");
    if (grow == 0 || shows) fontOwner_ = std::move(font);
    if (shows) break;
  }
  font_ = fontOwner_ ? fontOwner_.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

  win::WindowDC screen(nullptr);
  win::SelectInDC select(screen.get(), font_);
  TEXTMETRICA tm{};
  GetTextMetricsA(screen.get(), &tm);
  FontHeight = tm.tmHeight;
  // An edit with its sunken edge needs 4 pixels of border and 2 of margin
  // around its line; 22 is the height the rows were designed for.
  RowHeight = FontHeight + 8 > 22 ? FontHeight + 8 : 22;
}

int TVemkoSearcher::TextWidth(const std::string& text) const {
  // A memory DC measures as the screen does; it keeps the font selected.
  if (!measureDC_) {
    win::WindowDC screen(nullptr);
    measureDC_.reset(CreateCompatibleDC(screen.get()));
    if (!measureDC_) return 0;
    SelectObject(measureDC_.get(), font_);
  }
  SIZE size{};
  GetTextExtentPoint32A(measureDC_.get(), text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

HMENU TVemkoSearcher::NextControlId() {
  return reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextControlId_++));
}

void TVemkoSearcher::CreateControls() {
  RegisterControlClasses();
  CreateSearchPanel();
  CreateProgressStrip();
  // The filter panel (Panel5) is made when first needed: EnsureFilterPanel.
  CreateResultList();
  CreateStatusBar();
  // Glyphs of the tool buttons: the button face with an image of ImageList1.
  const std::pair<HWND, int> glyphButtons[] = {{SpeedButton3, 14},
                                               {SpeedButton4, 7},
                                               {SpeedButton5, 8},
                                               {HitListSpBtn, 21},
                                               {SpeedButton1, 3}};
  for (auto [button, image] : glyphButtons) {
    glyphs_.push_back(MakeGlyph(image));
    SendMessageA(button, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(glyphs_.back().get()));
  }
  // The hint tooltip is made at the first mouse move over the window
  // (HintHookProc): about 20 ms of the start under Wine, for a window
  // nobody points at while it opens.
  LayoutControls();
}

// Two rows: the query row (name, drives, hit limit) and the target row
// (Panel2's boxes, the option and tool buttons, the list information). Every
// width that holds a caption grows with the font.
void TVemkoSearcher::CreateSearchPanel() {
  const int row = RowHeight, top1 = kMargin, top2 = kMargin + row + 5;
  Panel1 = AddControl(CreatePanel(hwnd_, "", 0, 0, 800, top2 + row + 2 + 3), "Panel1");
  HWND p1 = Panel1;
  auto labelWidth = [this](const char* text, int least) {
    const int w = TextWidth(text) + 6;
    return w > least ? w : least;
  };

  int x = 6;
  int w = labelWidth("検索ファイル名", 84);
  Label1 = AddControl(Child(NextControlId(), "STATIC", "検索ファイル名", SS_LEFT | SS_CENTERIMAGE,
                            p1, x, top1, w, row),
                      "Label1");
  x += w + kGap;
  Edit1 = AddControl(Child(NextControlId(), "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, p1, x, top1,
                           220, row, WS_EX_CLIENTEDGE),
                     "Edit1", "複数は半角スラッシュ(/)で区切る");
  x += 220 + kGap;
  SpeedButton3 = AddControl(Child(NextControlId(), "BUTTON", "", BS_PUSHBUTTON | BS_BITMAP, p1, x,
                                  top1, kToolButtonSize, row),
                            "SpeedButton3", "再検索");
  x += kToolButtonSize + kGap;
  SpeedButton7 = AddControl(
      Child(NextControlId(), "BUTTON", "I", BS_AUTOCHECKBOX | BS_PUSHLIKE, p1, x, top1, 22, row),
      "SpeedButton7");
  win::SetChecked(SpeedButton7, true);  // incremental search is on by default
  x += 22 + kMargin;
  w = labelWidth("ドライブ", 52);
  Label3 = AddControl(
      Child(NextControlId(), "STATIC", "ドライブ", SS_RIGHT | SS_CENTERIMAGE, p1, x, top1, w, row),
      "Label3");
  x += w + kGap;
  Edit3 =
      AddControl(Child(NextControlId(), "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL | ES_UPPERCASE, p1,
                       x, top1, 60, row, WS_EX_CLIENTEDGE),
                 "Edit3", "検索するドライブの一文字を指定する（複数なら続けて入力、空なら全て）");
  x += 60 + kMargin;
  w = labelWidth("最大列挙数", 72);
  Label2 = AddControl(Child(NextControlId(), "STATIC", "最大列挙数", SS_RIGHT | SS_CENTERIMAGE, p1,
                            x, top1, w, row),
                      "Label2");
  x += w + kGap;
  w = labelWidth("100,000", 72);
  NumberEdit1 = AddControl(CreateNumberEdit(p1, nextControlId_++, x, top1, w, row), "NumberEdit1",
                           "検索したファイルの最大列挙数");
  x += w + 1;
  CSpinButton1 = AddControl(CreateSpinButton(p1, nextControlId_++, x, top1, 16, row),
                            "CSpinButton1", "100～100,000");

  // Panel2: its caption on the left, the boxes after it.
  const int boxHeight = row - 4;
  Panel2 = AddControl(CreatePanel(p1, " 検索対象", kMargin, top2, 474, row + 2), "Panel2");
  SetPanelColor(Panel2, kWhite);
  SetPanelAlignment(Panel2, PanelAlignment::Left);
  struct Box {
    HWND* wnd;
    const char* name;
    const char* caption;
    const char* hint;
    int tag;
    bool on;
  };
  const Box boxes[] = {
      {&CheckBox1, "CheckBox1", "フォルダ", "フォルダを検索する", 0, false},
      {&CheckBox2, "CheckBox2", "ファイル", "ファイルを検索する", 0, true},
      {&CheckBox5, "CheckBox5", "AND", "複数の文字を全て含むファイルを検索する", 0, false},
      {&CheckBox7, "CheckBox7", "先頭", "名前の先頭から一致するファイルを検索する", 0, false},
      {&CheckBox3, "CheckBox3", "S", "システム属性", kTagAttributeBoxes, false},
      {&CheckBox4, "CheckBox4", "H", "隠し属性", kTagAttributeBoxes, false},
      {&CheckBox6, "CheckBox6", "SH", "システムと隠し属性", kTagAttributeBoxes, false},
      {&CheckBox8, "CheckBox8", "R", "読み出し専用", kTagAttributeBoxes, true},
  };
  // The box itself (about 13 pixels) and its gap come before the caption.
  const int boxMark = GetSystemMetrics(SM_CXMENUCHECK) + 8;
  int bx = TextWidth(" 検索対象") + 12;
  for (const Box& b : boxes) {
    const int bw = boxMark + TextWidth(b.caption) + 4;
    *b.wnd = AddControl(Child(NextControlId(), "BUTTON", b.caption, BS_AUTOCHECKBOX | WS_TABSTOP,
                              Panel2, bx, 3, bw, boxHeight),
                        b.name, b.hint, b.tag);
    win::SetChecked(*b.wnd, b.on);
    bx += bw + kGap;
  }
  MoveWindow(Panel2, kMargin, top2, bx + 2, row + 2, FALSE);

  x = kMargin + bx + 2 + kMargin;
  w = labelWidth("Option", 40) + 16;
  SpeedButton2 = AddControl(Child(NextControlId(), "BUTTON", "Option",
                                  BS_AUTOCHECKBOX | BS_PUSHLIKE, p1, x, top2, w, row + 2),
                            "SpeedButton2", "検索オプション");
  x += w + kMargin;
  SpeedButton4 = AddControl(Child(NextControlId(), "BUTTON", "", BS_PUSHBUTTON | BS_BITMAP, p1, x,
                                  top2, kToolButtonSize, row + 2),
                            "SpeedButton4", "一つ上のフォルダ");
  EnableWindow(SpeedButton4, FALSE);
  x += kToolButtonSize + kGap;
  SpeedButton5 =
      AddControl(Child(NextControlId(), "BUTTON", "", BS_AUTOCHECKBOX | BS_PUSHLIKE | BS_BITMAP, p1,
                       x, top2, kToolButtonSize, row + 2),
                 "SpeedButton5", "表示の切換");
  x += kToolButtonSize + kGap;
  SpeedButton6 = AddControl(Child(NextControlId(), "BUTTON", "画", BS_AUTOCHECKBOX | BS_PUSHLIKE,
                                  p1, x, top2, kToolButtonSize, row + 2),
                            "SpeedButton6", "画像表示");
  x += kToolButtonSize + kGap;
  HitListSpBtn =
      AddControl(Child(NextControlId(), "BUTTON", "", BS_AUTOCHECKBOX | BS_PUSHLIKE | BS_BITMAP, p1,
                       x, top2, kToolButtonSize, row + 2),
                 "HitListSpBtn", "ピックアップ|ピックアップリストのファイルを表示する");
  x += kToolButtonSize + 6;
  // Clipped by its siblings: the progress strip lies over it during a build.
  StaticText1 = AddControl(Child(NextControlId(), "STATIC", "",
                                 SS_LEFT | SS_CENTERIMAGE | SS_NOTIFY | SS_SUNKEN | WS_CLIPSIBLINGS,
                                 p1, x, top2, 170, row + 2),
                           "StaticText1");
}

// The build's progress strip: the drive being walked, right-aligned, and the
// stop button. It lies over the list information while it shows, and is
// placed by LayoutControls.
void TVemkoSearcher::CreateProgressStrip() {
  Panel3 = AddControl(CreatePanel(Panel1, "", 0, 0, 200, RowHeight + 2), "Panel3");
  SetPanelAlignment(Panel3, PanelAlignment::Right);
  ShowWindow(Panel3, SW_HIDE);
  const int w = TextWidth("中止") + 16 > 44 ? TextWidth("中止") + 16 : 44;
  CancelBtn = AddControl(
      Child(NextControlId(), "BUTTON", "中止", BS_PUSHBUTTON, Panel3, 2, 2, w, RowHeight - 2),
      "CancelBtn");
}

// The filter panel: date filter, then size filter with its two bounds. Made
// hidden (SpeedButton2 shows it) when first needed (EnsureFilterPanel), so
// after the result list and the status bar: it is put back right after the
// search panel in the order of the window's children, which is the order the
// Tab key follows.
void TVemkoSearcher::CreateFilterPanel() {
  const int row = RowHeight, top = kMargin;
  Panel5 =
      AddControl(CreatePanel(hwnd_, "", 0, 0, 800, row + 2 * kMargin, /*visible=*/false), "Panel5");
  SetWindowPos(Panel5, Panel1, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetPanelColor(Panel5, kWhite);
  HWND p5 = Panel5;
  const int boxMark = GetSystemMetrics(SM_CXMENUCHECK) + 8;
  const int dropDown = 200;  // height of an open combo box's list
  auto comboWidth = [this](std::initializer_list<const char*> items, int least) {
    int w = least;
    for (const char* item : items) {
      const int need = TextWidth(item) + GetSystemMetrics(SM_CXVSCROLL) + 10;
      if (need > w) w = need;
    }
    return w;
  };
  auto upDown = [&](const char* name) {
    return AddControl(
        CreateWindowExA(0, UPDOWN_CLASSA, "",
                        WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_ALIGNRIGHT |
                            UDS_NOTHOUSANDS,
                        0, 0, 0, 0, p5, NextControlId(), GetModuleHandleA(nullptr), nullptr),
        name);
  };

  int x = 6;
  int w = boxMark + TextWidth("日付") + 4;
  CheckBox9 = AddControl(Child(NextControlId(), "BUTTON", "日付", BS_AUTOCHECKBOX | WS_TABSTOP, p5,
                               x, top + 1, w, row - 2),
                         "CheckBox9");
  x += w + kGap;
  w = comboWidth({"作成日", "更新日"}, 72);
  ComboBox1 = AddControl(Child(NextControlId(), "COMBOBOX", "",
                               CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL, p5, x, top, w, dropDown),
                         "ComboBox1", {}, kTagDateControls);
  x += w + kMargin;
  const int pickerWidth = TextWidth("2026/12/08") + GetSystemMetrics(SM_CXVSCROLL) + 16;
  DateTimePicker1 =
      AddControl(Child(NextControlId(), DATETIMEPICK_CLASSA, "", DTS_SHORTDATEFORMAT | WS_TABSTOP,
                       p5, x, top, pickerWidth, row),
                 "DateTimePicker1", {}, kTagDateControls);
  x += pickerWidth;
  const int tildeWidth = TextWidth("～") + 4;
  AddControl(Child(NextControlId(), "STATIC", "～", SS_CENTER | SS_CENTERIMAGE, p5, x, top,
                   tildeWidth, row),
             "Label4");
  x += tildeWidth;
  DateTimePicker2 =
      AddControl(Child(NextControlId(), DATETIMEPICK_CLASSA, "", DTS_SHORTDATEFORMAT | WS_TABSTOP,
                       p5, x, top, pickerWidth, row),
                 "DateTimePicker2", {}, kTagDateControls);
  x += pickerWidth + 10;

  w = boxMark + TextWidth("サイズ") + 4;
  CheckBox10 = AddControl(Child(NextControlId(), "BUTTON", "サイズ", BS_AUTOCHECKBOX | WS_TABSTOP,
                                p5, x, top + 1, w, row - 2),
                          "CheckBox10");
  x += w + kGap;
  w = comboWidth({"小さい", "大きい", "範囲"}, 66);
  ComboBox2 = AddControl(Child(NextControlId(), "COMBOBOX", "",
                               CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL, p5, x, top, w, dropDown),
                         "ComboBox2", {}, kTagSizeControls);
  x += w + kMargin;
  const int numberWidth = TextWidth("1024") + 30;  // the arrows sit inside
  const int unitWidth = comboWidth({"KB", "MB"}, 50);
  NumberEdit2 =
      AddControl(CreateNumberEdit(p5, nextControlId_++, x, top, numberWidth, row), "NumberEdit2");
  UpDown2 = upDown("UpDown2");
  x += numberWidth + kGap;
  ComboBox3 =
      AddControl(Child(NextControlId(), "COMBOBOX", "", CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL,
                       p5, x, top, unitWidth, dropDown),
                 "ComboBox3", {}, kTagSizeControls);
  x += unitWidth;
  AddControl(Child(NextControlId(), "STATIC", "～", SS_CENTER | SS_CENTERIMAGE, p5, x, top,
                   tildeWidth, row),
             "Label5");
  x += tildeWidth;
  NumberEdit3 =
      AddControl(CreateNumberEdit(p5, nextControlId_++, x, top, numberWidth, row), "NumberEdit3");
  UpDown3 = upDown("UpDown3");
  x += numberWidth + kGap;
  ComboBox4 =
      AddControl(Child(NextControlId(), "COMBOBOX", "", CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL,
                       p5, x, top, unitWidth, dropDown),
                 "ComboBox4", {}, kTagSizeControls);
  x += unitWidth + 6;
  StaticText2 = AddControl(Child(NextControlId(), "STATIC", "", SS_LEFT | SS_CENTERIMAGE, p5, x,
                                 top, TextWidth("1024MB ～ 1024MB") + 8, row),
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
  HookSizeArrows();
  for (HWND c : {ComboBox1, DateTimePicker1, DateTimePicker2, ComboBox2, NumberEdit2, UpDown2,
                 ComboBox3, NumberEdit3, UpDown3, ComboBox4}) {
    EnableWindow(c, FALSE);
  }
}

// The open-folder strip left of the list, and the result list with its six
// columns.
void TVemkoSearcher::CreateResultList() {
  Panel4 = AddControl(CreatePanel(hwnd_, "", 0, 0, kPanel4Width, 300), "Panel4");
  SpeedButton1 = AddControl(
      Child(NextControlId(), "BUTTON", "", BS_PUSHBUTTON | BS_BITMAP, Panel4, 2, 20, 20, 20),
      "SpeedButton1", "フォルダを開く", 0);
  ShowWindow(SpeedButton1, SW_HIDE);

  ListView1 = AddControl(
      Child(NextControlId(), WC_LISTVIEWA, "",
            LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS | WS_TABSTOP,
            hwnd_, kPanel4Width, 0, 600, 300, WS_EX_CLIENTEDGE),
      "ListView1");
  ListView_SetExtendedListViewStyle(ListView1, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  // The date column shows a whole "yyyy/mm/dd hh:nn" in the list's font.
  const int dateWidth = TextWidth(kDateSample) + kCellPadding;
  struct Column {
    const char* caption;
    int width;
    int format;
    int minWidth, maxWidth;  // 0: no limit
  };
  const Column columns[] = {
      {"名前", 250, LVCFMT_LEFT, 50, 0},        {"サイズ", 63, LVCFMT_RIGHT, 0, 0},
      {"作成日", dateWidth, LVCFMT_LEFT, 0, 0}, {"属性と状態", 50, LVCFMT_LEFT, 20, 70},
      {"種類", 100, LVCFMT_LEFT, 30, 0},        {"パス", 100, LVCFMT_LEFT, 50, 0}};
  for (int i = 0; i < 6; ++i) {
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    col.fmt = columns[i].format;
    col.cx = columns[i].width;
    col.pszText = const_cast<char*>(columns[i].caption);
    col.iSubItem = i;
    SendMessageA(ListView1, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
  }
  // A column dragged narrower or wider than its limits stops at them.
  if (TMyListView* view = TMyListView::Attach(ListView1)) {
    for (int i = 0; i < 6; ++i)
      view->SetColumnWidthLimits(i, columns[i].minWidth, columns[i].maxWidth);
  }
  HookListSystemKeys();  // Alt+Enter: properties
  CreatePreviewPanel();
}

void TVemkoSearcher::CreateStatusBar() {
  StatusBar1 =
      AddControl(CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd_,
                                 NextControlId(), GetModuleHandleA(nullptr), nullptr),
                 "StatusBar1");
  int parts[2] = {50, -1};
  SendMessageA(StatusBar1, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
}

// One tooltip control for the whole window. The thread's message hook
// (HintHookProc) relays the mouse messages of the window's controls to it.
// Its tools do not subclass their controls: under Wine a subclassing tooltip
// adds about 80 us to every message such a control gets, paid many times over
// at each keystroke in the query box.
void TVemkoSearcher::CreateHintToolTip() {
  HintToolTipTried = true;
  HintToolTip =
      CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, "",
                      WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_NOANIMATE | TTS_NOFADE,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                      GetModuleHandleA(nullptr), nullptr);
  if (!HintToolTip) return;
  SendMessageA(HintToolTip, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  for (const auto& [control, info] : controls_) {
    if (!info.hint.empty()) SetControlHint(control, info.hint);
  }
}

std::string TVemkoSearcher::ShortHint(const std::string& hint) {
  const size_t bar = hint.find('|');
  return bar == std::string::npos ? hint : hint.substr(0, bar);
}

void TVemkoSearcher::SetControlHint(HWND control, const std::string& hint) {
  controls_[control].hint = hint;
  if (!HintToolTip) return;
  std::string text = ShortHint(hint);
  TTTOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND;
  tool.hwnd = GetParent(control);
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text.data();
  // A control whose hint changes keeps one tool with the new text.
  SendMessageA(HintToolTip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  if (!text.empty()) SendMessageA(HintToolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void TVemkoSearcher::ShowProgressStrip(bool show) {
  if (show) {
    // Above every sibling (StaticText1 above all), at the place the layout
    // gives it.
    LayoutControls();
    SetWindowPos(Panel3, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    RedrawWindow(Panel3, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  } else {
    ShowWindow(Panel3, SW_HIDE);
    // What the strip covered paints again.
    RedrawWindow(StaticText1, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
  }
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

  RECT panel1;
  GetWindowRect(Panel1, &panel1);
  const int panel1Height = panel1.bottom - panel1.top;
  MoveWindow(Panel1, 0, 0, width, panel1Height, TRUE);
  // The list information takes the rest of the target row; the progress
  // strip lies over it, wide enough for the longest drive text and its
  // button, and reaches further left over the tool buttons when the window
  // is narrow.
  RECT info;
  GetWindowRect(StaticText1, &info);
  MapWindowPoints(nullptr, Panel1, reinterpret_cast<POINT*>(&info), 2);
  RECT after;
  GetWindowRect(HitListSpBtn, &after);
  MapWindowPoints(nullptr, Panel1, reinterpret_cast<POINT*>(&after), 2);
  const int infoLeft = after.right + 6;
  const int infoWidth = width - infoLeft - kMargin > 80 ? width - infoLeft - kMargin : 80;
  const int infoHeight = info.bottom - info.top;
  MoveWindow(StaticText1, infoLeft, info.top, infoWidth, infoHeight, TRUE);
  RECT button;
  GetWindowRect(CancelBtn, &button);
  const int stripNeed =
      (button.right - button.left) + TextWidth("X:\\ ドライブのリストを作成中...  ") + 16;
  int stripWidth = infoWidth > stripNeed ? infoWidth : stripNeed;
  if (stripWidth > width - 2 * kMargin) stripWidth = width - 2 * kMargin;
  int stripLeft = infoLeft + infoWidth - stripWidth;
  if (stripLeft < kMargin) stripLeft = kMargin;
  MoveWindow(Panel3, stripLeft, info.top, stripWidth, infoHeight, TRUE);

  int top = panel1Height;
  if (IsWindowVisible(Panel5)) {
    RECT panel5;
    GetWindowRect(Panel5, &panel5);
    const int panel5Height = panel5.bottom - panel5.top;
    MoveWindow(Panel5, 0, top, width, panel5Height, TRUE);
    top += panel5Height;
  }
  const int listHeight = height - statusHeight - top > 0 ? height - statusHeight - top : 0;
  MoveWindow(Panel4, 0, top, kPanel4Width, listHeight, TRUE);
  MoveWindow(ListView1, kPanel4Width, top, width - kPanel4Width, listHeight, TRUE);
  // The path column takes the rest of the list's width, less the room of a
  // vertical scroll bar while none shows: the bar that comes with more rows
  // than fit would otherwise leave the columns wider than the list, and
  // bring a horizontal bar with it (a second change of the list's frame, at
  // the end of every search that fills a page).
  RECT client{};
  GetClientRect(ListView1, &client);
  int rest = client.right;
  if (!(GetWindowLongPtrA(ListView1, GWL_STYLE) & WS_VSCROLL))
    rest -= GetSystemMetrics(SM_CXVSCROLL);
  for (int column = 0; column < 5; ++column) rest -= ListView_GetColumnWidth(ListView1, column);
  // Never one of the negative widths that ask the list to choose one; the
  // column's own limits keep it wide enough to grasp.
  ListView_SetColumnWidth(ListView1, 5, std::max(rest, 0));
  // Moving the list (the filter panel came or went) leaves its header and
  // rows painted at the old place: everything below the search panel is
  // painted again, the list's header included.
  RECT below{0, panel1Height, width, height};
  RedrawWindow(hwnd_, &below, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TVemkoSearcher::SetListColumnCaption(int column, const std::string& caption) {
  // Setting a caption repaints the whole header, also when the text stays:
  // every search sets "名前" at its start, mostly over "名前" already.
  if (ListColumnCaption(column) == caption) return;
  // The text alone, on the header: the list view's column call sets the
  // header's format too, which drops the sort arrow of the column, and
  // putting it back costs the header a second layout and repaint.
  HDITEMA item{};
  item.mask = HDI_TEXT;
  item.pszText = const_cast<char*>(caption.c_str());
  SendMessageA(ListView_GetHeader(ListView1), HDM_SETITEMA, column,
               reinterpret_cast<LPARAM>(&item));
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
