// The maintenance commands as a user meets them: folders deleted on disk and
// then the cleaning, the unknown-list check, the removal of selected rows,
// the two dialogs, and a drive-restricted search afterwards.
#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "app/vemko_searcher_win.h"
#include "platform/message_box.h"
#include "search/scan.h"
#include "searchlist/list_files.h"
#include "searchlist/maintenance_dlg_win.h"
#include "tests/core/test_util.h"
#include "tests/win/win_test_util.h"
#include "tests/win/window_test_util.h"

namespace filvex {
namespace {

constexpr const char* kInfo = "2020/01/01 00:002020/02/02 00:0010";
constexpr const char* kFileInfo = "2020/01/01 00:002020/02/02 00:00201";

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA((path + "\\*").c_str(), &d);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = d.cFileName;
      if (name == "." || name == "..") continue;
      const std::string full = path + "\\" + name;
      if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        DeleteFileA(full.c_str());
      }
    } while (FindNextFileA(h, &d));
    FindClose(h);
  }
  RemoveDirectoryA(path.c_str());
}

class MaintenanceWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hook_ = test::RecordMessageBoxes(boxes_, IDOK);
    yesNo_ = TYesNoChkDlg::SetHookForTests([this](const std::string& question, bool* checked) {
      questions_.push_back(question);
      boxChecked_ = *checked;
      return answer_;
    });
    // A tree on the fixture drive (D:), and one folder on C:, both on disk.
    base_ = test::FreshFolder("maint");
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    cFolder_ = std::string(temp) + "filvex-maint-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(cFolder_.c_str(), nullptr);
    for (const char* sub : {"\\keep", "\\gone", "\\gone\\sub"})
      CreateDirectoryA((base_ + sub).c_str(), nullptr);
    const std::string drive = base_.substr(0, 2);
    folders_ = {
        "C:", cFolder_, drive, base_, base_ + "\\keep", base_ + "\\gone", base_ + "\\gone\\sub"};
    files_ = {{1, "c1.txt"}, {1, "c2.txt"}, {4, "a.txt"}, {4, "b.txt"},
              {5, "g1.txt"}, {5, "g2.txt"}, {6, "s.txt"}, {4, "z.txt"}};
    for (const auto& f : files_) test::WriteFile(folders_[f.first] + "\\" + f.second, "x");
  }

  void TearDown() override {
    TYesNoChkDlg::SetHookForTests(std::move(yesNo_));
    TMsgCanselDlg::SetShowHookForTests(nullptr);
    RemoveTree(base_);
    RemoveTree(cFolder_);
  }

  std::unique_ptr<TVemkoSearcher> Start() {
    SearchList list;
    for (const auto& f : folders_) {
      list.FolderList.append(f);
      list.FolderInfoList.appendText(f.size() == 2 ? std::string(kRootInfoLine) : kInfo);
    }
    for (const auto& f : files_) {
      list.FileList.append(f.first, f.second);
      list.FileInfoList.appendText(kFileInfo);
    }
    program_ = test::FreshFolder("maint-program") + "\\";
    data_ = program_ + "data";
    CreateDirectoryA(data_.c_str(), nullptr);
    DriveCounts folderCounts, fileCounts;
    CountEntriesPerDrive(list, folderCounts, fileCounts);
    EXPECT_TRUE(SaveListFiles(data_, list, folderCounts, fileCounts));
    StartOptions options;
    options.programFolder = program_;
    options.launcherFolder = program_ + "no-launcher";
    auto w = std::make_unique<TVemkoSearcher>(options);
    w->Show(SW_SHOWNOACTIVATE);
    test::Pump();
    EXPECT_TRUE(boxes_.empty());
    return w;
  }

  static void Search(TVemkoSearcher& w, const std::string& text, const std::string& drives = "") {
    SetWindowTextA(w.Edit3, drives.c_str());
    ASSERT_TRUE(test::WaitForSearch(w));
    SetWindowTextA(w.Edit1, "");
    SetWindowTextA(w.Edit1, text.c_str());
    ASSERT_TRUE(test::WaitForSearch(w));
  }

  static std::vector<std::string> RowPaths(const TVemkoSearcher& w) {
    std::vector<std::string> v;
    for (const auto& h : w.HitList) v.push_back(h.Path.str());
    return v;
  }

  static std::vector<std::string> FilePaths(const SearchList& l) {
    std::vector<std::string> v;
    for (size_t j = 0; j < l.FileList.size(); ++j) v.push_back(FileEntryPath(l, j));
    return v;
  }

  static std::vector<int> SelectedRows(const TVemkoSearcher& w) { return test::SelectedRows(w); }

  static void Select(TVemkoSearcher& w, const std::vector<std::string>& paths) {
    ListView_SetItemState(w.ListView1, -1, 0, LVIS_SELECTED);
    for (size_t r = 0; r < w.HitList.size(); ++r)
      for (const auto& p : paths)
        if (w.HitList[r].Path == p)
          ListView_SetItemState(w.ListView1, static_cast<int>(r), LVIS_SELECTED, LVIS_SELECTED);
  }

  std::string base_, cFolder_, program_, data_;
  std::vector<std::string> folders_;
  std::vector<std::pair<uint32_t, std::string>> files_;
  std::vector<std::string> boxes_, questions_;
  bool answer_ = true;
  bool boxChecked_ = false;
  std::unique_ptr<win::ScopedMessageBoxHook> hook_;
  TYesNoChkDlg::Hook yesNo_;
};

TEST_F(MaintenanceWindowTest, CleaningEmptiesExactlyTheDeletedFoldersAndSaysHowMany) {
  auto w = Start();
  Search(*w, ".txt");
  ASSERT_EQ(w->HitList.size(), 8u);
  RemoveTree(base_ + "\\gone");
  DeleteFileA((cFolder_ + "\\c2.txt").c_str());

  w->N19Click();
  ASSERT_EQ(questions_.size(), 1u);
  EXPECT_EQ(questions_[0], "存在しないファイル名をリストから削除してもよろしいですか？");
  EXPECT_TRUE(boxChecked_) << "the box is checked when the dialog opens";
  // 2 folders (gone, gone\sub) and 4 files (g1, g2, s, c2).
  ASSERT_EQ(boxes_, std::vector<std::string>{"6個削除しました。"});
  std::vector<std::string> folders = folders_;
  folders[5] = folders[6] = "";
  for (size_t i = 0; i < folders.size(); ++i) {
    EXPECT_EQ(w->LiveList.FolderList.path(i), folders[i]) << i;
    EXPECT_EQ(w->LiveList.FolderInfoList.text(i).empty(), folders[i].empty()) << i;
  }
  EXPECT_EQ(FilePaths(w->LiveList),
            (std::vector<std::string>{cFolder_ + "\\c1.txt", base_ + "\\keep\\a.txt",
                                      base_ + "\\keep\\b.txt", base_ + "\\keep\\z.txt"}));
  EXPECT_EQ(w->ListDirty, 1);
  ASSERT_TRUE(test::WaitForSearch(*w));
  EXPECT_EQ(w->HitList.size(), 4u) << "the search ran again";

  // A drive-restricted search after the cleaning finds every hit of that
  // drive.
  Search(*w, ".txt", base_.substr(0, 1));
  EXPECT_EQ(RowPaths(*w),
            (std::vector<std::string>{base_ + "\\keep\\a.txt", base_ + "\\keep\\b.txt",
                                      base_ + "\\keep\\z.txt"}));

  // Nothing left to remove: no message the second time.
  boxes_.clear();
  w->N19Click();
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(MaintenanceWindowTest, CleaningAnsweredNoChangesNothing) {
  auto w = Start();
  RemoveTree(base_ + "\\gone");
  answer_ = false;
  w->N19Click();
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(w->LiveList.FileList.size(), files_.size());
  EXPECT_EQ(w->ListDirty, 0);
}

TEST_F(MaintenanceWindowTest, UnknownCheckSelectsExactlyTheVanishedRows) {
  auto w = Start();
  Search(*w, "txt");
  ASSERT_EQ(w->HitList.size(), 8u);
  w->Tool1Click();
  EXPECT_TRUE(w->NotFileMenu->Enabled());
  Select(*w, {base_ + "\\keep\\a.txt"});  // an existing row selected before
  DeleteFileA((base_ + "\\keep\\b.txt").c_str());
  DeleteFileA((base_ + "\\gone\\sub\\s.txt").c_str());
  w->NotFileMenuClick();
  std::vector<std::string> selected;
  for (int r : SelectedRows(*w)) selected.push_back(w->HitList[r].Path.str());
  std::sort(selected.begin(), selected.end());
  EXPECT_EQ(selected,
            (std::vector<std::string>{base_ + "\\gone\\sub\\s.txt", base_ + "\\keep\\b.txt"}));
  for (const auto& h : w->HitList)
    EXPECT_EQ(h.Unknown,
              h.Path == base_ + "\\keep\\b.txt" || h.Path == base_ + "\\gone\\sub\\s.txt");
  EXPECT_EQ(w->LiveList.FileList.size(), files_.size()) << "the list is not changed";
  EXPECT_EQ(w->SearchStopFlag.load(), 1);

  // Without rows the command is disabled.
  Search(*w, "nothing-matches-this");
  w->Tool1Click();
  EXPECT_FALSE(w->NotFileMenu->Enabled());
}

TEST_F(MaintenanceWindowTest, RemovalTouchesOnlyTheNamedEntries) {
  auto w = Start();
  Search(*w, "txt");
  ASSERT_EQ(w->HitList.size(), 8u);
  const uint32_t dCount = w->FileCounts.countOf(base_[0]);
  // A vanished row removed by path first, as the delete command does: the
  // file lines after it move up, and the rows must follow.
  uint8_t filesChanged = 0, foldersChanged = 0;
  int removed = 0;
  EXPECT_TRUE(
      w->RemoveListEntry(cFolder_ + "\\c1.txt", true, filesChanged, foldersChanged, removed));
  EXPECT_EQ(removed, 1);
  EXPECT_EQ(filesChanged, 1);
  Select(*w, {base_ + "\\keep\\b.txt", base_ + "\\gone\\g2.txt"});
  w->RemoveSelectedEntriesInDialog();
  EXPECT_EQ(FilePaths(w->LiveList),
            (std::vector<std::string>{cFolder_ + "\\c2.txt", base_ + "\\keep\\a.txt",
                                      base_ + "\\gone\\g1.txt", base_ + "\\gone\\sub\\s.txt",
                                      base_ + "\\keep\\z.txt"}));
  EXPECT_EQ(w->HitList.size(), 6u);
  for (const auto& h : w->HitList)
    EXPECT_TRUE(h.Path != base_ + "\\keep\\b.txt" && h.Path != base_ + "\\gone\\g2.txt");
  EXPECT_TRUE(SelectedRows(*w).empty());
  EXPECT_EQ(w->ListDirty, 1);
  EXPECT_EQ(w->FileCounts.countOf(base_[0]), dCount - 2);
  // Every remaining row still names its own entry.
  for (const auto& h : w->HitList) {
    if (h.ListLine < 0) continue;
    EXPECT_EQ(FileEntryPath(w->LiveList, static_cast<size_t>(h.ListLine)), h.Path);
  }
}

TEST_F(MaintenanceWindowTest, CancelledRemovalKeepsTheList) {
  auto w = Start();
  Search(*w, "txt");
  Select(*w, {base_ + "\\keep\\a.txt"});
  // The cancel button is pressed as the work starts.
  TMsgCanselDlg::SetShowHookForTests(
      [](TMsgCanselDlg& dlg) { PostMessageA(dlg.Handle(), WM_COMMAND, IDCANCEL, 0); });
  w->RemoveSelectedEntriesInDialog();
  EXPECT_EQ(w->LiveList.FileList.size(), files_.size());
  EXPECT_EQ(w->HitList.size(), 8u);
  EXPECT_EQ(w->ListDirty, 0);
  EXPECT_EQ(w->SearchStopFlag.load(), 1);
}

TEST_F(MaintenanceWindowTest, CloseDuringRemovalWaitsForItAndKeepsTheList) {
  auto w = Start();
  Search(*w, "txt");
  Select(*w, {base_ + "\\keep\\a.txt"});
  const HWND wnd = w->Handle();
  // A close arrives while the removal serves messages (as the launcher
  // watch's close does): the window must outlive the command.
  TMsgCanselDlg::SetShowHookForTests(
      [wnd](TMsgCanselDlg&) { PostMessageA(wnd, WM_CLOSE, 0, 0); });
  w->RemoveSelectedEntriesInDialog();
  TMsgCanselDlg::SetShowHookForTests(nullptr);
  ASSERT_TRUE(IsWindow(wnd));
  EXPECT_EQ(w->LiveList.FileList.size(), files_.size());
  EXPECT_EQ(w->ListDirty, 0);
  // Then it closes.
  for (int i = 0; i < 500 && IsWindow(wnd); ++i) {
    test::Pump();
    Sleep(2);
  }
  EXPECT_FALSE(IsWindow(wnd));
}

TEST_F(MaintenanceWindowTest, ProgressDialogTurnsItsIndicatorAndCancels) {
  auto w = Start();
  std::atomic<uint8_t> stop{0};
  TMsgCanselDlg dlg("検索リストの掃除", "リストの掃除中...", stop);
  std::vector<std::string> texts;
  RECT client{};
  dlg.Work = [&] {
    texts.push_back(dlg.Panel1Text());
    for (int k = 0; k < 4; ++k) {
      dlg.Timer2Timer();
      texts.push_back(dlg.Panel1Text());
    }
    GetClientRect(dlg.Handle(), &client);
    // Escape is the cancel button.
    PostMessageA(dlg.Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    dlg.ServeMessages();
  };
  dlg.ShowModal(w->Handle());
  ASSERT_EQ(texts.size(), 5u);
  EXPECT_EQ(texts[0], "∴ リストの掃除中...");
  for (const auto& t : texts)
    EXPECT_TRUE(t == "∴ リストの掃除中..." || t == "∵ リストの掃除中...") << t;
  EXPECT_NE(texts[1], texts[2]);
  EXPECT_EQ(texts[1], texts[3]);
  EXPECT_EQ(texts[2], texts[4]);
  EXPECT_EQ(client.right, 313);
  EXPECT_EQ(client.bottom, 82);
  EXPECT_EQ(stop.load(), 1);
}

// The real question dialog: its texts, its box checked on opening, and the
// box's state returned whichever button closed it.
TEST_F(MaintenanceWindowTest, YesNoDialogReturnsTheAnswerAndTheBox) {
  TYesNoChkDlg::SetHookForTests(nullptr);
  static std::string label;
  static bool wasChecked;
  static UINT_PTR timer;
  label.clear();
  wasChecked = false;
  timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
    HWND dlg = FindWindowA(nullptr, "確認");
    if (!dlg) return;
    KillTimer(nullptr, timer);
    char text[256] = {};
    GetDlgItemTextA(dlg, TYesNoChkDlg::kLabel1Id, text, sizeof text);
    label = text;
    wasChecked = IsDlgButtonChecked(dlg, TYesNoChkDlg::kCheckBox1Id) == BST_CHECKED;
    CheckDlgButton(dlg, TYesNoChkDlg::kCheckBox1Id, BST_UNCHECKED);
    PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);  // 「いいえ」
  });
  bool checked = true;
  EXPECT_FALSE(TYesNoChkDlg::Execute(nullptr, "確認", "質問ですか？", &checked));
  EXPECT_EQ(label, "質問ですか？");
  EXPECT_TRUE(wasChecked);
  EXPECT_FALSE(checked);
}

}  // namespace
}  // namespace filvex
