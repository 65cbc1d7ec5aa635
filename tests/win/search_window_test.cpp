// What a user sees of a search in the main window: the rows of the result
// list (read back through the list view, which asks the window for them),
// the hit count in the name column's caption and the status bar, the sort
// arrow of the header, the panel's boxes and their rules, the mode menus,
// the incremental toggle, and typing while a scan runs. The hits are checked
// against the console client, which runs the same core on the same files.
#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>
#include <shellapi.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/vemko_searcher_win.h"
#include "bench/synthetic_list.h"
#include "platform/message_box.h"
#include "platform/ui_call.h"
#include "platform/window_text.h"
#include "results/result_view_win.h"
#include "results/row_text.h"
#include "results/sort.h"
#include "search/scan.h"
#include "search/search_run_win.h"
#include "searchlist/list_files.h"
#include "tests/core/test_util.h"
#include "tests/win/win_test_util.h"
#include "tests/win/window_test_util.h"
#include "tools/filvex-find/run_find.h"

namespace filvex {
namespace {

using Control = HWND TVemkoSearcher::*;

int RowCount(HWND list) {
  return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

// Full paths of the shown rows: the path column, "\", the name column.
std::vector<std::string> ShownPaths(HWND list) {
  std::vector<std::string> paths;
  for (int i = 0; i < RowCount(list); ++i) {
    paths.push_back(test::CellText(list, i, kColumnPath) + "\\" +
                    test::CellText(list, i, kColumnName));
  }
  return paths;
}

std::vector<std::string> ShownColumn(HWND list, int column) {
  std::vector<std::string> texts;
  for (int i = 0; i < RowCount(list); ++i) texts.push_back(test::CellText(list, i, column));
  return texts;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::string StatusBarText(HWND bar, int panel) {
  char text[256] = {};
  SendMessageA(bar, SB_GETTEXTA, panel, reinterpret_cast<LPARAM>(text));
  return text;
}

// A click as the user makes it: the button toggles and tells its parent.
void Click(HWND button) {
  SendMessageA(button, BM_CLICK, 0, 0);
}

void ChooseItem(TVemkoSearcher& w, HWND combo, int item) {
  SendMessageA(combo, CB_SETCURSEL, item, 0);
  SendMessageA(w.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
}

void ChooseMenu(TVemkoSearcher& w, TMenuItem* item) {
  SendMessageA(w.Handle(), WM_COMMAND, MAKEWPARAM(item->Id(), 0), 0);
}

void SetPicker(TVemkoSearcher& w, HWND picker, WORD y, WORD m, WORD d, WORD hh, WORD nn) {
  SYSTEMTIME t{};
  t.wYear = y;
  t.wMonth = m;
  t.wDay = d;
  t.wHour = hh;
  t.wMinute = nn;
  SendMessageA(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&t));
  NMDATETIMECHANGE change{};
  change.nmhdr.hwndFrom = picker;
  change.nmhdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(picker));
  change.nmhdr.code = DTN_DATETIMECHANGE;
  change.st = t;
  SendMessageA(w.Handle(), WM_NOTIFY, change.nmhdr.idFrom, reinterpret_cast<LPARAM>(&change));
}

void ClickColumn(TVemkoSearcher& w, int column) {
  NMLISTVIEW click{};
  click.hdr.hwndFrom = w.ListView1;
  click.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(w.ListView1));
  click.hdr.code = LVN_COLUMNCLICK;
  click.iItem = -1;
  click.iSubItem = column;
  SendMessageA(w.Handle(), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
}

// A list described entry by entry; files must follow their drives' order.
struct FolderSpec {
  std::string path;
  uint8_t attr = 0x10;
  const char* date = "2020/05/01 10:00";
};
struct FileSpec {
  uint32_t folder;
  std::string name;
  uint8_t attr = 0x10;
  uint32_t sizeKB = 1;
  const char* date = "2020/05/01 10:00";
};

PackedDate Packed(const char* text) {
  PackedDate d = 0;
  PackDateText(text, &d);
  return d;
}

void MakeList(const std::vector<FolderSpec>& folders, const std::vector<FileSpec>& files,
              SearchList& list) {
  list.clear();
  for (const FolderSpec& f : folders) {
    list.FolderList.append(f.path);
    if (f.path.size() == 2) {
      list.FolderInfoList.appendRoot();
    } else {
      list.FolderInfoList.appendDated(Packed(f.date), Packed(f.date), f.attr, false, 0);
    }
  }
  for (const FileSpec& f : files) {
    list.FileList.append(f.folder, f.name);
    list.FileInfoList.appendDated(Packed(f.date), Packed(f.date), f.attr, true, f.sizeKB);
  }
}

// The fixture of most tests: two drives, recycle folders, attributes of every
// kind, a double-byte name whose trail byte is "\".
void StandardList(SearchList& list) {
  MakeList(
      {
          {"C:"},                                  // 0
          {"C:\\Data"},                            // 1
          {"C:\\Data\\Readme"},                    // 2
          {"C:\\Recycled"},                        // 3
          {"C:\\Recycled\\x"},                     // 4
          {"C:\\RecycledData"},                    // 5
          {"D:"},                                  // 6
          {"D:\\Docs", 0x10, "2020/06/15 08:00"},  // 7
          {"D:\\Docs\\txtdir"},                    // 8
      },
      {
          {0, "README.TXT", 0x10, 1},
          {1, "ReadMe.md", 0x10, 3},
          {1, "core.txt", 0x10, 10, "2020/06/01 12:00"},
          {1, "hidden.txt", 0x12, 1},
          {1, "hiddenro.txt", 0x16, 2},
          {1, "ro.txt", 0x14, 4},
          {1, "empty.dat", 0x10, 0},
          {2, "sys.txt", 0x13, 1},
          {3, "trash.txt", 0x10, 1},
          {4, "deep.txt", 0x10, 1},
          {5, "rdata.txt", 0x10, 1},
          {7, "dreadme.txt", 0x10, 6, "2020/06/30 23:59"},
          {7, "表.txt", 0x10, 5},
          {8, "ソース.txt", 0x10, 7, "2020/07/01 00:00"},
      },
      list);
}

class SearchWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { hook_ = test::RecordMessageBoxes(boxes_, IDNO); }

  // A window over `list`, written to the data folder of a fresh program
  // folder (with searchdata.ini lines when given), shown as at start.
  std::unique_ptr<TVemkoSearcher> Start(const SearchList& list, const std::string& ini = {}) {
    folder_ = test::FreshFolder("search") + "\\";
    data_ = folder_ + "data";
    CreateDirectoryA(data_.c_str(), nullptr);
    DriveCounts folderCounts, fileCounts;
    CountEntriesPerDrive(list, folderCounts, fileCounts);
    EXPECT_TRUE(SaveListFiles(data_, list, folderCounts, fileCounts));
    if (!ini.empty()) test::WriteFile(data_ + "\\searchdata.ini", "[DATA]\r\n" + ini);
    StartOptions options;
    options.programFolder = folder_;
    options.launcherFolder = folder_ + "no-launcher";
    auto w = std::make_unique<TVemkoSearcher>(options);
    w->Show(SW_SHOWNOACTIVATE);
    test::Pump();
    EXPECT_TRUE(boxes_.empty()) << boxes_.front();
    return w;
  }

  std::unique_ptr<TVemkoSearcher> StartStandard() {
    SearchList list;
    StandardList(list);
    return Start(list);
  }

  // Types into the name box and waits for the search it starts.
  static void Type(TVemkoSearcher& w, const std::string& text) {
    SetWindowTextA(w.Edit1, text.c_str());
    ASSERT_TRUE(test::WaitForSearch(w));
  }

  // The console client's hits for the same data folder.
  std::vector<std::string> FindHits(std::vector<std::string> args) const {
    args.insert(args.begin(), {"--data", data_});
    std::string out, err;
    RunFind(args, data_, out, err);
    EXPECT_EQ(err, "");
    return Lines(out);
  }

  std::string folder_, data_;
  std::vector<std::string> boxes_;
  std::unique_ptr<win::ScopedMessageBoxHook> hook_;
};

TEST_F(SearchWindowTest, TypedQueryShowsTheHitsOfTheRules) {
  struct Case {
    const char* name;
    std::vector<Control> clicks;  // made before typing, in this order
    const char* drives;
    bool recy;
    const char* query;
    std::vector<std::string> findArgs;  // the console client's options
    std::vector<std::string> expected;  // when given: the rows' full paths
  };
  const Case cases[] = {
      {"case-insensitive, files only",
       {},
       "",
       false,
       "readme",
       {},
       {"C:\\README.TXT", "C:\\Data\\ReadMe.md", "D:\\Docs\\dreadme.txt"}},
      {"folders first",
       {&TVemkoSearcher::CheckBox1},
       "",
       false,
       "readme",
       {"--folders"},
       {"C:\\Data\\Readme", "C:\\README.TXT", "C:\\Data\\ReadMe.md", "D:\\Docs\\dreadme.txt"}},
      {"folders only",
       {&TVemkoSearcher::CheckBox1, &TVemkoSearcher::CheckBox2},
       "",
       false,
       "txt",
       {"--folders", "--no-files"},
       {"D:\\Docs\\txtdir"}},
      {"files cannot be turned off alone",
       {&TVemkoSearcher::CheckBox2},
       "",
       false,
       "txt",
       {},
       {"C:\\README.TXT", "C:\\Data\\core.txt", "D:\\Docs\\dreadme.txt", "C:\\Data\\hiddenro.txt",
        "C:\\Data\\ro.txt", "D:\\Docs\\txtdir\\ソース.txt", "D:\\Docs\\表.txt"}},
      {"any fragment", {}, "", false, "core/ro.", {}, {}},
      {"all fragments",
       {&TVemkoSearcher::CheckBox5},
       "",
       false,
       "read/md",
       {"--and"},
       {"C:\\Data\\ReadMe.md"}},
      {"empty first fragment with AND",
       {&TVemkoSearcher::CheckBox5},
       "",
       false,
       "/txt",
       {"--and"},
       {}},
      {"head",
       {&TVemkoSearcher::CheckBox7},
       "",
       false,
       "re",
       {"--head"},
       {"C:\\README.TXT", "C:\\Data\\ReadMe.md"}},
      {"head turns AND off",
       {&TVemkoSearcher::CheckBox5, &TVemkoSearcher::CheckBox7},
       "",
       false,
       "re",
       {"--head"},
       {}},
      {"one drive",
       {},
       "d",
       false,
       "txt",
       {"--drives", "d"},
       {"D:\\Docs\\dreadme.txt", "D:\\Docs\\txtdir\\ソース.txt", "D:\\Docs\\表.txt"}},
      {"unknown drive letters change nothing", {}, "cdx", false, "readme", {"--drives", "cdx"}, {}},
      {"SH alone: no read-only entry, plain entries stay",
       {&TVemkoSearcher::CheckBox6},
       "",
       false,
       "txt",
       {"--attr", "SH"},
       {"C:\\README.TXT", "C:\\Data\\core.txt", "D:\\Docs\\dreadme.txt",
        "C:\\Data\\Readme\\sys.txt", "D:\\Docs\\txtdir\\ソース.txt", "D:\\Docs\\表.txt"}},
      {"S and H with R",
       {&TVemkoSearcher::CheckBox3, &TVemkoSearcher::CheckBox4},
       "",
       false,
       "txt",
       {"--attr", "S,H,R"},
       {}},
      {"S after SH",
       {&TVemkoSearcher::CheckBox6, &TVemkoSearcher::CheckBox3},
       "",
       false,
       "txt",
       {"--attr", "S"},
       {}},
      {"recycle folders", {}, "", true, "txt", {"--recy"}, {}},
      {"double-byte trail byte is no backslash", {}, "", false, "\\", {}, {}},
      {"no hit", {}, "", false, "zzz", {}, {}},
  };
  auto w = StartStandard();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // The panel as at start, without searching; then the case's clicks.
    SetWindowTextA(w->Edit1, "");
    SetWindowTextA(w->Edit3, "");
    const std::pair<HWND, bool> defaults[] = {
        {w->CheckBox1, false}, {w->CheckBox2, true},  {w->CheckBox5, false}, {w->CheckBox7, false},
        {w->CheckBox3, false}, {w->CheckBox4, false}, {w->CheckBox6, false}, {w->CheckBox8, true}};
    for (auto [box, on] : defaults) {
      win::SetChecked(box, on);
    }
    for (Control control : c.clicks) Click(w.get()->*control);
    ASSERT_TRUE(test::WaitForSearch(*w));
    w->Settings.recy = c.recy;
    SetWindowTextA(w->Edit3, c.drives);
    Type(*w, c.query);

    std::vector<std::string> args = c.findArgs;
    args.push_back(c.query);
    const std::vector<std::string> shown = ShownPaths(w->ListView1);
    EXPECT_EQ(shown, FindHits(args));
    if (!c.expected.empty()) {
      EXPECT_EQ(shown, c.expected);
    }
    const std::string n = std::to_string(shown.size());
    EXPECT_EQ(w->ListColumnCaption(0), "名前  [ " + n + " ]");
    EXPECT_EQ(w->StatusText(0), n);
    EXPECT_EQ(StatusBarText(w->StatusBar1, 0), "\t\t" + n);
    EXPECT_EQ(IsWindowEnabled(w->SpeedButton4) != 0, shown.empty());
    EXPECT_TRUE(win::IsChecked(w->CheckBox1) || win::IsChecked(w->CheckBox2));
    EXPECT_FALSE(win::IsChecked(w->CheckBox5) && win::IsChecked(w->CheckBox7));
    EXPECT_FALSE(win::IsChecked(w->CheckBox6) &&
                 (win::IsChecked(w->CheckBox3) || win::IsChecked(w->CheckBox4) ||
                  win::IsChecked(w->CheckBox8)));
    EXPECT_EQ(w->SearchMode, SearchMode::NameSearch);
    EXPECT_EQ(ListView_GetBkColor(w->ListView1), RGB(255, 255, 255));
    EXPECT_EQ(SortImageOf(*w, 0), 24);
    EXPECT_TRUE(w->ShowsSearchHits);
    EXPECT_FALSE(ListUpdatesSuspended(w->ListView1));
  }
}

// The shell's image lists are made after the window shows; a search typed at
// once still finds them attached (the rows' height and icons come from
// them) and gives its rows the default icons, never an index of none.
TEST_F(SearchWindowTest, SearchRightAfterShowingHasTheSystemImages) {
  auto w = StartStandard();
  Type(*w, "readme");
  ASSERT_FALSE(w->HitList.empty());
  const std::string root = folder_.substr(0, 3);
  SHFILEINFOA info{};
  const auto small = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoA(root.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(ListView_GetImageList(w->ListView1, LVSIL_SMALL), small);
  EXPECT_NE(ListView_GetImageList(w->ListView1, LVSIL_NORMAL), nullptr);
  EXPECT_GE(w->FolderIconIndex, 0);
  EXPECT_GE(w->FileIconIndex, 0);
  for (const HitRecord& r : w->HitList) EXPECT_GE(r.ImageIndex, 0) << r.Path.view();
}

TEST_F(SearchWindowTest, HitLimitShowsRefusedMatchesInCaption) {
  struct Case {
    int matches;
    const char* limit;  // typed into the hit-limit box
    bool maxstop;
    const char* caption;
    const char* status;
  };
  const Case cases[] = {
      {150, "100", true, "名前  [ 100 < 101 ]", "100"},
      {150, "100", false, "名前  [ 100 < 150 ]", "100"},
      {100, "100", true, "名前  [ 100 ]", "100"},
      {1234, "2000", true, "名前  [ 1,234 ]", "1234"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    std::vector<FileSpec> files;
    for (int i = 0; i < c.matches + 20; ++i) {
      files.push_back({1, (i < c.matches ? "hit" : "other") + std::to_string(10000 + i) + ".txt"});
    }
    SearchList list;
    MakeList({{"C:"}, {"C:\\Big"}}, files, list);
    auto w = Start(list, c.maxstop ? "" : "maxstop=0\r\n");
    SetWindowTextA(w->NumberEdit1, c.limit);
    Type(*w, "hit");
    EXPECT_EQ(w->ListColumnCaption(0), c.caption);
    EXPECT_EQ(w->StatusText(0), c.status);
    EXPECT_EQ(RowCount(w->ListView1), std::stoi(c.status));
    // The kept hits are the first ones of the list, shown in name order.
    EXPECT_EQ(test::CellText(w->ListView1, 0, 0), "hit10000.txt");
    EXPECT_EQ(w->HitList.capacity(), std::stoul(c.limit)) << "room for the limit, no more";
  }
}

// A search writes its hits into the room of rows let go of (emptied by an
// empty query, or replaced by a search), and shows them as a search into
// new room does; a lowered limit gives the larger room back.
TEST_F(SearchWindowTest, SearchesWriteIntoTheRoomOfRowsLetGo) {
  auto w = StartStandard();
  Type(*w, "txt");
  const std::vector<std::string> txtRows = ShownColumn(w->ListView1, 0);
  ASSERT_FALSE(txtRows.empty());
  const HitRecord* room = w->HitList.data();
  struct Step {
    const char* text;
    bool inFirstRoom;
  };
  const Step steps[] = {
      {"", false},    // emptied: the room is kept aside
      {"txt", true},  // and written again
      {"ro", false},  // a search replacing a search: new room, the replaced kept aside
      {"txt", true},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.text);
    Type(*w, step.text);
    if (step.inFirstRoom) {
      EXPECT_EQ(w->HitList.data(), room);
      EXPECT_EQ(ShownColumn(w->ListView1, 0), txtRows);
    }
  }
  SetWindowTextA(w->NumberEdit1, "100");
  Type(*w, "ro");
  EXPECT_EQ(w->HitList.capacity(), 100u);
  EXPECT_FALSE(ShownColumn(w->ListView1, 0).empty());
}

TEST_F(SearchWindowTest, HeaderClicksSortWithArrow) {
  auto w = StartStandard();
  Type(*w, "txt");
  const std::vector<std::string> byName = {
      "README.TXT", "core.txt", "dreadme.txt", "hiddenro.txt", "ro.txt", "ソース.txt", "表.txt"};
  ASSERT_EQ(ShownColumn(w->ListView1, 0), byName);
  struct Step {
    int column;  // -1: a new search
    std::vector<std::string> names;
    std::vector<int> images;  // header images of columns 0-5
  };
  const std::vector<std::string> reversed(byName.rbegin(), byName.rend());
  const std::vector<std::string> bySizeDown = {"core.txt", "ソース.txt",   "dreadme.txt", "表.txt",
                                               "ro.txt",   "hiddenro.txt", "README.TXT"};
  const std::vector<std::string> bySizeUp(bySizeDown.rbegin(), bySizeDown.rend());
  const Step steps[] = {
      {0, reversed, {23, -1, -1, -1, -1, -1}},  // the hits are ascending already
      {0, byName, {24, -1, -1, -1, -1, -1}},
      {1, bySizeDown, {-1, 23, -1, -1, -1, -1}},  // first click on another column: descending
      {1, bySizeUp, {-1, 24, -1, -1, -1, -1}},
      {-1, byName, {24, -1, -1, -1, -1, -1}},     // a search puts the arrow back on the name
      {1, bySizeDown, {-1, 23, -1, -1, -1, -1}},  // the size column's toggle kept flipping
      {0, reversed, {23, -1, -1, -1, -1, -1}},    // the name toggle was reset by the search
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.column);
    if (s.column < 0) {
      Click(w->SpeedButton3);
      ASSERT_TRUE(test::WaitForSearch(*w));
    } else {
      ClickColumn(*w, s.column);
    }
    EXPECT_EQ(ShownColumn(w->ListView1, 0), s.names);
    for (int c = 0; c < kColumnCount; ++c) EXPECT_EQ(SortImageOf(*w, c), s.images[c]) << c;
  }

  // The header itself: a press and release on the size column's caption.
  HWND header = ListView_GetHeader(w->ListView1);
  RECT rc{};
  SendMessageA(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&rc));
  const LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
  SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(header, WM_LBUTTONUP, 0, at);
  test::Pump();
  EXPECT_EQ(ShownColumn(w->ListView1, 0), bySizeUp);
  EXPECT_EQ(SortImageOf(*w, 1), 24);

  // While a search runs a click changes nothing.
  w->SearchStopFlag.store(0);
  ClickColumn(*w, 0);
  w->SearchStopFlag.store(1);
  EXPECT_EQ(ShownColumn(w->ListView1, 0), bySizeUp);
  EXPECT_EQ(SortImageOf(*w, 0), -1);

  // The large-icon view and back: the arrow of the last sort comes back, and
  // a search in the icon view leaves the sort values alone.
  Click(w->SpeedButton5);
  EXPECT_FALSE(IsReportView(w->ListView1));
  SetSortImage(*w, 1, -1);
  Click(w->SpeedButton3);
  ASSERT_TRUE(test::WaitForSearch(*w));
  EXPECT_EQ(w->SortColumn, 1);
  Click(w->SpeedButton5);
  EXPECT_TRUE(IsReportView(w->ListView1));
  EXPECT_EQ(SortImageOf(*w, 1), 23 + w->SortAscending);

  // A new caption keeps the column's arrow (the date column's caption
  // follows the date kind).
  ClickColumn(*w, kColumnDate);
  const int arrow = SortImageOf(*w, kColumnDate);
  ASSERT_NE(arrow, -1);
  const std::string caption = w->ListColumnCaption(kColumnDate);
  w->EnsureFilterPanel();
  SendMessageA(w->ComboBox1, CB_SETCURSEL, 1 - win::SelectedIndex(w->ComboBox1), 0);
  w->ComboBox1Change();
  EXPECT_NE(w->ListColumnCaption(kColumnDate), caption);
  EXPECT_EQ(SortImageOf(*w, kColumnDate), arrow);
}

TEST_F(SearchWindowTest, IncrementalToggleUpTypingStartsNothing) {
  auto w = StartStandard();
  Type(*w, "readme");
  ASSERT_EQ(RowCount(w->ListView1), 3);
  Click(w->SpeedButton7);  // up
  ASSERT_FALSE(win::IsChecked(w->SpeedButton7));
  SetWindowTextA(w->Edit1, "txt");
  EXPECT_EQ(w->SearchStopFlag.load(), 1);
  test::Pump();
  EXPECT_EQ(RowCount(w->ListView1), 3);
  EXPECT_EQ(w->ListColumnCaption(0), "名前  [ 3 ]");
  // The re-search button and the other boxes still search, with the text.
  Click(w->SpeedButton3);
  ASSERT_TRUE(test::WaitForSearch(*w));
  EXPECT_EQ(RowCount(w->ListView1), 7);
  SetWindowTextA(w->Edit3, "D");
  ASSERT_TRUE(test::WaitForSearch(*w));
  EXPECT_EQ(RowCount(w->ListView1), 3);
  Click(w->SpeedButton7);  // down again
  Type(*w, "core");
  EXPECT_EQ(RowCount(w->ListView1), 0);  // core.txt lies on C:
}

TEST_F(SearchWindowTest, EmptiedNameBoxEmptiesListAndStartsNoWorker) {
  auto w = StartStandard();
  Type(*w, "txt");
  ASSERT_EQ(RowCount(w->ListView1), 7);
  ListView_SetItemState(w->ListView1, 0, LVIS_SELECTED, LVIS_SELECTED);
  SetWindowTextA(w->Edit1, "");
  EXPECT_EQ(RowCount(w->ListView1), 0);
  EXPECT_TRUE(w->HitList.empty());
  EXPECT_EQ(w->StatusText(0), "");
  // The caption no longer counts the hits that are gone.
  EXPECT_EQ(w->ListColumnCaption(kColumnName), std::string(kNameCaption));
  EXPECT_EQ(w->SearchThread, nullptr);
  EXPECT_FALSE(IsWindowVisible(w->SpeedButton1));
  // Nothing runs, so nothing that waits for the end of a search is refused.
  EXPECT_EQ(w->SearchStopFlag.load(), 1);
}

TEST_F(SearchWindowTest, ModeMenusSearchWithoutNamesAndControlsKeepOrLeaveTheMode) {
  auto w = StartStandard();
  Click(w->SpeedButton2);  // the filter panel
  Type(*w, "zzz");         // no name matches
  ASSERT_EQ(RowCount(w->ListView1), 0);

  // Attribute mode with H only.
  Click(w->CheckBox8);
  Click(w->CheckBox4);
  ASSERT_TRUE(test::WaitForSearch(*w));
  w->Tool1Click();
  EXPECT_TRUE(w->N7->Enabled());
  EXPECT_FALSE(w->N13->Enabled());
  EXPECT_FALSE(w->N14->Enabled());
  EXPECT_FALSE(w->N20->Visible());
  ChooseMenu(*w, w->N7);
  ASSERT_TRUE(test::WaitForSearch(*w));
  EXPECT_EQ(w->SearchMode, SearchMode::AttributeSearch);
  EXPECT_EQ(ListView_GetBkColor(w->ListView1), RGB(255, 230, 255));
  EXPECT_EQ(ShownPaths(w->ListView1), FindHits({"--mode", "attr", "--attr", "H", "zzz"}));
  EXPECT_EQ(RowCount(w->ListView1), 3);
  w->Tool1Click();
  EXPECT_TRUE(w->N20->Visible());
  Click(w->CheckBox3);  // an attribute box keeps the mode
  ASSERT_TRUE(test::WaitForSearch(*w));
  EXPECT_EQ(w->SearchMode, SearchMode::AttributeSearch);
  EXPECT_EQ(ShownPaths(w->ListView1), FindHits({"--mode", "attr", "--attr", "S,H", "zzz"}));
  Click(w->CheckBox1);  // any other control returns to the name search
  ASSERT_TRUE(test::WaitForSearch(*w));
  EXPECT_EQ(w->SearchMode, SearchMode::NameSearch);
  EXPECT_EQ(ListView_GetBkColor(w->ListView1), RGB(255, 255, 255));
  EXPECT_EQ(RowCount(w->ListView1), 0);

  // Date mode: the range from the pickers, the name ignored.
  Click(w->CheckBox9);
  ASSERT_TRUE(test::WaitForSearch(*w));
  EXPECT_TRUE(IsWindowEnabled(w->DateTimePicker1));
  SetPicker(*w, w->DateTimePicker1, 2020, 6, 1, 0, 0);
  SetPicker(*w, w->DateTimePicker2, 2020, 6, 30, 23, 59);
  ASSERT_TRUE(test::WaitForSearch(*w));
  w->Tool1Click();
  EXPECT_TRUE(w->N13->Enabled());
  ChooseMenu(*w, w->N13);
  ASSERT_TRUE(test::WaitForSearch(*w));
  EXPECT_EQ(w->SearchMode, SearchMode::DateSearch);
  EXPECT_EQ(ListView_GetBkColor(w->ListView1), RGB(230, 242, 255));
  const std::vector<std::string> dateArgs = {
      "--folders", "--mode",           "date", "--from", "2020/06/01 00:00",
      "--to",      "2020/06/30 23:59", "zzz"};
  EXPECT_EQ(ShownPaths(w->ListView1), FindHits(dateArgs));
  EXPECT_EQ(ShownPaths(w->ListView1),
            (std::vector<std::string>{"D:\\Docs", "C:\\Data\\core.txt", "D:\\Docs\\dreadme.txt"}));
  ChooseItem(*w, w->ComboBox1, 1);  // a date control keeps the mode
  ASSERT_TRUE(test::WaitForSearch(*w));
  EXPECT_EQ(w->SearchMode, SearchMode::DateSearch);
  Click(w->SpeedButton3);  // so does the re-search button
  ASSERT_TRUE(test::WaitForSearch(*w));
  EXPECT_EQ(w->SearchMode, SearchMode::DateSearch);
  EXPECT_EQ(RowCount(w->ListView1), 3);
  Click(w->CheckBox9);  // turning the date box off returns to the name search
  ASSERT_TRUE(test::WaitForSearch(*w));
  EXPECT_EQ(w->SearchMode, SearchMode::NameSearch);

  // Size mode: files of 5 KB and more.
  Click(w->CheckBox1);  // files only again
  Click(w->CheckBox10);
  ChooseItem(*w, w->ComboBox2, 1);  // "大きい"
  SetWindowTextA(w->NumberEdit2, "5");
  ASSERT_TRUE(test::WaitForSearch(*w));
  ChooseMenu(*w, w->N14);
  ASSERT_TRUE(test::WaitForSearch(*w));
  EXPECT_EQ(w->SearchMode, SearchMode::SizeSearch);
  EXPECT_EQ(ListView_GetBkColor(w->ListView1), RGB(233, 244, 232));
  EXPECT_EQ(ShownPaths(w->ListView1),
            FindHits({"--mode", "size", "--size", "larger", "--low", "5KB", "zzz"}));
  EXPECT_EQ(RowCount(w->ListView1), 4);
  ChooseItem(*w, w->ComboBox3, 1);  // the unit keeps the mode: 5 MB and more
  ASSERT_TRUE(test::WaitForSearch(*w));
  EXPECT_EQ(w->SearchMode, SearchMode::SizeSearch);
  EXPECT_EQ(RowCount(w->ListView1), 0);
  // While an arrow of the up-down control is held, its number changes start
  // nothing, and the release starts nothing either.
  const win::WorkerThread* lastSearch = w->SearchThread.get();
  w->SuppressSizeSearch = true;
  SetWindowTextA(w->NumberEdit2, "7");
  EXPECT_EQ(w->SearchThread.get(), lastSearch);
  NMHDR release{w->UpDown2, static_cast<UINT_PTR>(GetDlgCtrlID(w->UpDown2)),
                static_cast<UINT>(NM_RELEASEDCAPTURE)};
  SendMessageA(w->Handle(), WM_NOTIFY, release.idFrom, reinterpret_cast<LPARAM>(&release));
  EXPECT_FALSE(w->SuppressSizeSearch);
  EXPECT_EQ(w->SearchThread.get(), lastSearch);
  EXPECT_EQ(w->SearchMode, SearchMode::SizeSearch);
  SetWindowTextA(w->NumberEdit2, "6");  // a typed number returns to the name search
  ASSERT_TRUE(test::WaitForSearch(*w));
  EXPECT_EQ(w->SearchMode, SearchMode::NameSearch);

  // N20 returns to the name search from any mode.
  ChooseMenu(*w, w->N14);
  ASSERT_TRUE(test::WaitForSearch(*w));
  ASSERT_EQ(w->SearchMode, SearchMode::SizeSearch);
  ChooseMenu(*w, w->N20);
  ASSERT_TRUE(test::WaitForSearch(*w));
  EXPECT_EQ(w->SearchMode, SearchMode::NameSearch);
  w->Tool1Click();
  EXPECT_FALSE(w->N20->Visible());
}

TEST_F(SearchWindowTest, ToolsMenuEnablesModesByTheirBoxes) {
  struct Case {
    bool s, h, sh, r, date, size;
    bool buildFillsList, upmode;
    bool n7, n13, n14;
  };
  const Case cases[] = {
      {false, false, false, true, false, false, false, false, true, false, false},
      {false, false, false, false, false, false, false, false, false, false, false},
      {false, false, true, false, true, false, false, false, true, true, false},
      {true, false, false, false, false, true, false, false, true, false, true},
      {false, true, false, false, true, true, false, false, true, true, true},
      {false, true, false, false, true, true, true, false, false, false, false},
      {false, true, false, false, true, true, true, true, true, true, true},
  };
  auto w = StartStandard();
  w->EnsureFilterPanel();
  for (const Case& c : cases) {
    const std::pair<HWND, bool> boxes[] = {{w->CheckBox3, c.s},    {w->CheckBox4, c.h},
                                           {w->CheckBox6, c.sh},   {w->CheckBox8, c.r},
                                           {w->CheckBox9, c.date}, {w->CheckBox10, c.size}};
    for (auto [box, on] : boxes) win::SetChecked(box, on);
    w->BuildStop.store(c.buildFillsList ? 0 : 1);
    w->Settings.upmode = c.upmode;
    w->Tool1Click();
    EXPECT_EQ(w->N7->Enabled(), c.n7);
    EXPECT_EQ(w->N13->Enabled(), c.n13);
    EXPECT_EQ(w->N14->Enabled(), c.n14);
  }
  w->BuildStop.store(1);
}

TEST_F(SearchWindowTest, NoScanWhileBuildFillsLiveList) {
  auto w = StartStandard();
  Type(*w, "txt");
  ASSERT_EQ(RowCount(w->ListView1), 7);
  w->EnsureFilterPanel();
  // A build without upmode is filling the live set.
  w->Settings.upmode = false;
  w->BuildStop.store(0);
  struct Trigger {
    const char* name;
    std::function<void()> act;
  };
  const Trigger triggers[] = {
      {"typing", [&] { SetWindowTextA(w->Edit1, "readme"); }},
      {"re-search", [&] { Click(w->SpeedButton3); }},
      {"size unit", [&] { ChooseItem(*w, w->ComboBox3, 1); }},
      {"mode menu", [&] { w->ModeMenuClick(kTagAttributeMenu); }},
  };
  for (const Trigger& t : triggers) {
    SCOPED_TRACE(t.name);
    t.act();
    EXPECT_EQ(w->SearchThread, nullptr);
    EXPECT_EQ(w->SearchStopFlag.load(), 1);
    EXPECT_EQ(RowCount(w->ListView1), 0);
    EXPECT_EQ(w->ListColumnCaption(0), "名前");
  }
  // With upmode the build fills the other set: searching goes on.
  w->Settings.upmode = true;
  Type(*w, "readme");
  EXPECT_EQ(RowCount(w->ListView1), 3);
  // The end of the build searches again; with the toggle up a name search
  // does not start.
  w->BuildStop.store(1);
  w->Settings.upmode = false;
  Click(w->SpeedButton7);
  SetWindowTextA(w->Edit1, "txt");
  w->StartSearch(SearchAgainTrigger(*w, /*afterBuild=*/true));
  ASSERT_TRUE(test::WaitForSearch(*w));
  EXPECT_EQ(RowCount(w->ListView1), 3);
  Click(w->SpeedButton7);
  w->StartSearch(SearchAgainTrigger(*w, /*afterBuild=*/true));
  ASSERT_TRUE(test::WaitForSearch(*w));
  EXPECT_EQ(RowCount(w->ListView1), 7);
}

TEST_F(SearchWindowTest, EndOfBuildSearchesAgainInCurrentMode) {
  auto w = StartStandard();
  Type(*w, "zzz");
  Click(w->CheckBox8);  // R off
  Click(w->CheckBox4);  // H on
  ChooseMenu(*w, w->N7);
  ASSERT_TRUE(test::WaitForSearch(*w));
  ASSERT_EQ(RowCount(w->ListView1), 3);
  // The build brought a new hidden file; its end searches in the same mode.
  w->LiveList.FileList.append(1, "new.txt");
  w->LiveList.FileInfoList.appendDated(Packed("2021/01/01 00:00"), Packed("2021/01/01 00:00"), 0x12,
                                       true, 1);
  w->ListBuildDone();
  ASSERT_TRUE(test::WaitForSearch(*w));
  EXPECT_EQ(w->SearchMode, SearchMode::AttributeSearch);
  EXPECT_EQ(ShownColumn(w->ListView1, 0),
            (std::vector<std::string>{"hidden.txt", "hiddenro.txt", "new.txt", "sys.txt"}));
  // In the name search it stands for typing: nothing starts with the toggle up.
  ChooseMenu(*w, w->N20);
  ASSERT_TRUE(test::WaitForSearch(*w));
  Click(w->SpeedButton7);
  SetWindowTextA(w->Edit1, "new");
  w->ListBuildDone();
  ASSERT_TRUE(test::WaitForSearch(*w));
  EXPECT_EQ(RowCount(w->ListView1), 0);
  Click(w->SpeedButton7);
  w->ListBuildDone();
  ASSERT_TRUE(test::WaitForSearch(*w));
  EXPECT_EQ(ShownColumn(w->ListView1, 0), std::vector<std::string>{"new.txt"});
}

TEST_F(SearchWindowTest, RowsShowTextsStatesAndSelection) {
  const std::string real = test::FreshFolder("rows");
  test::WriteFile(real + "\\present.txt", "x");
  test::WriteFile(real + "\\hid.txt", "x");
  SearchList list;
  MakeList({{"D:"}, {real}},
           {{1, "present.txt", 0x16, 1536},
            {1, "gone.txt", 0x10, 1024},
            {1, "hid.txt", 0x12, 0},
            {0, "root.txt", 0x08, 1048576}},
           list);
  auto w = Start(list);
  Click(w->CheckBox8);  // R off: hidden entries still need H
  Click(w->CheckBox4);  // H on
  Type(*w, ".txt");
  // Rows in name order: gone, hid, present, root.
  ASSERT_EQ(ShownColumn(w->ListView1, 0),
            (std::vector<std::string>{"gone.txt", "hid.txt", "present.txt", "root.txt"}));
  struct Row {
    const char* size;       // sizekb on
    const char* sizeUnits;  // sizekb off
    const char* attr;
    std::string path;
    bool cut;
  };
  const Row rows[] = {
      {"1,024KB", "1MB", "A", real, false},
      {"0KB", "0B", "HA", real, true},
      {"1,536KB", "1.5MB", "HRA", real, true},
      {"1,048,576KB", "1GB", "N", "D:", false},
  };
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(test::CellText(w->ListView1, i, kColumnSize), rows[i].size);
    EXPECT_EQ(test::CellText(w->ListView1, i, kColumnDate), "2020/05/01 10:00");
    EXPECT_EQ(test::CellText(w->ListView1, i, kColumnAttr), rows[i].attr);
    EXPECT_EQ(test::CellText(w->ListView1, i, kColumnType), "");
    EXPECT_EQ(test::CellText(w->ListView1, i, kColumnPath), rows[i].path);
    EXPECT_EQ(ListView_GetItemState(w->ListView1, i, LVIS_CUT), rows[i].cut ? LVIS_CUT : 0u);
    EXPECT_EQ(ListView_GetItemState(w->ListView1, i, LVIS_OVERLAYMASK), 0u);
  }
  w->Settings.sizekb = false;
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(test::CellText(w->ListView1, i, kColumnSize), rows[i].sizeUnits);

  // The rows being painted are announced; with ico on their icons are
  // fetched then.
  w->Settings.ico = true;
  InvalidateRect(w->ListView1, nullptr, TRUE);
  UpdateWindow(w->ListView1);
  EXPECT_EQ(w->VisibleFirst, 0);
  EXPECT_EQ(w->VisibleLast, 3);
  EXPECT_TRUE(w->HitList[0].IconSet);
  w->Settings.ico = false;

  // Image and overlay come from the record.
  w->HitList[2].ImageIndex = 7;
  w->HitList[2].OverlayIndex = 1;
  LVITEMA item{};
  item.mask = LVIF_IMAGE;
  item.iItem = 2;
  ASSERT_TRUE(SendMessageA(w->ListView1, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  EXPECT_EQ(item.iImage, 7);
  EXPECT_EQ(ListView_GetItemState(w->ListView1, 2, LVIS_OVERLAYMASK), INDEXTOOVERLAYMASK(2));

  // The existence check: at every paint with chk, after a selection without.
  w->Settings.chk = true;
  EXPECT_EQ(test::CellText(w->ListView1, 0, kColumnAttr), "不明");
  EXPECT_EQ(test::CellText(w->ListView1, 2, kColumnAttr), "HRA");
  w->Settings.chk = false;
  EXPECT_EQ(test::CellText(w->ListView1, 0, kColumnAttr), "A");
  ListView_SetItemState(w->ListView1, 0, LVIS_SELECTED | LVIS_FOCUSED,
                        LVIS_SELECTED | LVIS_FOCUSED);
  EXPECT_EQ(test::CellText(w->ListView1, 0, kColumnAttr), "不明");
  EXPECT_EQ(w->StatusText(1), real);
  EXPECT_TRUE(IsWindowVisible(w->SpeedButton1));
  RECT rowRect{}, button{};
  rowRect.left = LVIR_BOUNDS;
  SendMessageA(w->ListView1, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rowRect));
  MapWindowPoints(w->ListView1, nullptr, reinterpret_cast<POINT*>(&rowRect), 2);
  GetWindowRect(w->SpeedButton1, &button);
  const int middle = (button.top + button.bottom) / 2;
  EXPECT_GE(middle, rowRect.top);
  EXPECT_LE(middle, rowRect.bottom);
  // Two rows selected: no button; the file back: its letters again.
  ListView_SetItemState(w->ListView1, 3, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_FALSE(IsWindowVisible(w->SpeedButton1));
  ListView_SetItemState(w->ListView1, -1, 0, LVIS_SELECTED);
  EXPECT_FALSE(IsWindowVisible(w->SpeedButton1));
  test::WriteFile(real + "\\gone.txt", "back");
  ListView_SetItemState(w->ListView1, 0, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_EQ(test::CellText(w->ListView1, 0, kColumnAttr), "A");
  EXPECT_TRUE(IsWindowVisible(w->SpeedButton1));
  ListView_SetItemState(w->ListView1, 3, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_EQ(w->StatusText(1), "D:");

  // Keyboard find: whole names only.
  struct Find {
    const char* text;
    UINT flags;
    int row;
  };
  const Find finds[] = {
      {"present.txt", LVFI_STRING, 2},          {"pres", LVFI_STRING, -1},
      {"pres", LVFI_PARTIAL | LVFI_STRING, -1}, {"PRESENT.TXT", LVFI_STRING, -1},
      {"root.txt", LVFI_STRING | LVFI_WRAP, 3},
  };
  for (const Find& f : finds) {
    SCOPED_TRACE(f.text);
    LVFINDINFOA info{};
    info.flags = f.flags;
    info.psz = f.text;
    EXPECT_EQ(SendMessageA(w->ListView1, LVM_FINDITEMA, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>(&info)),
              f.row);
  }
  EXPECT_EQ(ListView1DataFind(*w, "gone.txt", 1, /*wrap=*/false), -1);
  EXPECT_EQ(ListView1DataFind(*w, "gone.txt", 1, /*wrap=*/true), 0);
}

// More rows than fit bring the vertical scroll bar alone: the columns,
// the path column filling the rest, stay within the list beside it, so no
// horizontal bar comes and goes with every search that fills a page. A
// resize of the window keeps it so.
TEST_F(SearchWindowTest, FullPageOfRowsBringsNoHorizontalScrollBar) {
  std::vector<FileSpec> files;
  for (int i = 0; i < 300; ++i) files.push_back({1, "many" + std::to_string(1000 + i) + ".txt"});
  files.push_back({1, "single.txt"});
  SearchList list;
  MakeList({{"C:"}, {"C:\\Many"}}, files, list);
  auto w = Start(list);
  struct Case {
    const char* query;
    int width;  // of the main window, 0: as it is
    bool vertical;
  };
  const Case cases[] = {
      {"single", 0, false},   {"many", 0, true},    {"many", 900, true},
      {"single", 700, false}, {"many", 1000, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.query) + " " + std::to_string(c.width));
    if (c.width > 0) {
      SetWindowPos(w->Handle(), nullptr, 0, 0, c.width, 600, SWP_NOMOVE | SWP_NOZORDER);
      test::Pump();
    }
    Type(*w, c.query);
    const LONG_PTR style = GetWindowLongPtrA(w->ListView1, GWL_STYLE);
    EXPECT_EQ((style & WS_VSCROLL) != 0, c.vertical);
    EXPECT_EQ(style & WS_HSCROLL, 0);
    // The columns reach the list's right edge, or the room of the bar
    // that is not shown.
    RECT client{};
    GetClientRect(w->ListView1, &client);
    int columns = 0;
    for (int i = 0; i < kColumnCount; ++i) columns += ListView_GetColumnWidth(w->ListView1, i);
    EXPECT_LE(columns, client.right);
    EXPECT_GE(columns, client.right - (c.vertical ? 0 : GetSystemMetrics(SM_CXVSCROLL)));
  }
}

// The start of a search takes the count out of the caption, and the header
// then waits for its repaint: a header kept unpainted over a changed caption
// was left blank under Wine. A caption that stays as it is ("名前" over
// "名前") is not painted again, and a repaint already pending stays pending.
TEST_F(SearchWindowTest, SearchStartRepaintsTheCaptionItChanges) {
  auto w = StartStandard();
  const HWND header = ListView_GetHeader(w->ListView1);
  struct Case {
    const char* before;  // typed and searched first
    bool pending;        // the header waits for a repaint already
    bool repaint;        // the header waits for one after the start
  };
  const Case cases[] = {
      {"", false, false},
      {"readme", false, true},
      {"readme", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before);
    Type(*w, c.before);
    if (c.pending) {
      InvalidateRect(header, nullptr, TRUE);
    } else {
      ValidateRect(header, nullptr);
    }
    // The change notice runs the start of the search; nothing is served
    // before the update region is read, so the search's end is not in it.
    SetWindowTextA(w->Edit1, "core");
    EXPECT_EQ(w->ListColumnCaption(kColumnName), "名前");
    EXPECT_EQ(GetUpdateRect(header, nullptr, FALSE) != FALSE, c.repaint);
    if (c.repaint && !c.pending) {  // the caption's own item, not the whole header
      RECT item{}, update{};
      Header_GetItemRect(header, kColumnName, &item);
      GetUpdateRect(header, &update, FALSE);
      EXPECT_TRUE(EqualRect(&update, &item));
    }
    ASSERT_TRUE(test::WaitForSearch(*w));
    EXPECT_EQ(w->ListColumnCaption(kColumnName), "名前  [ 1 ]");
  }
}

// While a scan runs, the rows shown keep their records: a row is never asked
// past the hit list (one that is, is blank), and the hits replace rows and
// records in one step, with no row selected or focused.
TEST_F(SearchWindowTest, RowsKeepTheirRecordsUntilTheHitsReplaceThem) {
  auto w = StartStandard();
  Type(*w, "txt");
  const std::vector<std::string> before = ShownColumn(w->ListView1, kColumnName);
  ASSERT_GT(before.size(), 2u);
  ListView_SetItemState(w->ListView1, 1, LVIS_SELECTED | LVIS_FOCUSED,
                        LVIS_SELECTED | LVIS_FOCUSED);

  // The next search's scan is held.
  win::UniqueHandle release(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  const HANDLE event = release.get();
  SetScanFaultForTests([event] { WaitForSingleObject(event, 10000); });
  SetWindowTextA(w->Edit1, "core");
  test::Pump();
  EXPECT_EQ(ShownColumn(w->ListView1, kColumnName), before);
  EXPECT_EQ(w->ListColumnCaption(kColumnName), "名前");

  char text[32] = "stale";
  NMLVDISPINFOA ask{};
  ask.hdr.hwndFrom = w->ListView1;
  ask.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(w->ListView1));
  ask.hdr.code = LVN_GETDISPINFOA;
  ask.item.mask = LVIF_TEXT;
  ask.item.iItem = static_cast<int>(before.size());
  ask.item.pszText = text;
  ask.item.cchTextMax = sizeof text;
  SendMessageA(w->Handle(), WM_NOTIFY, ask.hdr.idFrom, reinterpret_cast<LPARAM>(&ask));
  EXPECT_STREQ(text, "");

  SetEvent(event);
  ASSERT_TRUE(test::WaitForSearch(*w));
  SetScanFaultForTests(nullptr);
  EXPECT_EQ(ShownColumn(w->ListView1, kColumnName), std::vector<std::string>{"core.txt"});
  EXPECT_EQ(w->ListColumnCaption(kColumnName), "名前  [ 1 ]");
  EXPECT_EQ(ListView_GetSelectedCount(w->ListView1), 0u);
  EXPECT_EQ(ListView_GetNextItem(w->ListView1, -1, LVNI_FOCUSED), -1);
  EXPECT_FALSE(IsWindowVisible(w->SpeedButton1));

  // Rows that are not search hits (a folder's entries) go at the start.
  w->OpenFolderView(data_);
  ASSERT_GT(RowCount(w->ListView1), 0);
  ResetEvent(event);
  SetScanFaultForTests([event] { WaitForSingleObject(event, 10000); });
  SetWindowTextA(w->Edit1, "readme");
  test::Pump();
  EXPECT_EQ(RowCount(w->ListView1), 0);
  EXPECT_TRUE(w->HitList.empty());
  SetEvent(event);
  ASSERT_TRUE(test::WaitForSearch(*w));
  SetScanFaultForTests(nullptr);
  EXPECT_EQ(RowCount(w->ListView1), 3);
}

// A search that finds as many rows as were shown leaves the list's frame and
// scroll bars alone (no scroll bar taken away and brought back, no row count
// set again, no suspended painting to resume) and shows its hits from the
// first row, wherever the list was scrolled to.
TEST_F(SearchWindowTest, SameRowCountKeepsFrameAndShowsHitsFromTop) {
  std::vector<FileSpec> files;
  for (int i = 0; i < 200; ++i) files.push_back({0, "f" + std::to_string(1000 + i) + ".txt"});
  SearchList list;
  MakeList({{"C:"}}, files, list);
  auto w = Start(list);
  Type(*w, "f1");
  ASSERT_EQ(RowCount(w->ListView1), 200);
  ListView_EnsureVisible(w->ListView1, 199, FALSE);
  ASSERT_GT(ListView_GetTopIndex(w->ListView1), 0);

  static int frameChanges = 0;
  static int redrawSwitches = 0;
  static int countsSet = 0;
  const SUBCLASSPROC count = [](HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                DWORD_PTR) -> LRESULT {
    if (msg == WM_NCCALCSIZE) ++frameChanges;
    if (msg == WM_SETREDRAW) ++redrawSwitches;
    if (msg == LVM_SETITEMCOUNT) ++countsSet;
    return DefSubclassProc(wnd, msg, wp, lp);
  };
  ASSERT_TRUE(SetWindowSubclass(w->ListView1, count, 1, 0));
  Type(*w, ".txt");
  EXPECT_EQ(w->ListColumnCaption(kColumnName), "名前  [ 200 ]");
  RemoveWindowSubclass(w->ListView1, count, 1);
  EXPECT_EQ(frameChanges, 0);
  EXPECT_EQ(redrawSwitches, 0);
  EXPECT_EQ(countsSet, 0);
  EXPECT_EQ(RowCount(w->ListView1), 200);
  EXPECT_EQ(ListView_GetTopIndex(w->ListView1), 0);
  EXPECT_EQ(test::CellText(w->ListView1, 0, kColumnName), "f1000.txt");
}

TEST_F(SearchWindowTest, KeystrokesDuringScanLeaveOnlyLastQueryHits) {
  SearchList empty;
  MakeList({{"C:"}}, {}, empty);
  auto w = Start(empty);
  // A big list, so that a scan is still running when the next key arrives
  // (which order the threads take is not asserted; the outcome is).
  bench::MakeSyntheticList(150000, 1200000, w->LiveList);
  CountEntriesPerDrive(w->LiveList, w->FolderCounts, w->FileCounts);
  w->Settings.max = 100000;
  w->Settings.maxstop = false;
  Click(w->CheckBox1);  // folders too
  ASSERT_TRUE(test::WaitForSearch(*w));
  for (const char* typed : {"s", "sr", "src", "src1"}) SetWindowTextA(w->Edit1, typed);
  ASSERT_TRUE(test::WaitForSearch(*w));

  SearchQuery q;
  SetQueryText(q, "src1");
  q.folders = true;
  q.hitLimit = 100000;
  q.maxstop = false;
  filvex::HitList expected;
  const ScanResult r =
      ScanSearchList(w->LiveList, q, expected, nullptr, {w->FolderIconIndex, w->FileIconIndex});
  SortHitList(expected, kColumnName, true);
  ASSERT_GT(expected.size(), 0u);
  ASSERT_EQ(w->HitList.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    ASSERT_EQ(w->HitList[i].Path, expected[i].Path) << i;
  }
  EXPECT_EQ(w->ListColumnCaption(0),
            HitCountText(expected.size(), r.WithinLimit, r.TotalMatches).caption);
  EXPECT_EQ(RowCount(w->ListView1), static_cast<int>(expected.size()));
}

}  // namespace
}  // namespace filvex
