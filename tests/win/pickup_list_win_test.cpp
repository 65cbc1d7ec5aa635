// The pickup list as a user meets it: rows kept from the result list, the
// pickup view of what still exists, removal after the question, and a
// damaged pickup file that is reported and left as it was.
#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/vemko_searcher_win.h"
#include "platform/message_box.h"
#include "platform/window_text.h"
#include "tests/core/test_util.h"
#include "tests/win/win_test_util.h"
#include "tests/win/window_test_util.h"

namespace filvex {
namespace {

struct Box {
  std::string text, title;
  UINT type;
};

class PickupWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hook_ = std::make_unique<win::ScopedMessageBoxHook>(
        [this](HWND, const std::string& text, const std::string& title, UINT type) {
          boxes_.push_back({text, title, type});
          return answer_;
        });
    base_ = test::FreshFolder("pickup");
    test::WriteFile(base_ + "\\a.txt", "a");
    test::WriteFile(base_ + "\\b.txt", std::string(3000, 'b'));
    CreateDirectoryA((base_ + "\\Sub").c_str(), nullptr);
    w_ = test::OpenSmallListWindow("pickup", &program_);
    ASSERT_FALSE(HasFailure());
    boxes_.clear();
  }

  // Rows as a search would leave them, with the given rows selected.
  void ShowRows(const std::vector<std::string>& paths, const std::vector<int>& selected) {
    test::ShowRows(*w_, paths, selected);
  }

  void Select(const std::vector<int>& rows) {
    ListView_SetItemState(w_->ListView1, -1, 0, LVIS_SELECTED);
    for (int r : rows) ListView_SetItemState(w_->ListView1, r, LVIS_SELECTED, LVIS_SELECTED);
  }

  void PressPickupButton() {
    win::SetChecked(w_->HitListSpBtn, true);
    w_->ShowPickupList();
  }

  std::vector<std::string> RowPaths() const {
    std::vector<std::string> v;
    for (const auto& h : w_->HitList) v.push_back(h.Path.str());
    return v;
  }

  std::vector<int> SelectedRows() const { return test::SelectedRows(*w_); }

  std::string Kept() const { return test::ReadFile(w_->PickupFile); }

  std::string base_, program_;
  std::vector<Box> boxes_;
  int answer_ = IDYES;
  std::unique_ptr<win::ScopedMessageBoxHook> hook_;
  std::unique_ptr<TVemkoSearcher> w_;
};

TEST_F(PickupWindowTest, KeepsShowsAndRemovesWithTheQuestionFirst) {
  const std::string a = base_ + "\\a.txt", b = base_ + "\\b.txt", sub = base_ + "\\Sub";
  EXPECT_EQ(w_->PickupFile, program_ + "data\\hitkeep.txt");
  // Something to search again for when the button is released at the end.
  SetWindowTextA(w_->Edit1, "old");
  ASSERT_TRUE(test::WaitForSearch(*w_));
  ShowRows({a, b, sub}, {0, 1, 2});
  w_->AddToPickupList();
  EXPECT_EQ(Kept(), a + "\r\n" + b + "\r\n" + sub + "\r\n");
  // The same file again, in other case: nothing is added.
  std::string upper = a;
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  ShowRows({upper}, {0});
  w_->AddToPickupList();
  EXPECT_EQ(Kept(), a + "\r\n" + b + "\r\n" + sub + "\r\n");

  // A kept path that has vanished is not shown but stays in the file.
  const std::string gone = base_ + "\\gone.txt";
  test::WriteFile(w_->PickupFile, a + "\r\n" + gone + "\r\n" + b + "\r\n" + sub + "\r\n");
  PressPickupButton();
  ASSERT_EQ(RowPaths(), (std::vector<std::string>{a, b, sub}));
  EXPECT_EQ(w_->HitList[1].Name, "b.txt");
  EXPECT_EQ(w_->HitList[1].SizeKB, 2u);
  EXPECT_EQ(w_->HitList[2].Kind, kKindFolder);
  EXPECT_EQ(ListView_GetItemCount(w_->ListView1), 3);
  EXPECT_EQ(w_->ListColumnCaption(0), "名前  [ ピックアップリスト ]");
  EXPECT_EQ(w_->StatusText(0), "3");
  EXPECT_FALSE(w_->ShowsSearchHits);
  EXPECT_TRUE(w_->PickupList.empty());

  // Two of three rows: No changes nothing.
  Select({0, 2});
  answer_ = IDNO;
  w_->RemoveFromPickupList();
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text,
            "これらの 2 個のファイルをピックアップリストから削除します。よろしいですか？");
  EXPECT_EQ(boxes_[0].title, "ピックアップリストからの削除確認");
  EXPECT_EQ(boxes_[0].type, static_cast<UINT>(MB_ICONQUESTION | MB_YESNO));
  EXPECT_EQ(RowPaths().size(), 3u);
  EXPECT_EQ(Kept(), a + "\r\n" + gone + "\r\n" + b + "\r\n" + sub + "\r\n");

  answer_ = IDYES;
  w_->RemoveFromPickupList();
  EXPECT_EQ(RowPaths(), std::vector<std::string>{b});
  EXPECT_EQ(Kept(), gone + "\r\n" + b + "\r\n");
  EXPECT_EQ(ListView_GetItemCount(w_->ListView1), 1);
  EXPECT_TRUE(SelectedRows().empty()) << "the row left was not selected before";

  // One row: its caption is named.
  boxes_.clear();
  Select({0});
  answer_ = IDNO;
  w_->RemoveFromPickupList();
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, "b.txt をピックアップリストから削除します。よろしいですか？");

  // Releasing the button searches again.
  win::SetChecked(w_->HitListSpBtn, false);
  w_->ShowPickupList();
  ASSERT_TRUE(test::WaitForSearch(*w_));
  EXPECT_TRUE(w_->ShowsSearchHits);
  EXPECT_EQ(RowPaths(), std::vector<std::string>{"C:\\old\\old.txt"});
  EXPECT_NE(w_->ListColumnCaption(0), "名前  [ ピックアップリスト ]");
}

TEST_F(PickupWindowTest, RowsNotKeptStayWhenRemoving) {
  const std::string a = base_ + "\\a.txt", b = base_ + "\\b.txt";
  test::WriteFile(w_->PickupFile, a + "\r\n");
  ShowRows({a, b}, {0, 1});
  w_->RemoveFromPickupList();
  EXPECT_EQ(RowPaths(), std::vector<std::string>{b});
  EXPECT_EQ(Kept(), "");
}

TEST_F(PickupWindowTest, DamagedFileIsReportedAndNeverWrittenOver) {
  const std::string a = base_ + "\\a.txt";
  enum Stand { Garbage, Folder };
  for (Stand stand : {Garbage, Folder}) {
    SCOPED_TRACE(stand);
    const std::string garbage = a + "\r\n[hitkeep]\r\n";
    if (stand == Garbage) test::WriteFile(w_->PickupFile, garbage);
    if (stand == Folder) {
      DeleteFileA(w_->PickupFile.c_str());
      CreateDirectoryA(w_->PickupFile.c_str(), nullptr);
    }
    struct Command {
      const char* name;
      std::function<void()> run;
    } commands[] = {
        {"add", [&] { w_->AddToPickupList(); }},
        {"show", [&] { PressPickupButton(); }},
        {"remove", [&] { w_->RemoveFromPickupList(); }},
    };
    for (const auto& c : commands) {
      SCOPED_TRACE(c.name);
      ShowRows({a, base_ + "\\b.txt"}, {0, 1});
      boxes_.clear();
      c.run();
      ASSERT_FALSE(boxes_.empty());
      const std::string& message = boxes_.back().text;
      EXPECT_NE(message.find(w_->PickupFile), std::string::npos) << message;
      EXPECT_EQ(RowPaths().size(), 2u) << "the list is left as it was";
      EXPECT_FALSE(win::IsChecked(w_->HitListSpBtn));
      if (stand == Garbage) {
        EXPECT_EQ(Kept(), garbage);
      }
      if (stand == Folder) {
        EXPECT_NE(GetFileAttributesA(w_->PickupFile.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
      }
    }
    if (stand == Folder) RemoveDirectoryA(w_->PickupFile.c_str());
  }
}

}  // namespace
}  // namespace filvex
