// The delete command (Delete1, the Delete key): what it does depends on what
// the list shows.
//  - Search hits: rows whose file has already vanished leave the list and the
//    search list at once; the rest go to the recycle bin through the shell,
//    which asks its own question, and then the rows and search-list entries
//    of the items that are really gone are removed.
//  - The pickup list: its rows leave the pickup file; no file is touched.
//  - A folder view: the selected items go to the recycle bin and the rows of
//    the items that are gone leave the list.
// Whatever the shell reports, the rows removed are exactly those whose item
// no longer exists afterwards: a delete the shell reports as failed or
// cancelled may still have removed some items before it stopped, and a row
// (or search-list entry) left for a deleted file would name nothing. Every
// change of the live search list is saved at once (atomically, see
// searchlist/list_store.h), so a crash later cannot bring deleted entries
// back.
#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "app/vemko_searcher_win.h"
#include "platform/message_box.h"
#include "platform/path_exists.h"
#include "platform/window_text.h"
#include "results/result_view_win.h"
#include "searchlist/list_maintenance.h"
#include "shellops/delete_rows.h"
#include "shellops/path_list.h"

namespace filvex {
namespace {

// FOF_ALLOWUNDO: to the recycle bin. FOF_WANTNUKEWARNING: the shell warns
// before an item that cannot go to the recycle bin is destroyed instead.
constexpr FILEOP_FLAGS kDeleteFlags = FOF_ALLOWUNDO | FOF_WANTNUKEWARNING;  // 0x4040

struct ShellDeleteResult {
  int code = 0;          // SHFileOperationA's result, 0 for success
  bool aborted = false;  // the user said No or cancelled the progress
};

// Hands the paths of a double-NUL list to the shell's delete, which asks its
// own confirmation and shows its own progress (with an empty title).
ShellDeleteResult ShellDelete(HWND window, const std::string& pathBlock) {
  SHFILEOPSTRUCTA op{};
  op.hwnd = window;
  op.wFunc = FO_DELETE;
  op.pFrom = pathBlock.c_str();
  op.pTo = nullptr;
  op.fFlags = kDeleteFlags;
  op.lpszProgressTitle = "";
  ShellDeleteResult r;
  r.code = SHFileOperationA(&op);
  r.aborted = op.fAnyOperationsAborted != FALSE;
  return r;
}

// While the shell's modal windows serve messages, no search and no build may
// start (they would replace the rows and the live set under the command),
// and a close asked for meanwhile waits until the command has returned.
class ShellCallScope {
 public:
  explicit ShellCallScope(TVemkoSearcher& w) : w_(w) { w_.ListMaintenanceRunning = 1; }
  ShellCallScope(const ShellCallScope&) = delete;
  ShellCallScope& operator=(const ShellCallScope&) = delete;
  ~ShellCallScope() {
    w_.ListMaintenanceRunning = 0;
    if (w_.CloseAfterMaintenance) {
      w_.CloseAfterMaintenance = 0;
      w_.Close();  // posted: runs once the command has returned
    }
  }

 private:
  TVemkoSearcher& w_;
};

class WaitCursor {
 public:
  WaitCursor() : previous_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
  ~WaitCursor() { SetCursor(previous_ ? previous_ : LoadCursorA(nullptr, IDC_ARROW)); }

 private:
  HCURSOR previous_;
};

// Selected rows that have a record, ascending.
std::vector<size_t> SelectedRows(const TVemkoSearcher& w) {
  std::vector<size_t> rows;
  const int count = static_cast<int>(w.HitList.size());
  for (int row = -1; (row = ListView_GetNextItem(w.ListView1, row, LVNI_SELECTED)) >= 0;) {
    if (row >= count) break;
    rows.push_back(static_cast<size_t>(row));
  }
  return rows;
}

// Makes exactly `rows` the selection, without running the selection handler
// for each change.
void SelectExactly(TVemkoSearcher& w, const std::vector<size_t>& rows) {
  const bool suppressed = w.SuppressSelectEvents;
  w.SuppressSelectEvents = true;
  ListView_SetItemState(w.ListView1, -1, 0, LVIS_SELECTED);
  for (size_t row : rows)
    ListView_SetItemState(w.ListView1, static_cast<int>(row), LVIS_SELECTED, LVIS_SELECTED);
  w.SuppressSelectEvents = suppressed;
}

// Takes rows out of the hit list and the list view; the rows that stay keep
// their own selection (an owner-data list view keeps its selection by index,
// so it is set again for the moved rows).
void EraseHitRows(TVemkoSearcher& w, const std::vector<size_t>& erased) {
  if (erased.empty()) return;
  const std::vector<size_t> stillSelected = RowsAfterErase(SelectedRows(w), erased);
  EraseRows(w.HitList, erased);
  w.SetRowCount(static_cast<int>(w.HitList.size()), LVSICF_NOSCROLL);
  w.HitList.shrink_to_fit();
  SelectExactly(w, stillSelected);
  InvalidateRect(w.ListView1, nullptr, FALSE);
}

void DeleteSearchHits(TVemkoSearcher& w) {
  // The menu item is disabled while a search or a list maintenance runs; the
  // Delete key gets the same answer. During a build the search list is
  // rewritten, so its entries could not follow the files: nothing is deleted.
  if (w.SearchStopFlag.load() != 1 || w.ListMaintenanceRunning) return;
  if (w.BuildStop.load() == 0) {
    win::ShowMessage(w.Handle(), "検索リストの作成中は実行できません。");
    return;
  }
  const std::vector<size_t> selected = SelectedRows(w);
  if (selected.empty()) return;

  // Rows whose file or folder has vanished leave the list and the search
  // list now; the others are handed to the shell, last row first.
  std::vector<std::string> deleteList;
  std::vector<size_t> vanished;
  uint8_t filesChanged = 0, foldersChanged = 0;
  int removed = 0;
  {
    WaitCursor wait;
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
      const HitRecord& hit = w.HitList[*it];
      if (win::PathExists(hit.Path.c_str())) {
        deleteList.push_back(hit.Path.str());
      } else if (w.RemoveListEntry(hit.Path.str(), /*isFile=*/hit.Kind != kKindFolder, filesChanged,
                                   foldersChanged, removed)) {
        vanished.push_back(*it);
      }
      // A vanished row whose entry is not in the list stays, selected.
    }
    if (removed > 0) {
      EraseHitRows(w, vanished);
      w.TotalMatches = std::max(0, w.TotalMatches - static_cast<int>(vanished.size()));
      w.WithinLimit = w.TotalMatches < w.HitLimit();
      ShowHitCount(w);
      w.ShowListInfo();
      // Saved now, not at close: the entries named files that are gone.
      // Messages are not served here, so nothing can change the rows under
      // the command.
      if (filesChanged || foldersChanged) w.SaveSearchList(/*serveMessages=*/false);
    }
  }
  if (deleteList.empty()) return;

  // The shell asks and deletes.
  {
    ShellCallScope scope(w);
    ShellDelete(w.Handle(), DoubleNulList(deleteList));
  }

  // The rows handed to the shell whose item is gone now. When all are gone
  // the selection stays as it is (a vanished row not found in the search
  // list leaves with them); when only some are, exactly those stay selected.
  const std::set<std::string> handed(deleteList.begin(), deleteList.end());
  std::vector<size_t> gone;
  size_t handedRows = 0;
  for (size_t row : SelectedRows(w)) {
    const std::string path = w.HitList[row].Path.str();
    if (!handed.count(path)) continue;
    ++handedRows;
    if (!win::PathExists(path)) gone.push_back(row);
  }
  if (gone.empty()) return;
  if (gone.size() < handedRows) SelectExactly(w, gone);

  // Their entries and rows go, under the dialog 「検索リストの削除」; the
  // changed list is saved at once. A cancelled removal leaves the live set
  // and the rows as they were.
  const size_t rowsBefore = w.HitList.size();
  w.RemoveSelectedEntriesInDialog();
  if (w.HitList.size() < rowsBefore) w.SaveSearchList(/*serveMessages=*/false);
}

void DeleteFolderRows(TVemkoSearcher& w) {
  std::vector<size_t> rows;
  for (size_t row : SelectedRows(w)) {
    // A drive of the drive list is never handed to the shell's delete.
    if (w.HitList[row].Kind == kKindDrive) continue;
    rows.push_back(row);
  }
  if (rows.empty()) return;
  for (size_t row : rows) w.WorkList.push_back(w.RowJoinedPath(static_cast<int>(row)));

  ShellDeleteResult r;
  {
    ShellCallScope scope(w);
    r = ShellDelete(w.Handle(), DoubleNulList(w.WorkList));
  }

  // The rows of the items that are gone leave the list; the rows of the
  // items that survived stay selected.
  std::vector<size_t> gone;
  std::vector<std::string> survivors;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (win::PathExists(w.WorkList[i]))
      survivors.push_back(w.WorkList[i]);
    else
      gone.push_back(rows[i]);
  }
  EraseHitRows(w, gone);
  // A failure of the shell (not the user's No or cancel) may have changed
  // what survived: their rows are read again.
  if (!r.aborted && r.code != 0 && !survivors.empty()) w.RefreshCopiedRows(survivors);
  w.WorkList.clear();
}

}  // namespace

void TVemkoSearcher::Delete1Click() {
  if (ShowsSearchHits) {
    DeleteSearchHits(*this);
  } else if (win::IsChecked(HitListSpBtn)) {
    RemoveFromPickupList();  // asks first; no file is deleted
  } else {
    DeleteFolderRows(*this);
  }
}

}  // namespace filvex
