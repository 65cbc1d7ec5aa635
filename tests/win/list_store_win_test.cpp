// The window's start after a save that was killed: it loads the newest
// complete list, says what it found, and a second window that loads while the
// first one saves gets the old or the new list.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/vemko_searcher_win.h"
#include "platform/message_box.h"
#include "platform/window_text.h"
#include "searchlist/list_files.h"
#include "searchlist/list_store.h"
#include "tests/core/test_util.h"
#include "tests/win/win_test_util.h"

namespace filvex {
namespace {

struct Box {
  std::string text;
  UINT type;
};

class ListStoreWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hook_ = std::make_unique<win::ScopedMessageBoxHook>(
        [this](HWND, const std::string& text, const std::string&, UINT type) {
          boxes_.push_back({text, type});
          return IDNO;
        });
  }

  std::unique_ptr<TVemkoSearcher> Start(const std::string& program) {
    StartOptions o;
    o.programFolder = program;
    o.launcherFolder = program + "no-launcher";
    auto w = std::make_unique<TVemkoSearcher>(o);
    w->Show(SW_SHOWNOACTIVATE);
    test::Pump();
    return w;
  }

  // A list of one drive with the given folders under it.
  static SearchList ListOf(std::initializer_list<const char*> folders) {
    SearchList l;
    l.FolderList.append("C:");
    l.FolderInfoList.appendRoot();
    for (const char* f : folders) {
      l.FolderList.append(f);
      l.FolderInfoList.appendText("2003/07/14 09:052003/07/15 10:0010");
    }
    return l;
  }

  std::vector<Box> boxes_;
  std::unique_ptr<win::ScopedMessageBoxHook> hook_;
};

TEST_F(ListStoreWindowTest, StartAfterAKilledSaveSaysWhatItLoaded) {
  const SearchList before = ListOf({"C:\\before"});
  const SearchList after = ListOf({"C:\\after", "C:\\after\\sub"});
  DriveCounts beforeFolders, beforeFiles, afterFolders, afterFiles;
  CountEntriesPerDrive(before, beforeFolders, beforeFiles);
  CountEntriesPerDrive(after, afterFolders, afterFiles);
  struct Case {
    const char* killAt;
    const char* note;
    const char* shown;   // the list information of the list loaded
    const char* counts;  // its per-drive folder counts
  };
  const Case cases[] = {
      {"write sachgen.txt.tmp (saving)",
       "前回の検索リストの保存が途中で中断されていました。\n"
       "その前に保存された検索リストを読み込みました。",
       " Folder: 2  File: ", "C=2\r\n"},
      {"move sachinfo2.txt",
       "前回の検索リストの保存が途中で中断されていたため、保存を完了しました。\n"
       "保存された検索リストを読み込みました。",
       " Folder: 3  File: ", "C=3\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.killAt);
    boxes_.clear();
    const std::string program = test::FreshFolder("store") + "\\";
    const std::string data = program + "data";
    CreateDirectoryA(data.c_str(), nullptr);
    ASSERT_EQ(SaveListStore(data, before, beforeFolders, beforeFiles).outcome,
              ListSaveOutcome::Saved);
    const std::string killAt = c.killAt;
    SaveListStore(data, after, afterFolders, afterFiles,
                  [&](std::string_view s) { return s != killAt; });

    auto w = Start(program);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, c.note);
    EXPECT_EQ(boxes_[0].type & MB_ICONERROR, 0u) << "a note, not an error";
    EXPECT_EQ(win::WindowText(w->StaticText1), c.shown);
    EXPECT_EQ(DriveCountsText(w->FolderCounts), c.counts) << "counts of the same save";
    EXPECT_EQ(w->ListDirty, 0);
    SendMessageA(w->Handle(), WM_CLOSE, 0, 0);
    w.reset();

    // Said once: the next start finds a whole list.
    boxes_.clear();
    w = Start(program);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(win::WindowText(w->StaticText1), c.shown);
    SendMessageA(w->Handle(), WM_CLOSE, 0, 0);
  }
}

// A second window loads while the first one saves: before the save commits
// it gets the old list, after the save it gets the new one, and never a mix.
// (While the new files are moved in a load waits for the save; the portable
// tests cover that.)
TEST_F(ListStoreWindowTest, SecondWindowLoadingDuringASaveNeverShowsAMix) {
  const std::string program = test::FreshFolder("store2") + "\\";
  const std::string data = program + "data";
  CreateDirectoryA(data.c_str(), nullptr);
  const SearchList before = ListOf({"C:\\before"});
  DriveCounts folders, files;
  CountEntriesPerDrive(before, folders, files);
  ASSERT_EQ(SaveListStore(data, before, folders, files).outcome, ListSaveOutcome::Saved);
  auto first = Start(program);
  auto second = Start(program);
  ASSERT_TRUE(boxes_.empty());
  first->LiveList = ListOf({"C:\\after", "C:\\after\\sub"});
  CountEntriesPerDrive(first->LiveList, first->FolderCounts, first->FileCounts);

  const std::string oldText = "C:\r\nC:\\before\r\n";
  const std::string newText = "C:\r\nC:\\after\r\nC:\\after\\sub\r\n";
  bool committing = false;
  int loads = 0;
  auto hook = [&](std::string_view step) {
    if (step == "flush folder (saving)") committing = true;
    if (step == "flush folder (complete)") committing = false;
    if (committing) return true;
    const bool done = step == "flush folder (complete)" || step == "remove leftovers";
    EXPECT_EQ(second->LoadSearchList().outcome, ListLoadOutcome::Loaded) << step;
    EXPECT_EQ(FolderLinesText(second->LiveList.FolderList), done ? newText : oldText) << step;
    EXPECT_EQ(DriveCountsText(second->FolderCounts), done ? "C=3\r\n" : "C=2\r\n") << step;
    ++loads;
    return true;
  };
  ASSERT_EQ(
      SaveListStore(data, first->LiveList, first->FolderCounts, first->FileCounts, hook).outcome,
      ListSaveOutcome::Saved);
  EXPECT_GE(loads, 14);
  EXPECT_TRUE(boxes_.empty());
  SendMessageA(first->Handle(), WM_CLOSE, 0, 0);
  SendMessageA(second->Handle(), WM_CLOSE, 0, 0);
}

}  // namespace
}  // namespace filvex
