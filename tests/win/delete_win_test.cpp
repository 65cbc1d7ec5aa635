// The delete command as a user meets it: search hits whose files go to the
// recycle bin after the shell's own question (answered here, both ways), rows
// of files that had vanished dropped at once, the search-list files on disk
// rewritten, a delete the shell finishes only in part, the folder view, and
// the pickup list, where nothing is deleted.
#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/vemko_searcher_win.h"
#include "platform/message_box.h"
#include "platform/window_text.h"
#include "searchlist/list_files.h"
#include "tests/core/test_util.h"
#include "tests/win/shell_dialog_answerer.h"
#include "tests/win/win_test_util.h"
#include "tests/win/window_test_util.h"

namespace filvex {
namespace {

constexpr const char* kInfo = "2020/01/01 00:002020/02/02 00:0010";
constexpr const char* kFileInfo = "2020/01/01 00:002020/02/02 00:00201";

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class DeleteWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hook_ = test::RecordMessageBoxes(boxes_, IDYES);
    base_ = test::FreshFolder("delete");
    tag_ = base_.substr(base_.rfind('\\') + 1) + "-";
    for (const char* n : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt", "f.txt"}) {
      names_.push_back(tag_ + n);
      test::WriteFile(Path(names_.size() - 1), "x");
    }
    SearchList list;
    list.FolderList.append(base_.substr(0, 2));
    list.FolderInfoList.appendText(kRootInfoLine);
    list.FolderList.append(base_);
    list.FolderInfoList.appendText(kInfo);
    for (const auto& n : names_) {
      list.FileList.append(1, n);
      list.FileInfoList.appendText(kFileInfo);
    }
    program_ = test::FreshFolder("delete-program") + "\\";
    data_ = program_ + "data";
    CreateDirectoryA(data_.c_str(), nullptr);
    DriveCounts folderCounts, fileCounts;
    CountEntriesPerDrive(list, folderCounts, fileCounts);
    ASSERT_TRUE(SaveListFiles(data_, list, folderCounts, fileCounts));
    StartOptions options;
    options.programFolder = program_;
    options.launcherFolder = program_ + "no-launcher";
    w_ = std::make_unique<TVemkoSearcher>(options);
    w_->Show(SW_SHOWNOACTIVATE);
    test::Pump();
    ASSERT_TRUE(test::WaitForSearch(*w_));
  }

  std::string Path(size_t i) const { return base_ + "\\" + names_[i]; }

  void SearchAll() {
    SetWindowTextA(w_->Edit1, "");
    SetWindowTextA(w_->Edit1, tag_.c_str());
    ASSERT_TRUE(test::WaitForSearch(*w_));
    ASSERT_EQ(Files(/*selectedOnly=*/false), Listed());
  }

  void Select(const std::vector<size_t>& files) {
    ListView_SetItemState(w_->ListView1, -1, 0, LVIS_SELECTED);
    for (size_t f : files)
      for (size_t row = 0; row < w_->HitList.size(); ++row)
        if (w_->HitList[row].Path == Path(f))
          ListView_SetItemState(w_->ListView1, static_cast<int>(row), LVIS_SELECTED, LVIS_SELECTED);
  }

  // Indices (into names_) of the rows, and of the selected rows, in row order.
  std::vector<size_t> Files(bool selectedOnly) const {
    std::vector<size_t> v;
    for (size_t row = 0; row < w_->HitList.size(); ++row) {
      if (selectedOnly &&
          !ListView_GetItemState(w_->ListView1, static_cast<int>(row), LVIS_SELECTED))
        continue;
      for (size_t f = 0; f < names_.size(); ++f)
        if (w_->HitList[row].Path == Path(f)) v.push_back(f);
    }
    return v;
  }

  // Which files the list files on disk and the live set still name.
  std::vector<size_t> Listed() const {
    const std::string stored = test::ReadFile(data_ + "\\sachfile.txt");
    std::vector<size_t> v;
    for (size_t f = 0; f < names_.size(); ++f) {
      const bool onDisk = stored.find("=" + names_[f] + "\r\n") != std::string::npos;
      bool live = false;
      for (size_t i = 0; i < w_->LiveList.FileList.size(); ++i)
        live = live || w_->LiveList.FileList.name(i) == names_[f];
      EXPECT_EQ(onDisk, live) << names_[f] << ": the live set and the files differ";
      if (onDisk) v.push_back(f);
    }
    return v;
  }

  std::string base_, tag_, program_, data_;
  std::vector<std::string> names_;
  std::vector<std::string> boxes_;
  std::unique_ptr<win::ScopedMessageBoxHook> hook_;
  std::unique_ptr<TVemkoSearcher> w_;
};

using V = std::vector<size_t>;

TEST_F(DeleteWindowTest, VanishedHitLeavesAtOnceAndTheShellsAnswerDecidesTheRest) {
  for (int answer : {IDNO, IDYES}) {
    SCOPED_TRACE(answer == IDYES ? "Yes" : "No");
    SearchAll();
    const V before = Listed();
    // Three hits selected; the first of them vanished before the command.
    const size_t vanished = before[0], x = before[1], y = before[2];
    ASSERT_TRUE(DeleteFileA(Path(vanished).c_str()));
    Select({vanished, x, y});
    test::ShellDialogAnswerer shell(answer);
    w_->Delete1Click();
    EXPECT_EQ(shell.Titles().size(), 1u) << "the shell asks once";
    EXPECT_TRUE(boxes_.empty()) << "the program asks nothing itself";
    V expected(before.begin() + 1, before.end());
    if (answer == IDNO) {
      EXPECT_TRUE(Exists(Path(x)) && Exists(Path(y)));
      EXPECT_EQ(Files(/*selectedOnly=*/true), (V{x, y}));
    } else {
      EXPECT_FALSE(Exists(Path(x)) || Exists(Path(y)));
      EXPECT_TRUE(test::InRecycleBin(names_[x]) && test::InRecycleBin(names_[y]));
      expected.erase(expected.begin(), expected.begin() + 2);
      EXPECT_TRUE(Files(/*selectedOnly=*/true).empty());
      EXPECT_EQ(w_->ListDirty, 0) << "the removal is saved at once";
    }
    EXPECT_EQ(Files(/*selectedOnly=*/false), expected);
    EXPECT_EQ(Listed(), expected);
  }
}

TEST_F(DeleteWindowTest, EveryHitVanishedAsksNothingAndSavesTheList) {
  SearchAll();
  ASSERT_TRUE(DeleteFileA(Path(1).c_str()));
  ASSERT_TRUE(DeleteFileA(Path(2).c_str()));
  Select({1, 2});
  test::ShellDialogAnswerer shell(IDYES);
  w_->Delete1Click();
  EXPECT_TRUE(shell.Titles().empty());
  EXPECT_EQ(Listed(), (V{0, 3, 4, 5}));
  EXPECT_EQ(Files(false), (V{0, 3, 4, 5}));
  EXPECT_EQ(ListView_GetItemCount(w_->ListView1), 4);
  EXPECT_EQ(w_->ListDirty, 0);
}

TEST_F(DeleteWindowTest, PartlyDoneDeleteRemovesExactlyTheRowsOfTheItemsGone) {
  SearchAll();
  // A file held open without sharing: the shell cannot move it. The shell
  // gets the last row first, so the other file is gone before it fails.
  HANDLE held = CreateFileA(Path(1).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  Select({1, 2});
  {
    test::ShellDialogAnswerer shell(IDYES);
    w_->Delete1Click();
  }
  CloseHandle(held);
  ASSERT_TRUE(Exists(Path(1))) << "this Wine moved a file held open";
  ASSERT_FALSE(Exists(Path(2))) << "this Wine stopped before the first item";
  EXPECT_EQ(Files(false), (V{0, 1, 3, 4, 5}));
  EXPECT_EQ(Listed(), (V{0, 1, 3, 4, 5}));
}

TEST_F(DeleteWindowTest, FolderViewDropsExactlyTheDeletedRows) {
  // Rows as the folder view shows them (listed from the folder, not the
  // search list).
  w_->ClearHitList();
  for (size_t f = 0; f < names_.size(); ++f) {
    HitRecord r;
    r.Path = Path(f);
    r.Name = names_[f];
    r.ListLine = -1;
    w_->HitList.push_back(r);
  }
  w_->ShowsSearchHits = false;
  w_->CurrentFolder = base_;
  ListView_SetItemCountEx(w_->ListView1, static_cast<int>(names_.size()), 0);
  for (int answer : {IDNO, IDYES}) {
    SCOPED_TRACE(answer == IDYES ? "Yes" : "No");
    Select({1, 2});
    test::ShellDialogAnswerer shell(answer);
    w_->Delete1Click();
    EXPECT_EQ(shell.Titles().size(), 1u);
    if (answer == IDNO) {
      EXPECT_EQ(Files(false), (V{0, 1, 2, 3, 4, 5}));
      EXPECT_EQ(Files(true), (V{1, 2}));
    } else {
      EXPECT_EQ(Files(false), (V{0, 3, 4, 5}));
      EXPECT_TRUE(Files(true).empty()) << "the row that moved up is not selected";
      EXPECT_TRUE(test::InRecycleBin(names_[1]) && test::InRecycleBin(names_[2]));
    }
  }
  EXPECT_EQ(Listed(), (V{0, 1, 2, 3, 4, 5})) << "the folder view leaves the search list alone";
  EXPECT_TRUE(w_->WorkList.empty());
}

TEST_F(DeleteWindowTest, PickupListViewNeverDeletesAFile) {
  test::WriteFile(w_->PickupFile, Path(0) + "\r\n" + Path(1) + "\r\n");
  win::SetChecked(w_->HitListSpBtn, true);
  w_->ShowPickupList();
  ASSERT_EQ(Files(false), (V{0, 1}));
  Select({0});
  test::ShellDialogAnswerer shell(IDYES);
  w_->Delete1Click();
  EXPECT_TRUE(shell.Titles().empty());
  ASSERT_EQ(boxes_.size(), 1u);  // the pickup list's own question
  EXPECT_TRUE(Exists(Path(0)));
  EXPECT_EQ(Files(false), V{1});
  EXPECT_EQ(test::ReadFile(w_->PickupFile), Path(1) + "\r\n");
}

}  // namespace
}  // namespace filvex
