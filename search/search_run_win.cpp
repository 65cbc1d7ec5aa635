// The search run of the main window: start, stop and end of a search, and
// the search panel's changes that start one.
//
// Only the stop is in place so far; StartSearch, RunSearch, SearchDone,
// SearchTrigger, ModeMenuClick and Tool1Click get their behaviour with the
// search run.
#include <windows.h>

#include "app/vemko_searcher_win.h"

namespace filvex {

void TVemkoSearcher::StartSearch(HWND /*trigger*/, int /*modeTag*/) {}

void TVemkoSearcher::StopSearch() {
  if (SearchThread) {
    if (SearchStopFlag.load() == 0) {
      SearchStopFlag.store(1);
    }
    SearchThread->Wait();  // serves the worker's hand-overs meanwhile
    SearchThread.reset();
  }
  StopIconFetch();
}

void TVemkoSearcher::SearchDone() {}

void TVemkoSearcher::RunSearch() {}

void TVemkoSearcher::SearchTrigger(HWND /*control*/, UINT /*code*/) {}

void TVemkoSearcher::ModeMenuClick(int /*tag*/) {}

void TVemkoSearcher::Tool1Click() {}

}  // namespace filvex
