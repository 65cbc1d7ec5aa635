// The search-list build of the main window: its start, stop and end.
//
// The menu command and the stop are in place; StartListBuild and
// ListBuildDone get their behaviour with the builder.
#include <windows.h>

#include "app/vemko_searcher_win.h"
#include "platform/message_box.h"

namespace filvex {

void TVemkoSearcher::SearchNewMenuClick() {
  if (win::AskYesNo(hwnd_, "検索リストを更新しますか？", "検索リストの更新")) StartListBuild();
}

void TVemkoSearcher::StartListBuild() {}

void TVemkoSearcher::StopListBuild() {
  if (!BuildThread) return;
  if (BuildStop.load() == 0) BuildStop.store(1);
  BuildThread->Wait();  // serves the progress texts and the end handler meanwhile
  BuildThread.reset();
}

void TVemkoSearcher::ListBuildDone() {}

void TVemkoSearcher::CancelBtnClick() {
  SearchStopFlag.store(1);
  StopListBuild();
}

}  // namespace filvex
