// The folder view and the drive list as a user meets them: a folder's
// entries in their order, the attribute boxes that hide or show entries,
// going up one folder to the drive list, and the selection commands of the
// Edit menu. Folders live on the fixture drive D:.
#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/vemko_searcher_win.h"
#include "platform/dir_enum_win.h"
#include "platform/window_text.h"
#include "results/row_text.h"
#include "tests/core/test_util.h"
#include "tests/win/win_test_util.h"
#include "tests/win/window_test_util.h"

namespace filvex {
namespace {

class FolderViewWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    boxes_ = test::RecordMessageBoxes(boxTexts_, IDYES);
    base_ = test::FreshFolder("folderview");
    w_ = test::OpenSmallListWindow("folderview", &program_);
    ASSERT_FALSE(HasFailure());
  }

  void TearDown() override { EXPECT_TRUE(boxTexts_.empty()) << boxTexts_.front(); }

  // Shows a folder as the open command does.
  void Enter(const std::string& folder) {
    w_->OpenFolderView(folder);
    w_->CurrentFolder = folder;
    EnableWindow(w_->SpeedButton4, TRUE);
    test::Pump();
  }

  std::vector<std::string> Names() const {
    std::vector<std::string> v;
    for (const auto& h : w_->HitList) v.push_back(h.Name.str());
    return v;
  }

  std::vector<int> SelectedRows() const { return test::SelectedRows(*w_); }

  int RowCount() const { return ListView_GetItemCount(w_->ListView1); }

  std::string base_, program_;
  std::vector<std::string> boxTexts_;
  std::unique_ptr<win::ScopedMessageBoxHook> boxes_;
  std::unique_ptr<TVemkoSearcher> w_;
};

TEST_F(FolderViewWindowTest, ListsFilesBeforeFoldersInReverseNameOrder) {
  test::WriteFile(base_ + "\\a.txt", "a");
  test::WriteFile(base_ + "\\b.txt", std::string(3000, 'b'));
  CreateDirectoryA((base_ + "\\A").c_str(), nullptr);
  CreateDirectoryA((base_ + "\\B").c_str(), nullptr);
  Enter(base_);
  ASSERT_EQ(Names(), (std::vector<std::string>{"b.txt", "a.txt", "B", "A"}));
  EXPECT_EQ(RowCount(), 4);
  EXPECT_EQ(test::CellText(w_->ListView1, 0, kColumnName), "b.txt");
  EXPECT_EQ(test::CellText(w_->ListView1, 0, kColumnSize), "2KB");
  EXPECT_EQ(test::CellText(w_->ListView1, 3, kColumnPath), base_);
  EXPECT_EQ(w_->HitList[0].Path, base_ + "\\b.txt");
  EXPECT_EQ(w_->HitList[2].Kind, kKindFolder);
  EXPECT_EQ(w_->HitList[2].SizeKB, 0u);
  EXPECT_EQ(w_->HitList[1].DateText.size(), 16u);
  EXPECT_EQ(w_->StatusText(0), "4");
  EXPECT_EQ(w_->StatusText(1), base_);
  EXPECT_FALSE(w_->ShowsSearchHits);
  EXPECT_FALSE(IsWindowEnabled(w_->CheckBox6)) << "SH means nothing for a folder's entries";

  // A row rewritten from its entry (as after a paste) with the icon fetched
  // now is selected.
  test::WriteFile(base_ + "\\a.txt", std::string(5000, 'a'));
  DirEntry entry;
  const EntryListing found = FindFirstEntry(base_ + "\\a.txt", entry);
  ASSERT_TRUE(found.valid());
  EXPECT_EQ(w_->AddEntryRow(base_ + "\\a.txt", /*isFile=*/true, /*fetchNow=*/true, 1, entry), 1);
  EXPECT_EQ(w_->HitList[1].SizeKB, 4u);
  EXPECT_EQ(SelectedRows(), std::vector<int>{1});
  EXPECT_EQ(w_->HitList.size(), 4u);
  // Without fetching, the rewritten row goes back to the default icon.
  w_->HitList[1].ImageIndex = 999;
  EXPECT_EQ(w_->AddEntryRow(base_ + "\\a.txt", true, /*fetchNow=*/false, 1, entry), 1);
  EXPECT_EQ(w_->HitList[1].ImageIndex, w_->FileIconIndex);
  // A row that is no longer listed is never written through: the entry is
  // appended instead.
  EXPECT_EQ(w_->AddEntryRow(base_ + "\\a.txt", true, false, /*row=*/99, entry), -1);
  ASSERT_EQ(w_->HitList.size(), 5u);
  EXPECT_EQ(w_->HitList[4].Name, "a.txt");

  // Opening a folder that is gone changes nothing.
  w_->OpenFolderView(base_ + "\\gone");
  EXPECT_EQ(Names().size(), 5u);
}

TEST_F(FolderViewWindowTest, HiddenEntriesShowOnlyWhileHIsTicked) {
  test::WriteFile(base_ + "\\plain.txt", "p");
  test::WriteFile(base_ + "\\secret.txt", "s");
  CreateDirectoryA((base_ + "\\Vault").c_str(), nullptr);
  SetFileAttributesA((base_ + "\\secret.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesA((base_ + "\\Vault").c_str(), FILE_ATTRIBUTE_HIDDEN);
  // Wine keeps the hidden attribute only where the host file system can
  // store it; a dot name is hidden everywhere.
  test::WriteFile(base_ + "\\.dot", "d");
  std::vector<std::string> hidden;
  for (const char* name : {"secret.txt", "Vault", ".dot"}) {
    if (GetFileAttributesA((base_ + "\\" + name).c_str()) & FILE_ATTRIBUTE_HIDDEN)
      hidden.push_back(name);
  }
  ASSERT_FALSE(hidden.empty());
  ASSERT_FALSE(win::IsChecked(w_->CheckBox4));
  Enter(base_);
  for (const auto& name : hidden) {
    EXPECT_EQ(FindRowByName(w_->HitList, name, 0, false), -1) << name;
  }
  EXPECT_NE(FindRowByName(w_->HitList, "plain.txt", 0, false), -1);
  const size_t shown = w_->HitList.size();

  // Ticking H lists the folder again, with them; no search runs.
  win::SetChecked(w_->CheckBox4, true);
  w_->SearchTrigger(w_->CheckBox4, BN_CLICKED);
  ASSERT_TRUE(test::WaitForSearch(*w_));
  EXPECT_FALSE(w_->ShowsSearchHits);
  EXPECT_EQ(w_->CurrentFolder, base_);
  EXPECT_EQ(w_->HitList.size(), shown + hidden.size());
  for (const auto& name : hidden) {
    EXPECT_NE(FindRowByName(w_->HitList, name, 0, false), -1) << name;
  }
  EXPECT_EQ(w_->StatusText(0), std::to_string(shown + hidden.size()));

  // Unticked again: hidden once more.
  win::SetChecked(w_->CheckBox4, false);
  w_->SearchTrigger(w_->CheckBox4, BN_CLICKED);
  ASSERT_TRUE(test::WaitForSearch(*w_));
  EXPECT_EQ(w_->HitList.size(), shown);
}

TEST_F(FolderViewWindowTest, ASearchLeavesTheFolderView) {
  CreateDirectoryA((base_ + "\\Sub").c_str(), nullptr);
  Enter(base_);
  ListView_SetBkColor(w_->ListView1, TVemkoSearcher::FolderViewColour);
  SetWindowTextA(w_->Edit1, "old");
  w_->SearchTrigger(w_->SpeedButton3, BN_CLICKED);
  ASSERT_TRUE(test::WaitForSearch(*w_));
  EXPECT_EQ(ListView_GetBkColor(w_->ListView1), RGB(255, 255, 255));
  EXPECT_TRUE(w_->CurrentFolder.empty());
  EXPECT_TRUE(w_->ShowsSearchHits);
  EXPECT_FALSE(IsWindowEnabled(w_->SpeedButton4));
  EXPECT_TRUE(IsWindowEnabled(w_->CheckBox6));
  // With no folder shown, the attribute boxes search again.
  w_->SetListColumnCaption(kColumnName, "x");
  win::SetChecked(w_->CheckBox4, true);
  w_->SearchTrigger(w_->CheckBox4, BN_CLICKED);
  ASSERT_TRUE(test::WaitForSearch(*w_));
  EXPECT_TRUE(w_->ShowsSearchHits);
  EXPECT_EQ(w_->ListColumnCaption(kColumnName).rfind("名前  [", 0), 0u);
}

TEST_F(FolderViewWindowTest, GoingUpSelectsTheFolderLeftAndEndsInTheDriveList) {
  const std::string data = base_ + "\\Data", sub = data + "\\Sub";
  CreateDirectoryA(data.c_str(), nullptr);
  CreateDirectoryA(sub.c_str(), nullptr);
  // Enough rows before Sub that it lies below the first page.
  for (int i = 0; i < 80; ++i) test::WriteFile(data + "\\f" + std::to_string(100 + i), "x");
  Enter(sub);
  w_->GoUpOneFolder();
  test::Pump();
  EXPECT_EQ(w_->CurrentFolder, data);
  EXPECT_EQ(w_->StatusText(1), data);
  const int row = FindRowByName(w_->HitList, "Sub", 0, false);
  ASSERT_EQ(row, 80);
  EXPECT_EQ(SelectedRows(), std::vector<int>{row});
  const int top = ListView_GetTopIndex(w_->ListView1);
  EXPECT_GE(row, top);
  EXPECT_LE(row, top + ListView_GetCountPerPage(w_->ListView1)) << "scrolled into view";
  EXPECT_TRUE(IsWindowEnabled(w_->SpeedButton4));

  // From the root of D: to the drive list, where nothing is selected and
  // there is no more up.
  Enter("D:\\");
  w_->GoUpOneFolder();
  test::Pump();
  EXPECT_TRUE(w_->CurrentFolder.empty());
  EXPECT_FALSE(IsWindowEnabled(w_->SpeedButton4));
  EXPECT_FALSE(w_->ShowsSearchHits);
  EXPECT_TRUE(SelectedRows().empty());
  std::vector<std::string> roots;
  for (size_t i = 0; i < w_->HitList.size(); ++i) {
    const HitRecord& r = w_->HitList[i];
    SCOPED_TRACE(r.Path);
    roots.push_back(r.Path.str());
    EXPECT_EQ(r.Kind, kKindDrive);
    EXPECT_EQ(r.Name, TVemkoSearcher::DriveDisplayName(r.Path.substr(0, 2)));
    EXPECT_FALSE(r.Name.empty());
    EXPECT_TRUE(r.IconSet);
    const uint64_t total = w_->DriveCapacity(r.Path.substr(0, 2)).total;
    EXPECT_GT(total, 0u);
    EXPECT_EQ(r.SizeKB, std::min<uint64_t>(total / 1024, 0xFFFFFFFFu));
    EXPECT_EQ(test::CellText(w_->ListView1, static_cast<int>(i), kColumnName), r.Name);
    EXPECT_EQ(test::CellText(w_->ListView1, static_cast<int>(i), kColumnPath), r.Path);
    EXPECT_FALSE(test::CellText(w_->ListView1, static_cast<int>(i), kColumnSize).empty());
  }
  EXPECT_EQ(roots, (std::vector<std::string>{"C:\\", "D:\\", "E:\\"}));
  EXPECT_EQ(RowCount(), 3);
}

TEST_F(FolderViewWindowTest, GoingUpThroughNamesEndingInTheByte5C) {
  // ソ and 表 end in the byte 0x5C, which is no "\" there.
  for (const std::string name : {"\x83\x5C", "\x95\x5C"}) {
    SCOPED_TRACE(name);
    const std::string folder = base_ + "\\" + name, sub = folder + "\\Sub";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    Enter(sub);
    w_->GoUpOneFolder();
    EXPECT_EQ(w_->CurrentFolder, folder);
    EXPECT_EQ(Names(), std::vector<std::string>{"Sub"});
    EXPECT_EQ(SelectedRows(), std::vector<int>{0});
    w_->GoUpOneFolder();
    EXPECT_EQ(w_->CurrentFolder, base_);
    const int row = FindRowByName(w_->HitList, name, 0, false);
    ASSERT_GE(row, 0);
    EXPECT_EQ(SelectedRows(), std::vector<int>{row});
  }
}

TEST_F(FolderViewWindowTest, AVanishedParentLeadsToTheDriveListAndUpGoesOnFromIt) {
  const std::string gone = base_ + "\\Gone";
  CreateDirectoryA((base_ + "\\Here").c_str(), nullptr);
  w_->CurrentFolder = gone + "\\Sub";
  EnableWindow(w_->SpeedButton4, TRUE);
  w_->GoUpOneFolder();
  EXPECT_EQ(w_->CurrentFolder, gone);
  EXPECT_EQ(w_->HitList.front().Kind, kKindDrive);
  EXPECT_TRUE(IsWindowEnabled(w_->SpeedButton4));
  w_->GoUpOneFolder();
  EXPECT_EQ(w_->CurrentFolder, base_);
  EXPECT_EQ(Names(), std::vector<std::string>{"Here"});
  EXPECT_TRUE(SelectedRows().empty()) << "Gone is not listed";
}

TEST_F(FolderViewWindowTest, SelectionCommands) {
  for (int i = 0; i < 60; ++i) test::WriteFile(base_ + "\\f" + std::to_string(100 + i), "x");
  Enter(base_);
  ASSERT_EQ(RowCount(), 60);
  // Rows 0 and 2 selected: inverting selects the others.
  w_->SelectRows(0);
  EXPECT_EQ(SelectedRows().size(), 60u);
  ListView_SetItemState(w_->ListView1, -1, 0, LVIS_SELECTED);
  ListView_SetItemState(w_->ListView1, 0, LVIS_SELECTED, LVIS_SELECTED);
  ListView_SetItemState(w_->ListView1, 2, LVIS_SELECTED, LVIS_SELECTED);
  w_->SelectRows(1);
  const std::vector<int> inverted = SelectedRows();
  EXPECT_EQ(inverted.size(), 58u);
  EXPECT_EQ(inverted.front(), 1);
  EXPECT_EQ(inverted[1], 3);

  // The missing: with chk on, the rows whose files are gone show 不明, and
  // exactly those are selected; the first is scrolled into view.
  w_->Settings.chk = true;
  DeleteFileA((base_ + "\\f110").c_str());  // row 49 (names descend)
  DeleteFileA((base_ + "\\f105").c_str());  // row 54
  ListView_EnsureVisible(w_->ListView1, 0, FALSE);
  w_->SelectRows(2);
  EXPECT_EQ(SelectedRows(), (std::vector<int>{49, 54}));
  EXPECT_EQ(test::CellText(w_->ListView1, 49, kColumnAttr), "不明");
  const int top = ListView_GetTopIndex(w_->ListView1);
  EXPECT_GE(49, top);
  EXPECT_LT(49, top + ListView_GetCountPerPage(w_->ListView1));

  // None missing: the selection is cleared and nothing scrolls.
  test::WriteFile(base_ + "\\f110", "x");
  test::WriteFile(base_ + "\\f105", "x");
  ListView_EnsureVisible(w_->ListView1, 0, FALSE);
  const int topBefore = ListView_GetTopIndex(w_->ListView1);
  w_->SelectRows(2);
  EXPECT_TRUE(SelectedRows().empty());
  EXPECT_EQ(ListView_GetTopIndex(w_->ListView1), topBefore);

  // Refused while a search runs.
  w_->SearchStopFlag.store(0);
  w_->SelectRows(0);
  EXPECT_TRUE(SelectedRows().empty());
  w_->SearchStopFlag.store(1);
}

TEST_F(FolderViewWindowTest, EditMenuItemsNeedRowsAndNoSearch) {
  test::WriteFile(base_ + "\\a.txt", "a");
  auto states = [&] {
    w_->Edit2Click();
    return std::vector<bool>{w_->AllSelMenu->Enabled(), w_->SelChgMenu->Enabled(),
                             w_->N5->Enabled()};
  };
  const std::vector<bool> on(3, true), off(3, false);
  w_->ClearHitList();
  EXPECT_EQ(states(), off) << "empty list";
  Enter(base_);
  EXPECT_EQ(states(), on);
  w_->SearchStopFlag.store(0);
  EXPECT_EQ(states(), off) << "a search runs";
  w_->SearchStopFlag.store(1);
}

}  // namespace
}  // namespace filvex
