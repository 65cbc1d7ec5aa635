// The search run of the main window: start, stop and end of a search, and
// the search panel's changes that start one.
//
// One scan runs at a time, on a TSearchThread worker (win::WorkerThread)
// whose body runs on the window's search thread (SearchSlot): the thread is
// kept between searches, as making one costs a keystroke about 3 ms under
// Wine.
// StartSearch reads the panel's values before the worker starts; the worker
// scans the live set into a hit list of its own and puts it in the default
// order, and its end handler SearchDone, run on the user-interface thread by
// the worker's one call there, takes that list over and shows it. The
// window's HitList is therefore never written by the worker, and the result
// list can answer any request at any time without a lock. The worker reads
// the live set without a lock: whatever changes the live set stops the
// search first, and no scan starts while a build fills the live set itself.
#include "search/search_run_win.h"

#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <string>

#include "app/vemko_searcher_win.h"
#include "platform/message_box.h"
#include "platform/ui_call.h"
#include "platform/window_text.h"
#include "results/result_view_win.h"
#include "results/row_text.h"
#include "results/sort.h"
#include "search/scan.h"

namespace filvex {
namespace {

void SetMouseCursor(LPCSTR which) {
  SetCursor(LoadCursorA(nullptr, which));
}

std::function<void()>& ScanFault() {
  static std::function<void()> fault;
  return fault;
}

}  // namespace

void SetScanFaultForTests(std::function<void()> fault) {
  ScanFault() = std::move(fault);
}

HWND SearchAgainTrigger(const TVemkoSearcher& w, bool afterBuild) {
  switch (w.SearchMode) {
    case SearchMode::AttributeSearch:
      return w.CheckBox3;
    case SearchMode::DateSearch:
      return w.ComboBox1;
    case SearchMode::SizeSearch:
      return w.ComboBox2;
    case SearchMode::NameSearch:
      break;
  }
  return afterBuild ? w.Edit1 : nullptr;
}

bool BuildFillsLiveList(const TVemkoSearcher& w) {
  return w.BuildStop.load() == 0 && !w.Settings.upmode;
}

SearchQuery SearchQueryFromPanel(const TVemkoSearcher& w) {
  SearchQuery q;
  q.mode = w.SearchMode;
  SetQueryText(q, win::WindowText(w.Edit1));
  SetDriveLetters(q, win::WindowText(w.Edit3));
  q.folders = win::IsChecked(w.CheckBox1);
  q.files = win::IsChecked(w.CheckBox2);
  q.andMode = win::IsChecked(w.CheckBox5);
  q.head = win::IsChecked(w.CheckBox7);
  q.attrS = win::IsChecked(w.CheckBox3);
  q.attrH = win::IsChecked(w.CheckBox4);
  q.attrSH = win::IsChecked(w.CheckBox6);
  q.attrR = win::IsChecked(w.CheckBox8);
  w.ReadFilterPanel(q);  // its defaults until the filter panel is made
  q.hitLimit = w.Settings.max;
  q.maxstop = w.Settings.maxstop;
  q.recy = w.Settings.recy;
  return q;
}

// One search run. StartSearch fills the query on the user-interface thread
// before the worker starts; the worker alone then writes the hits and the
// counts; SearchDone, the worker's end handler, takes them over once the
// worker's body has returned. No two threads touch it at the same time.
struct SearchRun {
  SearchQuery query;
  HitIcons icons;
  filvex::HitList hits;
  ScanResult result;
  bool completed = false;  // the scan returned (no exception): the cursor goes back
};

void TVemkoSearcher::StartSearch(HWND trigger, int modeTag) {
  // Typing searches only while the incremental toggle is down.
  if (trigger == Edit1 && !win::IsChecked(SpeedButton7)) return;
  if (SearchStopDepth > 0) return;
  if (ListMaintenanceRunning) return;  // the live set is being changed
  // Stop what runs. The rows shown stay, with their records, until the
  // worker's hits replace both in one step (SearchDone), or until no search
  // empties them (below): the list is painted once per keystroke, and its
  // row count changes only when the number of rows does. Emptying it here
  // would take the scroll bar away and bring it back at every keystroke
  // that finds a page of rows, and suspending its painting instead costs
  // as much when it is resumed (each is 10-20 ms under Wine).
  StopSearch();
  SetMouseCursor(IDC_WAIT);
  // Rows of another kind (a folder's entries, the drive list, the pickup
  // list) go at once: until the hits come, commands would take them for
  // search hits.
  if (!ShowsSearchHits) ClearHitList();
  // The worker readies its own hit list for the limit (see RunSearch).
  // Running from here; the mode follows the trigger's group. The colours
  // are set only when the mode changes them (the list repaints).
  SearchStopFlag.store(0);
  SearchMode = SettleMode(SearchMode, modeTag >= 0 ? modeTag : TagOf(trigger));
  const COLORREF background = ModeBackgroundColor(SearchMode);
  if (ListView_GetBkColor(ListView1) != background ||
      ListView_GetTextBkColor(ListView1) != background) {
    ListView_SetBkColor(ListView1, background);
    ListView_SetTextBkColor(ListView1, background);
  }
  // Nothing to look for, or a list that a build is filling: no worker.
  // The stop flag goes back to idle, so the commands that are refused while
  // a search runs (column sort, selections) work on whatever is shown next.
  // The caption loses the count of the hits that were just emptied away.
  const bool buildFills = BuildFillsLiveList(*this);
  if (GetWindowTextLengthA(Edit1) == 0 || buildFills) {
    ClearHitList();
    TotalMatches = 0;
    WithinLimit = true;
    SetListColumnCaption(kColumnName, std::string(kNameCaption));
    SearchStopFlag.store(1);
    SetMouseCursor(IDC_ARROW);
    SetStatusText(0, "");
    return;
  }
  // The window's side of the run's start and the panel's values, here on
  // the user-interface thread before the worker exists: the worker needs no
  // call back to this thread until its end (SearchDone), which is the one
  // hand-over of a search. The caption loses its count at once.
  auto run = std::make_shared<SearchRun>();
  SetListColumnCaption(kColumnName, std::string(kNameCaption));
  SetStatusText(0, "");
  EnableWindow(SpeedButton4, FALSE);
  EnableWindow(CheckBox6, TRUE);
  SendMessageA(HitListSpBtn, BM_SETCHECK, BST_UNCHECKED, 0);
  CurrentFolder.clear();
  ShowsSearchHits = true;
  run->query = SearchQueryFromPanel(*this);
  EnsureSystemImages();
  run->icons = {FolderIconIndex, FileIconIndex};
  run->hits.swap(SpareHits);
  // The worker, on the window's search thread (kept between searches).
  SearchThread = std::make_unique<win::WorkerThread>(
      [this, run] { RunSearch(*run); }, [this, run] { SearchDone(*run); }, &SearchSlot);
  if (!SearchThread->Start()) {
    SearchThread.reset();
    ClearHitList();
    SearchStopFlag.store(1);
    SetMouseCursor(IDC_ARROW);
  }
}

void TVemkoSearcher::StopSearch() {
  // The thread object leaves the member before the wait: a call served
  // during the wait then finds no thread to wait for a second time.
  if (std::unique_ptr<win::WorkerThread> thread = std::move(SearchThread)) {
    if (SearchStopFlag.load() == 0) SearchStopFlag.store(1);
    ++SearchStopDepth;
    thread->Wait();  // serves the worker's calls and SearchDone meanwhile
    --SearchStopDepth;
  }
  StopIconFetch();
}

void TVemkoSearcher::RunSearch(SearchRun& run) {
  // Worker thread: the scan into the run's own hit list, with room for the
  // hit limit (no reallocation while it fills; the room of rows let go of
  // before, when it fits), polling SearchStopFlag before every entry. It
  // touches no window: SearchDone shows what it found.
  PrepareHitRoom(run.hits, static_cast<size_t>(std::max(run.query.hitLimit, 0)));
  std::exception_ptr failure;
  try {
    if (ScanFault()) ScanFault()();
    run.result = ScanSearchList(LiveList, run.query, run.hits, &SearchStopFlag, run.icons);
  } catch (...) {
    // The hits found until then are still shown; the cursor stays.
    failure = std::current_exception();
    run.result.TotalMatches = run.hits.size();
  }
  // The default order (folders first, names) here, where it costs the
  // window nothing: the hits are the run's own until SearchDone takes them
  // over, and a stopped scan's hits are shown too. The room is kept as it
  // is: trimming it would copy every record into fresh memory (13 ms for
  // 46,000 records under Wine), and its pages that no record reached were
  // never written and take no memory.
  SortHitList(run.hits, kColumnName, /*ascending=*/true, SearchSortRoom);
  if (failure) {
    // The user is told, once the worker has ended, that the list may be short.
    win::PostError(hwnd_, "検索中にエラーが発生しました: " + win::FailureText(failure));
    std::rethrow_exception(failure);
  }
  run.completed = true;
}

void TVemkoSearcher::SearchDone(SearchRun& run) {
  // The hand-over of the worker's hits, and the cursor back to normal after a
  // scan that returned. The rows shown until now are replaced in one step:
  // their selection and focus first (they would pick other records), then
  // records and row count together, so that no row ever lies past the
  // records. The count is what the user waits for: nothing slower runs on
  // this thread before it is in the caption.
  ClearRowSelection();
  // The replaced records are let go of after the count is shown.
  filvex::HitList replaced = std::move(HitList);
  HitList = std::move(run.hits);
  TotalMatches = static_cast<int>(run.result.TotalMatches);
  WithinLimit = run.result.WithinLimit;
  if (run.completed) SetMouseCursor(IDC_ARROW);
  ShowNewRows(*this);
  ShowHitCount(*this);
  EnableWindow(SpeedButton4, HitList.empty());
  SearchStopFlag.store(1);
  // The sort arrow back on the name column, ascending (report view only;
  // the icon view keeps the sort values for its return to the report view).
  if (IsReportView(ListView1)) {
    if (SortColumn != kColumnName) SetSortImage(*this, SortColumn, -1);
    NameSortToggle = 0;
    SortAscending = 1;
    SortColumn = kColumnName;
    SetSortImage(*this, kColumnName, 1);
  }
  KeepHitRoom(replaced);
}

void TVemkoSearcher::SearchTrigger(HWND control, UINT code) {
  if (!control) return;
  // Typing in the two boxes.
  if (control == Edit1 || control == Edit3) {
    if (code == EN_CHANGE) StartSearch(control);
    return;
  }
  // The size numbers: not while an arrow of their up-down control is held
  // down (the arrows step by 16 then; the release starts no search).
  if (control == NumberEdit2 || control == NumberEdit3) {
    if (code == EN_CHANGE && !SuppressSizeSearch) StartSearch(control);
    return;
  }
  if (control == UpDown2 || control == UpDown3) {
    // The press of an arrow is followed by the window's own mouse handlers
    // (search panel); the control's notice of its end is one more end.
    if (code == NM_RELEASEDCAPTURE) UpDown2MouseUp(control);
    return;
  }
  if (control == DateTimePicker1 || control == DateTimePicker2) {
    if (code == DTN_DATETIMECHANGE) StartSearch(control);
    return;
  }
  if (code == CBN_SELCHANGE) {
    // The date kind and the relation search only once the window shows.
    if (control == ComboBox1 || control == ComboBox2) {
      if (IsVisible()) StartSearch(control);
    } else if (control == ComboBox3 || control == ComboBox4) {
      StartSearch(control);
    }
    return;
  }
  if (code != BN_CLICKED) return;
  if (control == CheckBox1 || control == CheckBox2) {
    // At least one of folders and files is always searched.
    if (!win::IsChecked(CheckBox1) && !win::IsChecked(CheckBox2)) win::SetChecked(control, true);
    StartSearch(control);
  } else if (control == CheckBox5 || control == CheckBox7) {
    // AND and head exclude each other.
    if (win::IsChecked(control))
      win::SetChecked(control == CheckBox5 ? CheckBox7 : CheckBox5, false);
    StartSearch(control);
  } else if (control == CheckBox3 || control == CheckBox4 || control == CheckBox6 ||
             control == CheckBox8) {
    // SH excludes S, H and R.
    if (win::IsChecked(control)) {
      if (control == CheckBox6) {
        for (HWND box : {CheckBox3, CheckBox4, CheckBox8}) win::SetChecked(box, false);
      } else {
        win::SetChecked(CheckBox6, false);
      }
    }
    // In the folder view S, H and R choose which entries are listed: the
    // folder is listed again with the new states instead of searching.
    if (control != CheckBox6 && !CurrentFolder.empty()) {
      OpenFolderView(CurrentFolder);
    } else {
      StartSearch(control);
    }
  } else if (control == CheckBox9 || control == CheckBox10) {
    StartSearch(control);  // their own handlers enabled the filter controls
  } else if (control == SpeedButton3) {
    StartSearch(SearchAgainTrigger(*this, /*afterBuild=*/false));
  }
}

void TVemkoSearcher::ModeMenuClick(int tag) {
  SearchMode = ModeOfMenuTag(tag);
  StartSearch(nullptr, tag);
}

void TVemkoSearcher::Tool1Click() {
  // A build that fills the live set blocks the three modes.
  const bool free = !BuildFillsLiveList(*this);
  N7->SetEnabled(free && (win::IsChecked(CheckBox3) || win::IsChecked(CheckBox4) ||
                          win::IsChecked(CheckBox6) || win::IsChecked(CheckBox8)));
  N13->SetEnabled(free && win::IsChecked(CheckBox9));
  N14->SetEnabled(free && win::IsChecked(CheckBox10));
  N20->SetVisible(SearchMode != SearchMode::NameSearch);
  UpdateMaintenanceMenus();
  UpdateCompanionToolItems();
}

}  // namespace filvex
