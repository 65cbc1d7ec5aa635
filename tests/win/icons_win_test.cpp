// Icons of the result rows in the main window: the page fetched on a
// selection, the folder view's background fetch and its stop, and the icons
// drawn from finished cells.
#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "app/vemko_searcher_win.h"
#include "platform/com.h"
#include "platform/message_box.h"
#include "tests/core/test_util.h"
#include "tests/win/win_test_util.h"

namespace filvex {
namespace {

class IconsWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = test::FreshFolder("icons") + "\\";
    hook_ = std::make_unique<win::ScopedMessageBoxHook>(
        [](HWND, const std::string&, const std::string&, UINT) { return IDNO; });
    rows_ = folder_ + "rows";
    CreateDirectoryA(rows_.c_str(), nullptr);
    CreateDirectoryA((rows_ + "\\Sub").c_str(), nullptr);
    for (int i = 0; i < 40; ++i) test::WriteFile(rows_ + "\\f" + std::to_string(i) + ".txt", "x");
    StartOptions o;
    o.programFolder = folder_;
    o.launcherFolder = folder_ + "no-launcher";
    w_ = std::make_unique<TVemkoSearcher>(o);
    w_->Show(SW_SHOWNOACTIVATE);
    test::Pump();
  }
  void TearDown() override {
    if (w_) SendMessageA(w_->Handle(), WM_CLOSE, 0, 0);
    w_.reset();
  }

  // Rows as a folder view makes them: default icons, nothing fetched.
  void FillRows(int files) {
    w_->EnsureSystemImages();  // as the folder view's first row does
    w_->HitList.clear();
    HitRecord folder;
    folder.Path = rows_ + "\\Sub";
    folder.Name = "Sub";
    folder.Kind = kKindFolder;
    folder.ImageIndex = w_->FolderIconIndex;
    w_->HitList.push_back(folder);
    for (int i = 0; i < files; ++i) {
      HitRecord r;
      r.Name = std::string("f").append(std::to_string(i)).append(".txt");
      r.Path = rows_ + "\\" + r.Name;
      r.ImageIndex = w_->FileIconIndex;
      w_->HitList.push_back(r);
    }
    w_->SetRowCount(static_cast<int>(w_->HitList.size()));
  }

  std::string folder_, rows_;
  std::unique_ptr<win::ScopedMessageBoxHook> hook_;
  std::unique_ptr<TVemkoSearcher> w_;
};

TEST_F(IconsWinTest, SelectionFetchesTheShownPageOnly) {
  FillRows(40);
  w_->FetchVisibleIcons();
  const int top = ListView_GetTopIndex(w_->ListView1);
  const int page = ListView_GetCountPerPage(w_->ListView1);
  ASSERT_GT(page, 0);
  for (int i = 0; i < static_cast<int>(w_->HitList.size()); ++i) {
    const HitRecord& r = w_->HitList[static_cast<size_t>(i)];
    const bool shown = i >= top && i <= top + page;
    EXPECT_EQ(r.IconSet, shown) << i;
    if (shown) {
      EXPECT_FALSE(r.TypeName.empty()) << i;
    }
  }
}

TEST_F(IconsWinTest, BackgroundFetchFillsEveryRowAndStops) {
  FillRows(40);
  w_->StartIconFetch();
  ASSERT_TRUE(w_->IconThread);
  for (int i = 0; i < 1000 && !w_->IconThread->Finished(); ++i) {
    test::Pump();
    Sleep(5);
  }
  ASSERT_TRUE(w_->IconThread->Finished());
  for (const HitRecord& r : w_->HitList) {
    EXPECT_TRUE(r.IconSet) << r.Path;
    EXPECT_NE(r.ImageIndex, -1) << r.Path;
    EXPECT_TRUE(r.TypeName.empty()) << r.Path;  // the background fetch stores no type
  }
  w_->StopIconFetch();
  EXPECT_FALSE(w_->IconThread);

  // Stopped right after the start: ends at once, rows untouched past the stop.
  FillRows(40);
  w_->StartIconFetch();
  w_->StopIconFetch();
  EXPECT_FALSE(w_->IconThread);
  size_t set = 0;
  for (const HitRecord& r : w_->HitList) set += r.IconSet;
  EXPECT_LE(set, 1u);
}

TEST_F(IconsWinTest, CachedLookupsShareTheTypeCache) {
  const size_t before = w_->TypeCache.size();
  const int a = w_->LookupIcon(rows_ + "\\f1.txt", true);
  const int b = w_->LookupIcon(rows_ + "\\f2.TXT", true);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, -1);
  EXPECT_LE(w_->TypeCache.size(), before + 1);
  bool txt = false;
  for (const std::string& e : w_->TypeCache) txt |= e.rfind(".txt=", 0) == 0;
  EXPECT_TRUE(txt);
}

// The pixels of a window's client area.
std::vector<uint32_t> ClientPixels(HWND wnd) {
  RECT client{};
  GetClientRect(wnd, &client);
  HDC screen = GetDC(wnd);
  win::UniqueMemoryDC copy(CreateCompatibleDC(screen));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = client.right;
  info.bmiHeader.biHeight = -client.bottom;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  win::UniqueBitmap bitmap(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  std::vector<uint32_t> pixels;
  if (bitmap && bits) {
    win::SelectInDC select(copy.get(), bitmap.get());
    BitBlt(copy.get(), 0, 0, client.right, client.bottom, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* p = static_cast<const uint32_t*>(bits);
    pixels.assign(p, p + static_cast<size_t>(client.right) * static_cast<size_t>(client.bottom));
  }
  ReleaseDC(wnd, screen);
  return pixels;
}

std::vector<uint32_t> RepaintedPixels(HWND wnd) {
  RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  return ClientPixels(wnd);
}

// The rows whose icons come from the cache look exactly as the list view
// draws them itself, beside rows it still draws (selected, focused, cut),
// over each background a search mode gives the list; outside a repaint the
// rows still answer their own image.
TEST_F(IconsWinTest, CachedRowIconsLookLikeTheListViewsOwn) {
  FillRows(40);
  for (size_t i = 1; i < w_->HitList.size(); ++i) {
    HitRecord& r = w_->HitList[i];
    if (i % 5 == 1) r.OverlayIndex = 1;  // a shortcut
    if (i % 7 == 4) r.AttrCode |= kCodeHidden;
    if (i % 3 == 0) r.ImageIndex = w_->FolderIconIndex;
  }
  struct Case {
    COLORREF background;
    bool selection;  // row 2 selected, row 6 selected and focused
  };
  const Case cases[] = {{RGB(255, 255, 255), false},
                        {RGB(255, 255, 215), false},
                        {RGB(255, 255, 255), true},
                        {RGB(225, 240, 255), true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.background << " " << c.selection);
    ListView_SetItemState(w_->ListView1, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (c.selection) {
      ListView_SetItemState(w_->ListView1, 2, LVIS_SELECTED, LVIS_SELECTED);
      ListView_SetItemState(w_->ListView1, 6, LVIS_FOCUSED | LVIS_SELECTED,
                            LVIS_FOCUSED | LVIS_SELECTED);
    }
    ListView_SetBkColor(w_->ListView1, c.background);
    ListView_SetTextBkColor(w_->ListView1, c.background);
    w_->CachedRowIcons = false;
    const std::vector<uint32_t> own = RepaintedPixels(w_->ListView1);
    ASSERT_FALSE(own.empty());
    w_->CachedRowIcons = true;
    w_->RowIcons.Clear();
    EXPECT_EQ(RepaintedPixels(w_->ListView1), own);  // cells made while painting
    const int cells = w_->RowIcons.CellCount();
    EXPECT_GE(cells, 2);                             // a file, a folder, a shortcut
    EXPECT_EQ(RepaintedPixels(w_->ListView1), own);  // cells copied
    EXPECT_EQ(w_->RowIcons.CellCount(), cells);
    EXPECT_FALSE(w_->RowPaint.active);
  }
  LVITEMA item{};
  item.mask = LVIF_IMAGE;
  item.iItem = 3;
  ASSERT_TRUE(ListView_GetItem(w_->ListView1, &item));
  EXPECT_EQ(item.iImage, w_->HitList[3].ImageIndex);
}

}  // namespace
}  // namespace filvex
