// The three pickup commands of the result list: keeping the selected rows in
// the pickup file, showing what is kept, and taking rows out again. The file
// is read whole at the start of each command and rewritten whole (atomically)
// only when its number of lines changed; a file that cannot be trusted is
// reported and never written over.
#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/vemko_searcher_win.h"
#include "platform/dir_enum_win.h"
#include "platform/message_box.h"
#include "platform/window_text.h"
#include "results/pickup_list.h"
#include "results/result_view_win.h"
#include "results/row_text.h"

namespace filvex {
namespace {

constexpr char kPickupCaption[] = "名前  [ ピックアップリスト ]";

// Loads the pickup file into w.PickupList; false (with a message naming the
// file and the reason) when the file is refused, which stops the command.
bool LoadPickupList(TVemkoSearcher& w) {
  const PickupReadResult read = LoadPickupFile(w.PickupFile, w.PickupList);
  if (read.ok()) return true;
  win::ShowError(w.Handle(), "ピックアップリストのファイルを読み込めません。\n" + w.PickupFile +
                                 "\n" + read.text() + "\nファイルは変更しません。");
  return false;
}

void SavePickupList(TVemkoSearcher& w) {
  if (!SavePickupFile(w.PickupFile, w.PickupList))
    win::ShowError(w.Handle(), "ピックアップリストのファイルを保存できません。\n" + w.PickupFile);
}

// Indices of the selected rows that have a record, in ascending order.
std::vector<int> SelectedRows(const TVemkoSearcher& w) {
  std::vector<int> rows;
  const int count = static_cast<int>(w.HitList.size());
  for (int row = -1; (row = ListView_GetNextItem(w.ListView1, row, LVNI_SELECTED)) >= 0;) {
    if (row >= count) break;
    rows.push_back(row);
  }
  return rows;
}

}  // namespace

void TVemkoSearcher::AddToPickupList() {
  if (!LoadPickupList(*this)) return;
  const size_t before = PickupList.size();
  for (int row : SelectedRows(*this)) AddPickupPath(PickupList, HitList[row].Path);
  if (PickupList.size() != before) SavePickupList(*this);
  PickupList.clear();
}

void TVemkoSearcher::ShowPickupList() {
  // The click released the button: back to search hits.
  if (!win::IsChecked(HitListSpBtn)) {
    SearchTrigger(SpeedButton3, BN_CLICKED);
    return;
  }
  // Read first: a refused file leaves the list as it was, button up.
  if (!LoadPickupList(*this)) {
    SendMessageA(HitListSpBtn, BM_SETCHECK, BST_UNCHECKED, 0);
    return;
  }
  StopSearch();
  StopIconFetch();
  SuspendListUpdates(ListView1);
  ClearHitList();
  for (const std::string& path : PickupList) {
    // The entry of the kept file or folder itself; kept paths hold no
    // wildcards, so the look-up can match nothing else. Vanished paths stay
    // in the file and are not shown.
    DirEntry entry;
    const EntryListing found = FindFirstEntry(path, entry);
    if (found.valid()) AddEntryRow(path, !entry.isFolder(), /*fetchNow=*/false, /*row=*/-1, entry);
  }
  HitList.shrink_to_fit();
  SetRowCount(static_cast<int>(HitList.size()));
  ResumeListUpdates(ListView1);
  SetListColumnCaption(kColumnName, kPickupCaption);
  SetStatusText(0, std::to_string(HitList.size()));
  PickupList.clear();
  ShowsSearchHits = false;
}

void TVemkoSearcher::RemoveFromPickupList() {
  if (!ConfirmPickupRemoval()) return;
  if (!LoadPickupList(*this)) return;
  const size_t before = PickupList.size();
  StopIconFetch();  // rows are about to go
  SuspendListUpdates(ListView1);
  SuppressSelectEvents = true;
  const std::vector<int> rows = SelectedRows(*this);
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    const int row = *it;
    if (!RemovePickupPath(PickupList, HitList[row].Path)) continue;
    // The list view drops the row first, moving the selection of the rows
    // below it up with them, so no other row ends up selected; then the
    // record goes, and the view never asks for a record that is gone.
    ListView_DeleteItem(ListView1, row);
    HitList.erase(HitList.begin() + row);
  }
  if (PickupList.size() != before) SavePickupList(*this);
  SetRowCount(static_cast<int>(HitList.size()), LVSICF_NOSCROLL);
  HitList.shrink_to_fit();
  SuppressSelectEvents = false;
  ResumeListUpdates(ListView1);
  SetStatusText(0, std::to_string(HitList.size()));
  PickupList.clear();
}

bool TVemkoSearcher::ConfirmPickupRemoval() {
  const std::vector<int> rows = SelectedRows(*this);
  if (rows.empty()) return false;  // nothing to take out, nothing to ask
  const std::string question = PickupRemovalQuestion(rows.size(), HitList[rows.front()].Name);
  return win::ShowMessageBox(Handle(), question, PickupRemovalTitle(),
                             MB_ICONQUESTION | MB_YESNO) != IDNO;
}

}  // namespace filvex
