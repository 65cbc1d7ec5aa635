// A worker that fails tells the user: a scan or a build that throws ends with
// an error box (the real one, read back from the screen) and leaves the window
// in its safe state: the hits found so far, the list of before.
#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/vemko_searcher_win.h"
#include "platform/message_box.h"
#include "platform/window_text.h"
#include "search/search_run_win.h"
#include "searchlist/list_build_win.h"
#include "searchlist/list_files.h"
#include "tests/core/test_util.h"
#include "tests/win/win_test_util.h"
#include "tests/win/window_test_util.h"

namespace filvex {
namespace {

// Reads and closes every message box that appears, from a timer that fires
// inside the box's modal loop.
struct BoxReader {
  static inline std::vector<std::string> texts;

  static BOOL CALLBACK LongestStatic(HWND child, LPARAM lp) {
    char cls[32] = {};
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") == 0) {
      // The box's icon is a static without text; the message is the other.
      std::string text = win::WindowText(child);
      auto* out = reinterpret_cast<std::string*>(lp);
      if (text.size() > out->size()) *out = text;
    }
    return TRUE;
  }

  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindWindowA("#32770", win::ApplicationTitle().c_str());
    if (!box) return;
    std::string text;
    EnumChildWindows(box, &LongestStatic, reinterpret_cast<LPARAM>(&text));
    texts.push_back(text);
    SendMessageA(box, WM_COMMAND, IDOK, 0);
  }
};

class WorkerFailureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BoxReader::texts.clear();
    timer_ = SetTimer(nullptr, 0, 20, &BoxReader::Tick);
  }
  void TearDown() override {
    KillTimer(nullptr, timer_);
    SetScanFaultForTests(nullptr);
    SetBuildFaultForTests(nullptr);
  }

  // A window over a small stored list (C:, C:\old and old.txt).
  std::unique_ptr<TVemkoSearcher> Start(bool upmode) {
    folder_ = test::FreshFolder("failure") + "\\";
    const std::string d = folder_ + "data\\";
    CreateDirectoryA((folder_ + "data").c_str(), nullptr);
    test::WriteFile(d + "searchdata.ini",
                    std::string("[DATA]\r\nupmode=") + (upmode ? "1" : "0") + "\r\n");
    test::WriteSmallStoredList(d);
    StartOptions o;
    o.programFolder = folder_;
    o.launcherFolder = folder_ + "no-launcher";
    auto w = std::make_unique<TVemkoSearcher>(o);
    w->Show(SW_SHOWNOACTIVATE);
    test::Pump();
    return w;
  }

  // Serves the window until its workers have ended and `boxes` boxes have
  // been read (or 120 s passed).
  static ::testing::AssertionResult Settle(TVemkoSearcher& w, size_t boxes) {
    const DWORD start = GetTickCount();
    for (;;) {
      test::Pump();
      const bool searchDone =
          w.SearchStopFlag.load() == 1 && (!w.SearchThread || w.SearchThread->Finished());
      const bool buildDone =
          w.BuildStop.load() == 1 && (!w.BuildThread || w.BuildThread->Finished());
      if (searchDone && buildDone && BoxReader::texts.size() >= boxes) {
        test::Pump();  // a box posted at the very end
        return ::testing::AssertionSuccess();
      }
      if (GetTickCount() - start > 120000) {
        return ::testing::AssertionFailure() << "still running, or " << BoxReader::texts.size()
                                             << " of " << boxes << " boxes seen";
      }
      Sleep(5);
    }
  }

  std::string folder_;
  UINT_PTR timer_ = 0;
};

TEST_F(WorkerFailureTest, FailedScanShowsAnErrorAndWhatItFound) {
  struct Case {
    const char* query;
    std::function<void()> fault;
    std::string box;  // empty: no box
  } cases[] = {
      {"old", [] { throw std::runtime_error("disk fault"); },
       "検索中にエラーが発生しました: disk fault"},
      {"ol", [] { throw std::bad_alloc(); },
       "検索中にエラーが発生しました: メモリが不足しています"},
      {"o", [] { throw 7; }, "検索中にエラーが発生しました: 不明なエラー"},
      {"old.txt", nullptr, ""},  // a scan that works shows its hit and no box
  };
  auto w = Start(/*upmode=*/false);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.query);
    BoxReader::texts.clear();
    SetScanFaultForTests(c.fault);
    SetWindowTextA(w->Edit1, c.query);
    ASSERT_TRUE(Settle(*w, c.box.empty() ? 0 : 1));
    if (c.box.empty()) {
      EXPECT_TRUE(BoxReader::texts.empty());
      EXPECT_EQ(ListView_GetItemCount(w->ListView1), 1);
    } else {
      ASSERT_EQ(BoxReader::texts.size(), 1u);
      EXPECT_EQ(BoxReader::texts[0], c.box);
      EXPECT_EQ(ListView_GetItemCount(w->ListView1), 0);  // it failed before the first entry
    }
    // The window is usable again: no search is left running.
    EXPECT_EQ(w->SearchStopFlag.load(), 1);
    EXPECT_TRUE(IsWindowEnabled(w->Edit1));
  }
}

TEST_F(WorkerFailureTest, FailedBuildShowsAnErrorAndKeepsTheList) {
  struct Case {
    bool upmode;
    int failAtDrive;  // 2: drive C: is in the list already when it fails
  } cases[] = {{false, 1}, {false, 2}, {true, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.upmode ? "upmode" : "no upmode") + ", drive " +
                 std::to_string(c.failAtDrive));
    BoxReader::texts.clear();
    auto w = Start(c.upmode);
    int drives = 0;
    SetBuildFaultForTests([&drives, &c] {
      if (++drives == c.failAtDrive) throw std::runtime_error("disk fault");
    });
    w->StartListBuild();
    ASSERT_TRUE(Settle(*w, 1));
    ASSERT_EQ(BoxReader::texts.size(), 1u);
    EXPECT_EQ(
        BoxReader::texts[0],
        "検索リストの作成中にエラーが発生しました: disk fault。検索リストは変更されていません。");
    EXPECT_EQ(drives, c.failAtDrive);
    // The list of before, nothing counted, nothing to save, the window usable.
    EXPECT_EQ(FolderLinesText(w->LiveList.FolderList), "C:\r\nC:\\old\r\n");
    EXPECT_EQ(FileLinesText(w->LiveList.FileList), "1=old.txt\r\n");
    EXPECT_EQ(w->BuildingList.FolderList.size(), 0u);
    EXPECT_EQ(DriveCountsText(w->FolderCounts), "C=2\r\n");
    EXPECT_EQ(w->ListDirty, 0);
    EXPECT_EQ(w->BuildCancelled.load(), 1);
    EXPECT_TRUE(IsWindowEnabled(w->Edit1));
    EXPECT_FALSE(IsWindowVisible(w->Panel3));
    SendMessageA(w->Handle(), WM_CLOSE, 0, 0);
    w.reset();
    EXPECT_EQ(test::ReadFile(folder_ + "data\\sach.txt"), "C:\r\nC:\\old\r\n");
  }
}

TEST_F(WorkerFailureTest, FailedHiddenBuildStillClosesTheProgram) {
  // The -search start of a copy inside the launcher's folder: no window, no
  // user. A build that fails must still end the program.
  folder_ = test::FreshFolder("failure-hidden") + "\\";
  const std::string program = folder_ + "Vemko\\Trelquin\\";
  CreateDirectoryA((folder_ + "Vemko").c_str(), nullptr);
  CreateDirectoryA(program.c_str(), nullptr);
  StartOptions o;
  o.programFolder = program;
  o.launcherFolder = folder_ + "no-launcher";
  o.args = {"-search"};
  SetBuildFaultForTests([] { throw std::runtime_error("disk fault"); });
  auto w = std::make_unique<TVemkoSearcher>(o);
  const HWND wnd = w->Handle();
  for (int i = 0; i < 6000 && IsWindow(wnd); ++i) {
    test::Pump();
    Sleep(10);
  }
  EXPECT_FALSE(IsWindow(wnd));
  // The failure is still told (a late box of an earlier case may repeat it).
  for (const std::string& t : BoxReader::texts)
    EXPECT_EQ(t, "検索リストの作成中にエラーが発生しました: disk fault。検索リストは変更されていません。");
  // Nothing half-built was written.
  EXPECT_FALSE(FileExists(program + "data\\sach.txt"));
}

}  // namespace
}  // namespace filvex
