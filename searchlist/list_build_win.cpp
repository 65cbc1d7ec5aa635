// The search-list build of the main window: its start, its body on the build
// thread, its end and its stop.
//
// The build writes into the live set when upmode is off (searching is then
// disabled) and into the building set when it is on (searches go on over the
// live set, which is replaced only after the running search has stopped). A
// stopped or failed build changes nothing lasting: without upmode the live set
// that was kept aside at the start is put back, with upmode the building set
// is dropped.
#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <string_view>

#include "app/vemko_searcher_win.h"
#include "companions/companion_message.h"
#include "platform/dir_enum_win.h"
#include "platform/message_box.h"
#include "platform/ui_call.h"
#include "search/search_run_win.h"
#include "searchlist/list_build_win.h"
#include "searchlist/list_builder.h"

namespace filvex {

namespace {

std::function<void()>& BuildFault() {
  static std::function<void()> fault;
  return fault;
}

// Puts back the live set that a build without upmode kept aside when it
// started (user-interface thread).
void RestoreKeptList(TVemkoSearcher& w) {
  w.LiveList = std::move(w.BuildingList);
  w.BuildingList.clear();
  w.ShowListInfo();
}

// The body of the build thread: walks the drives into the target set, then
// hands the outcome to the user-interface thread.
void BuildSearchList(TVemkoSearcher& w, bool upmode) {
  SearchList& target = upmode ? w.BuildingList : w.LiveList;
  bool stopped = true;
  std::exception_ptr failure;
  try {
    // Created on this thread: it keeps "no disk in drive" boxes away from it.
    WinDirectorySource source;
    stopped = BuildDrives(w.DriveList, source, target, w.BuildStop, [&w](const std::string& text) {
      if (BuildFault()) BuildFault()();
      win::RunOnUiThread([&] { SetWindowTextA(w.Panel3, text.c_str()); });
    });
  } catch (...) {
    // Out of memory on a huge tree, or any other failure: ended as a stopped
    // build, so the partial list is never counted or saved and the list of
    // before stays; the user is told below, once that list is back.
    stopped = true;
    failure = std::current_exception();
  }
  w.BuildCancelled.store(stopped ? 1 : 0);
  win::RunOnUiThread([&] {
    if (!stopped) {
      w.StopSearch();
      if (upmode) {
        // The building set is emptied at the end anyway, so it is moved
        // rather than copied.
        w.LiveList = std::move(w.BuildingList);
        w.BuildingList.clear();
      }
      w.ShowListInfo();
      w.BuildingList.clear();  // without upmode: the list kept aside
    } else if (!upmode) {
      RestoreKeptList(w);
    }
  });
  w.BuildStop.store(1);
  win::RunOnUiThread([&] {
    if (w.NotifyAfterBuild && !stopped) w.NotifyLauncher(kCodeBuildFinished, "");
    w.NotifyAfterBuild = 0;
  });
  if (failure) {
    win::PostError(w.Handle(), "検索リストの作成中にエラーが発生しました: " +
                                   win::FailureText(failure) + "。検索リストは変更されていません。");
  }
}

}  // namespace

void SetBuildFaultForTests(std::function<void()> fault) { BuildFault() = std::move(fault); }

void TVemkoSearcher::SearchNewMenuClick() {
  if (win::AskYesNo(hwnd_, "検索リストを更新しますか？", "検索リストの更新")) StartListBuild();
}

void TVemkoSearcher::StartListBuild() {
  if (BuildStop.load() == 0) return;  // one build at a time
  if (ListMaintenanceRunning) return;  // the live set is being changed
  // A build thread that ended by itself is released now.
  if (BuildThread) {
    BuildThread->Wait();
    BuildThread.reset();
  }
  const bool upmode = Settings.upmode;
  if (!upmode) {
    // The live set is about to be emptied and refilled: no search may be
    // reading it, now or while the build runs.
    StopSearch();
    EnableWindow(Edit1, FALSE);
    EnableWindow(Edit3, FALSE);
    EnableWindow(Panel2, FALSE);
    // The live set is kept aside in the building set (which a build without
    // upmode does not use) and put back if the build is stopped. That costs
    // the memory of a second list during the build, as upmode does, and
    // spares the stop a reload of the files (a quarter of a second for a
    // million entries under Wine); it also keeps a list that a previous
    // build made but that is not saved yet.
    BuildingList = std::move(LiveList);
    LiveList.clear();
  } else {
    BuildingList.clear();
  }
  OptionMenu->SetEnabled(false);
  ShowProgressStrip(true);
  FillDriveList(DriveList);

  // Running from here on, set before the thread exists: a stop asked for
  // before the thread's first step is then seen by it and waited for.
  BuildCancelled.store(0);
  BuildStop.store(0);
  BuildThread = std::make_unique<win::WorkerThread>(
      [this, upmode] { BuildSearchList(*this, upmode); }, [this] { ListBuildDone(); });
  if (!BuildThread->Start()) {
    BuildStop.store(1);
    BuildCancelled.store(1);
    BuildThread.reset();
    if (!upmode) RestoreKeptList(*this);
    ListBuildDone();
  }
}

void TVemkoSearcher::ListBuildDone() {
  OptionMenu->SetEnabled(true);
  if (Settings.upmode) {
    BuildingList.clear();
  } else {
    EnableWindow(Edit1, TRUE);
    EnableWindow(Edit3, TRUE);
    EnableWindow(Panel2, TRUE);
  }
  ShowProgressStrip(false);
  if (BuildCancelled.load() != 0) {
    // The hidden -search start has no user to stop or retry it: a build that
    // failed still ends the program, or it would wait unseen for ever. The
    // stored list stays as it was.
    if (!ShowMainForm) Close();
    return;
  }
  CountEntriesPerDrive(LiveList, FolderCounts, FileCounts);
  ListDirty = 1;
  // Saved at once, not only at close: a list that took minutes to build is
  // not lost to a crash later. A save that fails keeps ListDirty (the close
  // tries again) and has shown its error.
  SaveSearchList(/*serveMessages=*/false);
  if (IsVisible()) {
    StartSearch(SearchAgainTrigger(*this, /*afterBuild=*/true));
  } else {
    Close();  // the -search start; the close saves only if the save above failed
  }
}

void TVemkoSearcher::StopListBuild() {
  if (!BuildThread) return;
  if (BuildStop.load() == 0) BuildStop.store(1);
  BuildThread->Wait();  // serves the progress texts and the end handler meanwhile
  BuildThread.reset();
}

void TVemkoSearcher::CancelBtnClick() {
  SearchStopFlag.store(1);
  StopListBuild();
}

}  // namespace filvex
