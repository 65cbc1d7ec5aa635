// What a user sees of the main window's layout: the build's progress strip
// shows uncovered and stops the build on a click, every control shows "_"
// and descenders in its font, icon buttons carry tooltips that show when
// the mouse rests on them, and a layout change repaints what it moved.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/vemko_searcher_win.h"
#include "platform/message_box.h"
#include "platform/window_text.h"
#include "searchlist/search_list.h"
#include "tests/core/test_util.h"
#include "tests/win/win_test_util.h"
#include "tests/win/window_test_util.h"

namespace filvex {
namespace {

// True when the glyph, drawn with the font at the top of a bitmap exactly one
// character cell high, leaves any ink: what an edit or a list row (which clip
// their text to the cell) can show of it.
bool GlyphShows(HFONT font, char glyph) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  HGDIOBJ oldFont = SelectObject(dc, font);
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  const int width = tm.tmMaxCharWidth + 8, height = tm.tmHeight;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  RECT all{0, 0, width, height};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  TextOutA(dc, 2, 0, &glyph, 1);
  GdiFlush();
  bool ink = false;
  for (int i = 0; i < width * height; ++i) {
    if ((static_cast<const DWORD*>(bits)[i] & 0xFFFFFF) != 0xFFFFFF) ink = true;
  }
  SelectObject(dc, oldBitmap);
  SelectObject(dc, oldFont);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return ink;
}

struct FontInfo {
  TEXTMETRICA tm{};
  int dateWidth = 0;  // "yyyy/mm/dd hh:nn" in this font
};

FontInfo FontOf(HWND control) {
  FontInfo info;
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
  GetTextMetricsA(dc, &info.tm);
  SIZE size{};
  GetTextExtentPoint32A(dc, "2026/12/08 23:59", 16, &size);
  info.dateWidth = size.cx;
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return info;
}

RECT ScreenRect(HWND wnd) {
  RECT rc;
  GetWindowRect(wnd, &rc);
  return rc;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

class WindowLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override { hook_ = test::RecordMessageBoxes(boxes_, IDNO); }

  // A window over a small list whose names hold underscores and descenders.
  std::unique_ptr<TVemkoSearcher> Start(bool upmode) {
    folder_ = test::FreshFolder("layout") + "\\";
    const std::string data = folder_ + "data\\";
    CreateDirectoryA(data.c_str(), nullptr);
    const std::string info = "2026/12/08 23:592026/12/08 23:59";
    test::WriteFile(data + "sach.txt", "C:\r\nC:\\work_dir\r\n");
    test::WriteFile(data + "sachinfo1.txt", std::string(kRootInfoLine) + "\r\n" + info + "20\r\n");
    test::WriteFile(data + "sachfile.txt", "1=file_3_4_5.txt\r\n1=gyj_query.txt\r\n");
    test::WriteFile(data + "sachinfo2.txt", info + "1012\r\n" + info + "103\r\n");
    test::WriteFile(data + "folderdat.txt", "C=2\r\n");
    test::WriteFile(data + "filedat.txt", "C=2\r\n");
    test::WriteFile(data + "searchdata.ini",
                    std::string("[DATA]\r\nupmode=") + (upmode ? "1" : "0") + "\r\n");
    StartOptions options;
    options.programFolder = folder_;
    options.launcherFolder = folder_ + "no-launcher";
    auto w = std::make_unique<TVemkoSearcher>(options);
    w->Show(SW_SHOWNOACTIVATE);
    test::Pump();
    return w;
  }

  // Types a query and serves the window until its search has ended.
  static ::testing::AssertionResult Search(TVemkoSearcher& w, const char* query) {
    SetWindowTextA(w.Edit1, query);
    for (int i = 0; i < 12000; ++i) {
      test::Pump();
      if (w.SearchStopFlag.load() == 1 && (!w.SearchThread || w.SearchThread->Finished())) {
        return ::testing::AssertionSuccess();
      }
      Sleep(10);
    }
    return ::testing::AssertionFailure() << "the search did not end";
  }

  std::string folder_;
  std::vector<std::string> boxes_;
  std::unique_ptr<win::ScopedMessageBoxHook> hook_;
};

TEST_F(WindowLayoutTest, ProgressStripShowsUncoveredAndItsStopButtonStopsTheBuild) {
  // Enough entries on D: that the build is still walking when the click comes.
  for (int d = 0; d < 20; ++d) {
    const std::string dir = "D:\\strip" + std::to_string(d);
    CreateDirectoryA(dir.c_str(), nullptr);
    for (int f = 0; f < 100; ++f) test::WriteFile(dir + "\\f" + std::to_string(f) + ".txt", "");
  }
  struct Case {
    const char* what;
    bool upmode;
    bool postedMouse;  // else BM_CLICK
  };
  const Case cases[] = {
      {"mouse press and release, list kept aside", false, true},
      {"button click message, upmode", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto w = Start(c.upmode);
    w->StartListBuild();
    ASSERT_EQ(w->BuildStop.load(), 0);

    // Visible, inside the window's client area, and on top at its button and
    // at its text.
    ASSERT_TRUE(IsWindowVisible(w->Panel3));
    RECT client;
    GetClientRect(w->Handle(), &client);
    MapWindowPoints(w->Handle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    const RECT strip = ScreenRect(w->Panel3);
    EXPECT_TRUE(Inside(strip, client));
    const RECT button = ScreenRect(w->CancelBtn);
    EXPECT_TRUE(Inside(button, strip));
    const POINT atButton{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
    const POINT atText{strip.right - 8, (strip.top + strip.bottom) / 2};
    for (POINT screen : {atButton, atText}) {
      POINT inPanel1 = screen;
      ScreenToClient(w->Panel1, &inPanel1);
      EXPECT_EQ(ChildWindowFromPointEx(w->Panel1, inPanel1, CWP_SKIPINVISIBLE), w->Panel3);
      const HWND top = WindowFromPoint(screen);
      EXPECT_TRUE(top == w->Panel3 || top == w->CancelBtn);
    }
    EXPECT_EQ(WindowFromPoint(atButton), w->CancelBtn);
    EXPECT_EQ(win::WindowText(w->CancelBtn), "中止");

    if (c.postedMouse) {
      POINT p = atButton;
      ScreenToClient(w->CancelBtn, &p);
      PostMessageA(w->CancelBtn, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
      PostMessageA(w->CancelBtn, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    } else {
      PostMessageA(w->CancelBtn, BM_CLICK, 0, 0);
    }
    for (int i = 0; i < 6000 && w->BuildThread; ++i) {
      test::Pump();
      Sleep(10);
    }
    EXPECT_FALSE(w->BuildThread);
    EXPECT_EQ(w->BuildStop.load(), 1);
    EXPECT_EQ(w->BuildCancelled.load(), 1);
    EXPECT_FALSE(IsWindowVisible(w->Panel3));
    EXPECT_EQ(w->LiveList.FolderList.size(), 2u);  // the list it had
  }
}

TEST_F(WindowLayoutTest, EveryControlShowsUnderscoresAndDescenders) {
  auto w = Start(/*upmode=*/false);
  ASSERT_TRUE(Search(*w, "_"));
  ASSERT_EQ(ListView_GetItemCount(w->ListView1), 2);
  // Panel5's controls are measured where they are, hidden or not.
  w->EnsureFilterPanel();
  struct Case {
    const char* name;
    HWND control;
  };
  const Case cases[] = {
      {"Edit1", w->Edit1},
      {"Edit3", w->Edit3},
      {"NumberEdit1", w->NumberEdit1},
      {"NumberEdit2", w->NumberEdit2},
      {"ComboBox1", w->ComboBox1},
      {"ComboBox2", w->ComboBox2},
      {"ComboBox3", w->ComboBox3},
      {"CheckBox1", w->CheckBox1},
      {"CheckBox9", w->CheckBox9},
      {"Label1", w->Label1},
      {"StaticText1", w->StaticText1},
      {"StaticText2", w->StaticText2},
      {"Panel3", w->Panel3},
      {"CancelBtn", w->CancelBtn},
      {"ListView1", w->ListView1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(c.control, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    for (char glyph : {'_', 'g', 'y', 'j'}) {
      EXPECT_TRUE(GlyphShows(font, glyph)) << "glyph " << glyph;
    }
    const FontInfo f = FontOf(c.control);
    RECT rc;
    GetClientRect(c.control, &rc);
    EXPECT_GE(rc.bottom, f.tm.tmHeight + 2);
  }

  // Rows hold the whole cell, and the date column a whole date.
  const FontInfo list = FontOf(w->ListView1);
  RECT row{};
  ASSERT_TRUE(ListView_GetItemRect(w->ListView1, 0, &row, LVIR_BOUNDS));
  EXPECT_GE(row.bottom - row.top, list.tm.tmHeight);
  EXPECT_GE(ListView_GetColumnWidth(w->ListView1, 2), list.dateWidth + 12);
  HWND header = ListView_GetHeader(w->ListView1);
  RECT headerRect;
  GetClientRect(header, &headerRect);
  EXPECT_GE(headerRect.bottom, FontOf(header).tm.tmHeight);
}

TEST_F(WindowLayoutTest, ControlsWithHintsCarryTheShortPartAsTooltip) {
  auto w = Start(/*upmode=*/false);
  // The tooltip is made at the first mouse move over the window, with the
  // tools of every control that got its hint before.
  PostMessageA(w->Label1, WM_MOUSEMOVE, 0, 0);
  test::Pump();
  ASSERT_NE(w->HintToolTip, nullptr);
  struct Case {
    const char* name;
    HWND control;
    const char* tip;  // nullptr: no tool
  };
  const Case cases[] = {
      {"SpeedButton3", w->SpeedButton3, "再検索"},
      {"SpeedButton4", w->SpeedButton4, "一つ上のフォルダ"},
      {"SpeedButton5", w->SpeedButton5, "表示の切換"},
      {"HitListSpBtn", w->HitListSpBtn, "ピックアップ"},
      {"SpeedButton7", w->SpeedButton7, "インクリメンタル検索"},
      {"SpeedButton1", w->SpeedButton1, "フォルダを開く"},
      {"SpeedButton2", w->SpeedButton2, "検索オプション"},
      {"Edit1", w->Edit1, "複数は半角スラッシュ(/)で区切る"},
      {"CheckBox3", w->CheckBox3, "システム属性"},
      {"Label1 (no hint)", w->Label1, nullptr},
      {"CancelBtn (no hint)", w->CancelBtn, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    char text[1024] = {};  // the size the control may copy
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = GetParent(c.control);
    tool.uId = reinterpret_cast<UINT_PTR>(c.control);
    tool.lpszText = text;
    const bool found =
        SendMessageA(w->HintToolTip, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
    ASSERT_EQ(found, c.tip != nullptr);
    if (!found) continue;
    EXPECT_TRUE(tool.uFlags & TTF_IDISHWND);
    // A tool that subclasses its control costs every message the control
    // gets (each keystroke in Edit1); the window's message hook relays the
    // mouse instead.
    EXPECT_FALSE(tool.uFlags & TTF_SUBCLASS);
    SendMessageA(w->HintToolTip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(std::string(text), c.tip);
  }
  // The long part stays the status bar's.
  w->ApplicationHint(w->HintOf(w->HitListSpBtn));
  EXPECT_EQ(w->StatusText(1), "ピックアップリストのファイルを表示する");
}

TEST_F(WindowLayoutTest, HoveringAHintedControlShowsItsTip) {
  auto w = Start(/*upmode=*/false);
  PostMessageA(w->Label1, WM_MOUSEMOVE, 0, 0);  // makes the tooltip
  test::Pump();
  ASSERT_NE(w->HintToolTip, nullptr);
  // Controls on the main window, inside a panel and inside the frame of
  // Panel2, and a move onto a control without a tip, which takes the tip away.
  struct Case {
    const char* name;
    HWND control;
    const char* tip;  // nullptr: no tip shows
  };
  const Case cases[] = {
      {"SpeedButton3", w->SpeedButton3, "再検索"},
      {"Edit1", w->Edit1, "複数は半角スラッシュ(/)で区切る"},
      {"CheckBox3 in Panel2", w->CheckBox3, "システム属性"},
      {"Label1 (no hint)", w->Label1, nullptr},
      {"HitListSpBtn", w->HitListSpBtn, "ピックアップ"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // The pointer rests on the control, and the control gets the move the
    // system would post for it; the window's message loop takes it.
    RECT rc;
    GetWindowRect(c.control, &rc);
    const POINT centre{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    SetCursorPos(centre.x, centre.y);
    POINT client = centre;
    ScreenToClient(c.control, &client);
    PostMessageA(c.control, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
    char text[1024] = {};
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.lpszText = text;
    auto shows = [&] {
      text[0] = '\0';
      return IsWindowVisible(w->HintToolTip) &&
             SendMessageA(w->HintToolTip, TTM_GETCURRENTTOOLA, 0,
                          reinterpret_cast<LPARAM>(&tool)) != 0 &&
             tool.uId == reinterpret_cast<UINT_PTR>(c.control);
    };
    bool shown = false;
    // The tip comes after the tooltip's initial delay: a tip that should
    // come is waited for a generous while, one that should not for three
    // times that delay.
    const int delayMs =
        static_cast<int>(SendMessageA(w->HintToolTip, TTM_GETDELAYTIME, TTDT_INITIAL, 0));
    const int rounds = c.tip ? 500 : std::max(3 * delayMs / 10, 30);
    for (int i = 0; i < rounds && !shown; ++i) {
      test::Pump();
      shown = shows();
      if (!shown) Sleep(10);
    }
    if (c.tip) {
      ASSERT_TRUE(shown);
      EXPECT_EQ(std::string(text), c.tip);
    } else {
      EXPECT_FALSE(shown);
      EXPECT_FALSE(IsWindowVisible(w->HintToolTip));
    }
  }
}

TEST_F(WindowLayoutTest, LayoutChangesRepaintTheListAndItsHeader) {
  auto w = Start(/*upmode=*/false);
  ASSERT_TRUE(Search(*w, "_"));
  HWND header = ListView_GetHeader(w->ListView1);
  struct Case {
    const char* what;
    HWND button;
    bool headerToo;
  };
  const Case cases[] = {
      {"icon view", w->SpeedButton5, false},
      {"report view again", w->SpeedButton5, true},
      {"filter panel shown", w->SpeedButton2, true},
      {"filter panel hidden", w->SpeedButton2, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    UpdateWindow(w->Handle());
    RedrawWindow(w->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    ASSERT_FALSE(GetUpdateRect(w->ListView1, nullptr, FALSE));
    SendMessageA(c.button, BM_CLICK, 0, 0);
    EXPECT_TRUE(GetUpdateRect(w->ListView1, nullptr, FALSE));
    if (c.headerToo) {
      EXPECT_TRUE(GetUpdateRect(header, nullptr, FALSE));
    }
  }
}

}  // namespace
}  // namespace filvex
