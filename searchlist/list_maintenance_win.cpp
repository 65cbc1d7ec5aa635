// Maintenance commands of the search list in the main window: the cleaning
// (N19), the unknown-list check (NotFileMenu), and the removals that serve
// the delete command. The rules are those of searchlist/list_maintenance.h;
// here they meet the disks, the dialogs and the result list.
//
// Each command runs on the user-interface thread inside a TMsgCanselDlg and
// serves the window's messages as it goes. While it runs:
//  - SearchStopFlag is 0 (the command counts as running) and the dialog's
//    cancel button sets it to 1;
//  - ListMaintenanceRunning keeps any search and any build from starting out
//    of the messages served (a timer, a companion's order), since both read
//    or replace the live set the command is changing;
//  - a command is refused while a build runs, with or without upmode: the
//    build's end replaces the live set from a call that the command's own
//    message serving would carry out in the middle of its work.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/vemko_searcher_win.h"
#include "platform/message_box.h"
#include "platform/path_exists.h"
#include "results/result_view_win.h"
#include "search/search_run_win.h"
#include "searchlist/list_maintenance.h"
#include "searchlist/maintenance_dlg_win.h"

namespace filvex {
namespace {

// Messages are served, and the progress bar moved, every 12th step (the
// first included): often
// enough that the window stays painted and a cancel is seen within a few
// milliseconds, rarely enough that the loops stay fast.
constexpr size_t kServeEvery = 12;

// The disks as the maintenance sees them. The system's "no disk" box of a
// removable drive is kept away while a path is probed.
class WinEntryProbe : public EntryProbe {
 public:
  bool IsDirectory(const std::string& path) override {
    const DWORD a = Attributes(path.size() == 2 ? path + "\\" : path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
  }
  bool IsFile(const std::string& path) override {
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
  }
  bool DriveAbsent(std::string_view drive) override {
    const std::string root = std::string(drive) + "\\";
    const UINT type = GetDriveTypeA(root.c_str());
    return type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR;
  }
  bool PathExists(const std::string& path) override { return win::PathExists(path); }

 private:
  static DWORD Attributes(const std::string& path) {
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    const DWORD a = GetFileAttributesA(path.c_str());
    SetErrorMode(previous);
    return a;
  }
};

// Marks a maintenance command as running for its scope.
class MaintenanceScope {
 public:
  explicit MaintenanceScope(TVemkoSearcher& w) : w_(w) {
    w_.ListMaintenanceRunning = 1;
    w_.SearchStopFlag.store(0);
  }
  MaintenanceScope(const MaintenanceScope&) = delete;
  MaintenanceScope& operator=(const MaintenanceScope&) = delete;
  ~MaintenanceScope() {
    w_.SearchStopFlag.store(1);
    w_.ListMaintenanceRunning = 0;
    if (w_.CloseAfterMaintenance) {
      w_.CloseAfterMaintenance = 0;
      w_.Close();  // posted: runs once the command has returned
    }
  }

 private:
  TVemkoSearcher& w_;
};

// Runs one work of the window in its dialog.
void RunInDialog(TVemkoSearcher& w, const char* caption, const char* message,
                 void (TVemkoSearcher::*work)()) {
  TMsgCanselDlg dlg(caption, message, w.SearchStopFlag);
  dlg.Work = [&] {
    w.MaintenanceDialog = &dlg;
    (w.*work)();
    w.MaintenanceDialog = nullptr;
  };
  dlg.ShowModal(w.Handle());
}

// The step of a work: the progress, the window's messages every 12th step,
// and whether to go on.
MaintenanceStep StepOf(TVemkoSearcher& w) {
  return [&w](size_t examined) {
    // The first step serves too: a cancel given before the work's first
    // look is seen even by a work of a few rows.
    if (examined % kServeEvery == 1) {
      if (w.MaintenanceDialog) {
        w.MaintenanceDialog->SetProgress(examined);
        w.MaintenanceDialog->ServeMessages();
      } else {
        TVemkoSearcher::ProcessMessages();
      }
    }
    return w.SearchStopFlag.load() == 0;
  };
}

void SetProgressMax(TVemkoSearcher& w, size_t max) {
  if (w.MaintenanceDialog) w.MaintenanceDialog->SetProgressMax(max);
}

}  // namespace

bool TVemkoSearcher::MaintenanceRefused() {
  if (ListMaintenanceRunning) return true;
  if (BuildStop.load() == 0) {
    win::ShowMessage(hwnd_, "検索リストの作成中は実行できません。");
    return true;
  }
  // A running search reads the live set: it is stopped (its hits so far
  // stay shown), and the cleaning searches again at its end.
  StopSearch();
  return false;
}

void TVemkoSearcher::UpdateMaintenanceMenus() {
  NotFileMenu->SetEnabled(!HitList.empty() && SearchStopFlag.load() == 1);
}

void TVemkoSearcher::N19Click() {
  if (MaintenanceRefused()) return;
  bool skip = true;  // the box is checked when the dialog opens
  const bool yes = TYesNoChkDlg::Execute(
      hwnd_, "確認", "存在しないファイル名をリストから削除してもよろしいですか？", &skip);
  SkipAbsentDrives = skip ? 1 : 0;
  if (!yes) return;
  RunInDialog(*this, "検索リストの掃除", "リストの掃除中...", &TVemkoSearcher::CleanSearchList);
}

void TVemkoSearcher::CleanSearchList() {
  CleanResult r;
  {
    MaintenanceScope running(*this);
    SetProgressMax(*this, LiveList.FolderList.size() + LiveList.FileList.size());
    WinEntryProbe disks;
    r = filvex::CleanSearchList(LiveList, disks, SkipAbsentDrives != 0, StepOf(*this));
    // The rows shown keep naming their entries, also after a stop.
    ShiftHitLines(HitList, r.erasedFileLines);
  }
  if (r.removed > 0) ShowListInfo();
  // A stopped cleaning keeps its removals in memory, unsaved and unsaid.
  if (r.stopped || r.removed == 0) return;
  ListDirty = 1;
  win::ShowMessage(hwnd_, std::to_string(r.removed) + "個削除しました。");
  StartSearch(SearchAgainTrigger(*this, /*afterBuild=*/false));
}

void TVemkoSearcher::NotFileMenuClick() {
  if (HitList.empty() || SearchStopFlag.load() != 1 || ListMaintenanceRunning) return;
  RunInDialog(*this, "不明リストの選択", "リストの調査中...", &TVemkoSearcher::CheckUnknownEntries);
}

void TVemkoSearcher::CheckUnknownEntries() {
  MaintenanceScope running(*this);
  SuppressSelectEvents = true;
  SetProgressMax(*this, HitList.size());
  WinEntryProbe disks;
  const std::vector<bool> gone = filvex::CheckUnknownEntries(HitList, disks, StepOf(*this));
  int first = -1;
  for (size_t row = 0; row < gone.size(); ++row) {
    ListView_SetItemState(ListView1, static_cast<int>(row), gone[row] ? LVIS_SELECTED : 0,
                          LVIS_SELECTED);
    if (gone[row] && first < 0) first = static_cast<int>(row);
  }
  if (first >= 0) ListView_EnsureVisible(ListView1, first, FALSE);
  InvalidateRect(ListView1, nullptr, FALSE);
  SuppressSelectEvents = false;
}

bool TVemkoSearcher::RemoveListEntry(const std::string& path, bool isFile, uint8_t& filesChanged,
                                     uint8_t& foldersChanged, int& removed) {
  if (BuildStop.load() == 0 || ListMaintenanceRunning) return false;
  RemoveOutcome r = filvex::RemoveListEntry(LiveList, path, isFile);
  ShiftHitLines(HitList, r.erasedFileLines);
  if (r.filesChanged) filesChanged = 1;
  if (r.foldersChanged) foldersChanged = 1;
  removed += static_cast<int>(r.removed);
  return r.found;
}

void TVemkoSearcher::RemoveSelectedEntriesInDialog() {
  if (MaintenanceRefused()) return;
  RunInDialog(*this, "検索リストの削除", "リストを削除中...",
              &TVemkoSearcher::RemoveSelectedEntries);
}

void TVemkoSearcher::RemoveSelectedEntries() {
  // The selected rows, from the last to the first.
  std::vector<size_t> rows;
  for (int row = ListView_GetNextItem(ListView1, -1, LVNI_SELECTED); row >= 0;
       row = ListView_GetNextItem(ListView1, row, LVNI_SELECTED))
    rows.push_back(static_cast<size_t>(row));
  std::vector<size_t> lastFirst(rows.rbegin(), rows.rend());
  SelectedRemoval r;
  {
    MaintenanceScope running(*this);
    SetProgressMax(*this, lastFirst.size());
    // The list changes only after the last row: a stop leaves the live set
    // as it was, so nothing has to be read back from the files (which would
    // also throw away changes not saved yet).
    r = RemoveEntriesOfRows(LiveList, HitList, lastFirst, StepOf(*this));
  }
  if (r.stopped) return;
  SuspendListUpdates(ListView1);
  EraseRows(HitList, lastFirst);
  ShiftHitLines(HitList, r.erasedFileLines);
  TotalMatches = std::max(0, TotalMatches - static_cast<int>(lastFirst.size()));
  WithinLimit = TotalMatches < HitLimit();
  ShowHitCount(*this);
  SetRowCount(static_cast<int>(HitList.size()));
  HitList.shrink_to_fit();
  ShowListInfo();
  ListView_SetItemState(ListView1, -1, 0, LVIS_SELECTED);
  ResumeListUpdates(ListView1);
  ListDirty = 1;
  SubtractRemovedCounts(r.tally, FileCounts);
}

}  // namespace filvex
