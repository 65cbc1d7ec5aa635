// Icons of the result rows in the main window: the page fetched on a
// selection, the folder view's background fetch and its stop.
#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <memory>
#include <string>

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
    ListView_SetItemCountEx(w_->ListView1, static_cast<int>(w_->HitList.size()), 0);
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

}  // namespace
}  // namespace filvex
