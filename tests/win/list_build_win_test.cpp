// Building the search list from the main window: what the window shows while
// a build runs, what a finished build leaves, and that a stopped build
// leaves nothing.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/vemko_searcher_win.h"
#include "platform/message_box.h"
#include "platform/window_text.h"
#include "searchlist/list_builder.h"
#include "searchlist/list_files.h"
#include "searchlist/list_store.h"
#include "tests/core/test_util.h"
#include "tests/win/win_test_util.h"
#include "tests/win/window_test_util.h"

namespace filvex {
namespace {

// Serves the window until the running build has ended (or 60 s passed).
bool WaitForBuild(TVemkoSearcher& w) {
  for (int i = 0; i < 6000; ++i) {
    test::Pump();
    if (w.BuildStop.load() == 1 && w.BuildThread && w.BuildThread->Finished()) return true;
    Sleep(10);
  }
  return false;
}

// Messages a stand-in launcher window received.
struct LauncherMessage {
  HWND sender;
  ULONG_PTR code;
  std::string text;
};
std::vector<LauncherMessage>* gLauncherInbox = nullptr;

LRESULT CALLBACK LauncherProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COPYDATA && gLauncherInbox) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
    gLauncherInbox->push_back({reinterpret_cast<HWND>(wp), data->dwData,
                               std::string(static_cast<const char*>(data->lpData), data->cbData)});
    return 1;
  }
  return DefWindowProcA(wnd, msg, wp, lp);
}

// A window of the launcher's class that records what it is sent.
class StandInLauncher {
 public:
  StandInLauncher() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = LauncherProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TVemkoTrelquin";
    RegisterClassA(&wc);
    wnd_ = CreateWindowA("TVemkoTrelquin", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                         wc.hInstance, nullptr);
    gLauncherInbox = &inbox;
  }
  ~StandInLauncher() {
    gLauncherInbox = nullptr;
    DestroyWindow(wnd_);
    UnregisterClassA("TVemkoTrelquin", GetModuleHandleA(nullptr));
  }
  bool ok() const { return wnd_ != nullptr; }
  std::vector<LauncherMessage> inbox;

 private:
  HWND wnd_;
};

class ListBuildTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = test::FreshFolder("build") + "\\";
    hook_ = std::make_unique<win::ScopedMessageBoxHook>(
        [this](HWND, const std::string& text, const std::string& title, UINT) {
          asked_.push_back(title + "|" + text);
          return answer_;
        });
    // Something to find on E:.
    CreateDirectoryA("E:\\lbwin", nullptr);
    test::WriteFile("E:\\lbwin\\found.txt", "x");
  }

  std::unique_ptr<TVemkoSearcher> Start(bool upmode, bool withListFiles) {
    CreateDirectoryA((folder_ + "data").c_str(), nullptr);
    test::WriteFile(folder_ + "data\\searchdata.ini",
                    std::string("[DATA]\r\nupmode=") + (upmode ? "1" : "0") + "\r\n");
    if (withListFiles) {
      const std::string d = folder_ + "data\\";
      test::WriteSmallStoredList(d);
    }
    StartOptions o;
    o.programFolder = folder_;
    o.launcherFolder = folder_ + "no-launcher";
    auto w = std::make_unique<TVemkoSearcher>(o);
    w->Show(SW_SHOWNOACTIVATE);
    test::Pump();
    return w;
  }

  static bool HasFolder(const SearchList& l, std::string_view path) {
    for (size_t i = 0; i < l.FolderList.size(); ++i) {
      if (l.FolderList.path(i) == path) return true;
    }
    return false;
  }

  std::string folder_;
  std::vector<std::string> asked_;
  int answer_ = IDNO;
  std::unique_ptr<win::ScopedMessageBoxHook> hook_;
};

TEST_F(ListBuildTest, StartUpPromptBuildsAllDrives) {
  answer_ = IDYES;
  auto w = Start(/*upmode=*/false, /*withListFiles=*/false);
  ASSERT_EQ(asked_.size(), 1u);
  EXPECT_EQ(asked_[0], "検索リスト|検索リストが存在しません。新しく作成しますか？");
  ASSERT_TRUE(WaitForBuild(*w));

  const SearchList& l = w->LiveList;
  EXPECT_EQ(l.FolderList.path(0), "C:");
  EXPECT_EQ(l.FolderInfoList.text(0), kRootInfoLine);
  EXPECT_TRUE(HasFolder(l, "D:"));
  EXPECT_TRUE(HasFolder(l, "E:\\lbwin"));
  size_t found = 0;
  for (size_t j = 0; j < l.FileList.size(); ++j)
    found += FileEntryPath(l, j) == "E:\\lbwin\\found.txt";
  EXPECT_EQ(found, 1u);

  // Counts of all three drives, in drive order, covering every line.
  ASSERT_EQ(w->FolderCounts.size(), 3u);
  const char letters[] = {'C', 'D', 'E'};
  uint64_t folders = 0, files = 0;
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(w->FolderCounts.entries()[i].letter, letters[i]);
    folders += w->FolderCounts.entries()[i].count;
  }
  for (const DriveCount& c : w->FileCounts.entries()) files += c.count;
  EXPECT_EQ(folders, l.FolderList.size());
  EXPECT_EQ(files, l.FileList.size());
  EXPECT_EQ(w->ListDirty, 0) << "saved as soon as it was built";
  EXPECT_EQ(w->BuildCancelled.load(), 0);

  // The window is back to normal; the last drive's text stays on the hidden strip.
  EXPECT_TRUE(IsWindowEnabled(w->Edit1));
  EXPECT_TRUE(IsWindowEnabled(w->Edit3));
  EXPECT_TRUE(IsWindowEnabled(w->Panel2));
  EXPECT_TRUE(w->OptionMenu->Enabled());
  EXPECT_FALSE(IsWindowVisible(w->Panel3));
  EXPECT_EQ(win::WindowText(w->Panel3), DriveProgressText("E:"));
  w->File1Click();
  EXPECT_TRUE(w->SearchNewMenu->Enabled());
}

// A damaged list is offered a new build as at a first start; answered Yes,
// the new list is built and, at close, saved over the damaged files.
TEST_F(ListBuildTest, DamagedListIsReplacedByANewBuild) {
  answer_ = IDYES;
  CreateDirectoryA((folder_ + "data").c_str(), nullptr);
  const std::string d = folder_ + "data\\";
  test::WriteFile(d + "sach.txt", "C:\r\nC:\\old\r\n");
  test::WriteFile(d + "sachinfo1.txt", std::string(kRootInfoLine) + "\r\n");  // a line short
  test::WriteFile(d + "sachfile.txt", "1=old.txt\r\n");
  test::WriteFile(d + "sachinfo2.txt", "2003/07/14 09:052003/07/14 09:05101\r\n");
  StartOptions o;
  o.programFolder = folder_;
  o.launcherFolder = folder_ + "no-launcher";
  auto w = std::make_unique<TVemkoSearcher>(o);
  w->Show(SW_SHOWNOACTIVATE);
  test::Pump();
  ASSERT_EQ(asked_.size(), 1u);
  EXPECT_EQ(
      asked_[0],
      "検索リスト|検索リストが壊れています（sachinfo1.txt: 行数が sach.txt と一致しません）。\n"
      "新しく作成しますか？");
  ASSERT_TRUE(WaitForBuild(*w));
  EXPECT_TRUE(HasFolder(w->LiveList, "E:\\lbwin"));
  SendMessageA(w->Handle(), WM_CLOSE, 0, 0);
  w.reset();
  SearchList saved;
  ASSERT_TRUE(LoadListFiles(folder_ + "data", saved));
  EXPECT_TRUE(HasFolder(saved, "E:\\lbwin"));
  EXPECT_FALSE(HasFolder(saved, "C:\\old"));
}

TEST_F(ListBuildTest, WindowWhileABuildRuns) {
  struct Case {
    bool upmode;
  };
  for (const Case& c : {Case{false}, Case{true}}) {
    SCOPED_TRACE(c.upmode ? "upmode" : "no upmode");
    auto w = Start(c.upmode, /*withListFiles=*/true);
    // The build thread waits for its first progress text until the window
    // serves messages again, so the state can be looked at here.
    w->StartListBuild();
    EXPECT_EQ(w->BuildStop.load(), 0);
    EXPECT_TRUE(IsWindowVisible(w->Panel3));
    EXPECT_EQ(win::WindowText(w->CancelBtn), "中止");
    EXPECT_FALSE(w->OptionMenu->Enabled());
    EXPECT_EQ(IsWindowEnabled(w->Edit1) != 0, c.upmode);
    EXPECT_EQ(IsWindowEnabled(w->Edit3) != 0, c.upmode);
    EXPECT_EQ(IsWindowEnabled(w->Panel2) != 0, c.upmode);
    EXPECT_EQ(w->LiveList.FolderList.size(), c.upmode ? 2u : 0u);
    w->File1Click();
    EXPECT_FALSE(w->SearchNewMenu->Enabled());
    w->StartListBuild();  // a second start while one runs does nothing
    w->CancelBtnClick();
    EXPECT_EQ(w->BuildCancelled.load(), 1);
    EXPECT_FALSE(w->BuildThread);
    EXPECT_TRUE(IsWindowEnabled(w->Edit1));
    EXPECT_TRUE(w->OptionMenu->Enabled());
  }
}

TEST_F(ListBuildTest, StoppedBuildChangesNothing) {
  for (bool upmode : {false, true}) {
    SCOPED_TRACE(upmode ? "upmode" : "no upmode");
    auto w = Start(upmode, /*withListFiles=*/true);
    w->StartListBuild();
    w->CancelBtnClick();
    // The live set is the stored one, the building set is empty, and the
    // counts and the save flag are untouched.
    EXPECT_EQ(FolderLinesText(w->LiveList.FolderList), "C:\r\nC:\\old\r\n");
    EXPECT_EQ(FileLinesText(w->LiveList.FileList), "1=old.txt\r\n");
    EXPECT_EQ(w->LiveList.FileInfoList.size(), 1u);
    EXPECT_EQ(w->BuildingList.FolderList.size(), 0u);
    EXPECT_EQ(DriveCountsText(w->FolderCounts), "C=2\r\n");
    EXPECT_EQ(w->ListDirty, 0);
    // Closing saves nothing: the files are the old ones.
    SendMessageA(w->Handle(), WM_CLOSE, 0, 0);
    w.reset();
    EXPECT_EQ(test::ReadFile(folder_ + "data\\sach.txt"), "C:\r\nC:\\old\r\n");
  }
}

// A stop puts back the list the window had, not the files: a list built
// earlier and not saved yet survives a stopped build.
TEST_F(ListBuildTest, StoppedBuildKeepsAnUnsavedList) {
  auto w = Start(/*upmode=*/false, /*withListFiles=*/true);
  w->LiveList.FolderList.append("C:\\unsaved");
  w->LiveList.FolderInfoList.appendText("");
  w->ListDirty = 1;
  w->StartListBuild();
  w->CancelBtnClick();
  EXPECT_EQ(FolderLinesText(w->LiveList.FolderList), "C:\r\nC:\\old\r\nC:\\unsaved\r\n");
  EXPECT_EQ(w->BuildingList.FolderList.size(), 0u);
  EXPECT_EQ(w->ListDirty, 1);
}

TEST_F(ListBuildTest, UpmodeSwapsInTheNewListAtTheEnd) {
  auto w = Start(/*upmode=*/true, /*withListFiles=*/true);
  w->StartListBuild();
  // Searches keep the old list until the end.
  EXPECT_EQ(w->LiveList.FolderList.size(), 2u);
  ASSERT_TRUE(WaitForBuild(*w));
  EXPECT_EQ(w->BuildingList.FolderList.size(), 0u);
  EXPECT_FALSE(HasFolder(w->LiveList, "C:\\old"));
  EXPECT_TRUE(HasFolder(w->LiveList, "E:\\lbwin"));
  EXPECT_EQ(w->LiveList.FolderList.size(), w->LiveList.FolderInfoList.size());
  EXPECT_EQ(w->ListDirty, 0);
  ASSERT_EQ(w->FolderCounts.size(), 3u);
  EXPECT_NE(test::ReadFile(folder_ + "data\\sach.txt").find("E:\\lbwin\r\n"), std::string::npos);
  EXPECT_NE(test::ReadFile(folder_ + "data\\folderdat.txt").find("E="), std::string::npos);
}

// A finished build is saved at once, as one set, so that a crash later does
// not lose it; the close then has nothing left to save.
TEST_F(ListBuildTest, FinishedBuildIsOnDiskBeforeTheWindowCloses) {
  for (bool upmode : {false, true}) {
    SCOPED_TRACE(upmode ? "upmode" : "no upmode");
    auto w = Start(upmode, /*withListFiles=*/true);
    const std::string caption = win::WindowText(w->Handle());
    w->StartListBuild();
    ASSERT_TRUE(WaitForBuild(*w));
    test::Pump();
    const std::string d = folder_ + "data\\";
    // The six files hold the list the window holds, byte for byte.
    const std::string expected[6] = {
        FolderLinesText(w->LiveList.FolderList),   FileLinesText(w->LiveList.FileList),
        InfoLinesText(w->LiveList.FolderInfoList), InfoLinesText(w->LiveList.FileInfoList),
        DriveCountsText(w->FolderCounts),          DriveCountsText(w->FileCounts)};
    for (int k = 0; k < 6; ++k) {
      EXPECT_EQ(test::ReadFile(d + kListSetFiles[k]), expected[k]) << kListSetFiles[k];
      EXPECT_FALSE(FileExists(d + kListSetFiles[k] + ".tmp")) << kListSetFiles[k];
    }
    EXPECT_NE(expected[0].find("E:\\lbwin\r\n"), std::string::npos);
    ListSetMarker marker;
    ASSERT_TRUE(ParseListSetMarker(test::ReadFile(d + ListStoreNames::kMarker), marker));
    EXPECT_FALSE(marker.saving);
    EXPECT_EQ(w->ListDirty, 0);
    EXPECT_EQ(win::WindowText(w->Handle()), caption) << "the saving note is gone";
    EXPECT_TRUE(asked_.empty()) << asked_.back();

    SendMessageA(w->Handle(), WM_CLOSE, 0, 0);
    w.reset();
    ListSetMarker after;
    ASSERT_TRUE(ParseListSetMarker(test::ReadFile(d + ListStoreNames::kMarker), after));
    EXPECT_EQ(after.generation, marker.generation) << "the close saved again";
  }
}

// A save that fails after a build keeps the list marked as changed and says
// so; the close tries again.
TEST_F(ListBuildTest, FailedSaveAfterABuildKeepsTheListMarked) {
  auto w = Start(/*upmode=*/false, /*withListFiles=*/true);
  // A folder where the save writes its temporary copy of one file.
  const std::string blocker = folder_ + "data\\sachinfo2.txt.tmp";
  CreateDirectoryA(blocker.c_str(), nullptr);
  w->StartListBuild();
  ASSERT_TRUE(WaitForBuild(*w));
  test::Pump();
  EXPECT_EQ(w->ListDirty, 1);
  ASSERT_EQ(asked_.size(), 1u);
  EXPECT_NE(asked_[0].find("保存できませんでした"), std::string::npos) << asked_[0];
  EXPECT_EQ(test::ReadFile(folder_ + "data\\sach.txt"), "C:\r\nC:\\old\r\n");
  RemoveDirectoryA(blocker.c_str());
  SendMessageA(w->Handle(), WM_CLOSE, 0, 0);
  w.reset();
  EXPECT_NE(test::ReadFile(folder_ + "data\\sach.txt").find("E:\\lbwin\r\n"), std::string::npos);
}

TEST_F(ListBuildTest, LauncherIsToldOnlyAboutFinishedOrderedBuilds) {
  StandInLauncher launcher;
  ASSERT_TRUE(launcher.ok());
  std::vector<LauncherMessage>& inbox = launcher.inbox;

  struct Case {
    const char* what;
    bool ordered;  // through Timer3, as the launcher or -search orders it
    bool stop;
    size_t notices;
  };
  const Case cases[] = {
      {"ordered and finished", true, false, 1},
      {"ordered and stopped", true, true, 0},
      {"from the menu", false, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    inbox.clear();
    auto w = Start(/*upmode=*/false, /*withListFiles=*/true);
    if (c.ordered) {
      w->Timer3Timer();
    } else {
      answer_ = IDYES;
      w->SearchNewMenuClick();
      answer_ = IDNO;
      EXPECT_EQ(asked_.back(), "検索リストの更新|検索リストを更新しますか？");
    }
    if (c.stop) {
      w->CancelBtnClick();
    } else {
      ASSERT_TRUE(WaitForBuild(*w));
    }
    test::Pump();
    ASSERT_EQ(inbox.size(), c.notices);
    if (c.notices) {
      EXPECT_EQ(inbox[0].code, 0u);
      EXPECT_EQ(inbox[0].text, "Vemko");
      EXPECT_EQ(inbox[0].sender, w->Handle());
    }
    EXPECT_EQ(w->NotifyAfterBuild, 0);
  }
}

TEST_F(ListBuildTest, HiddenStartBuildsSavesTellsTheLauncherAndCloses) {
  StandInLauncher launcher;
  ASSERT_TRUE(launcher.ok());
  const std::string program = folder_ + "Vemko\\Trelquin\\";
  CreateDirectoryA((folder_ + "Vemko").c_str(), nullptr);
  CreateDirectoryA(program.c_str(), nullptr);
  StartOptions o;
  o.programFolder = program;
  o.launcherFolder = folder_ + "no-launcher";
  o.args = {"-search"};
  auto w = std::make_unique<TVemkoSearcher>(o);
  const HWND wnd = w->Handle();
  // Timer3, the build and the close all happen while messages are served.
  for (int i = 0; i < 6000 && IsWindow(wnd); ++i) {
    test::Pump();
    Sleep(10);
  }
  ASSERT_FALSE(IsWindow(wnd));
  EXPECT_TRUE(asked_.empty());
  const std::string data = program + "data\\";
  EXPECT_NE(test::ReadFile(data + "sach.txt").find("E:\\lbwin\r\n"), std::string::npos);
  EXPECT_NE(test::ReadFile(data + "sachfile.txt").find("=found.txt\r\n"), std::string::npos);
  EXPECT_EQ(test::ReadFile(data + "folderdat.txt").substr(0, 2), "C=");
  // Saved once, right after the build: the close found nothing to save.
  ListSetMarker marker;
  ASSERT_TRUE(ParseListSetMarker(test::ReadFile(data + ListStoreNames::kMarker), marker));
  EXPECT_EQ(marker.generation, 1u);
  EXPECT_FALSE(marker.saving);
  ASSERT_EQ(launcher.inbox.size(), 1u);
  EXPECT_EQ(launcher.inbox[0].code, 0u);
  EXPECT_EQ(launcher.inbox[0].text, "Vemko");
}

}  // namespace
}  // namespace filvex
