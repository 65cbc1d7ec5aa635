// The folder view, the drive list and the selection commands of the result
// list. The folder view reads one folder live from the disk (no search list
// involved) and replaces the whole hit list with its entries; going up one
// folder at a time ends in the drive list. The rows themselves are made by
// the portable functions of folder_view.h.
#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <string>
#include <string_view>
#include <vector>

#include "app/vemko_searcher_win.h"
#include "platform/dir_enum_win.h"
#include "platform/system_dll.h"
#include "platform/system_info.h"
#include "platform/window_text.h"
#include "results/folder_view.h"
#include "results/result_view_win.h"
#include "results/row_text.h"
#include "results/sort.h"
#include "searchlist/mbcs.h"

namespace filvex {
namespace {

// The system's navigation cue, played without waiting. WinMM is loaded at
// the first one rather than at every start.
void PlayNavigationSound() {
  static const auto play = win::SystemFunction<decltype(&PlaySoundA)>("winmm.dll", "PlaySoundA");
  if (play) play("start.wav", nullptr, SND_ALIAS | SND_ASYNC);
}

void SetMouseCursor(LPCSTR which) {
  SetCursor(LoadCursorA(nullptr, which));
}

void SetRowSelected(HWND list, int row, bool selected) {
  ListView_SetItemState(list, row, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

}  // namespace

void TVemkoSearcher::OpenFolderView(const std::string& folder) {
  // A copy: callers pass CurrentFolder, which the search stopped below may
  // empty while it ends.
  const std::string path = folder;
  // The navigation cue comes first, even for a folder that is gone.
  PlayNavigationSound();
  if (path.empty() || !win::DirectoryExists(path)) return;
  // Nothing may read or fill the hit list while it is replaced: a search
  // started just before ends here (it would hand its hits over afterwards),
  // and so does the icon fetch of the previous view.
  StopSearch();
  ShowsSearchHits = false;
  EnableWindow(CheckBox6, FALSE);  // SH has no meaning for a folder's entries
  SuspendListUpdates(ListView1);
  ClearHitList();
  SetMouseCursor(IDC_WAIT);
  ListFolderContents(path);
  const int rows = static_cast<int>(HitList.size());
  SetRowCount(rows);
  HitList.shrink_to_fit();
  // Reverse name order: files before folders, names descending. The sort
  // state of the header is left as the last column click set it.
  SortHitList(HitList, kColumnName, /*ascending=*/false, ColumnSortRoom);
  SetStatusText(0, std::to_string(rows));
  SetStatusText(1, path);
  ResumeListUpdates(ListView1);
  // Icons of a large folder come in the background, after the rows show;
  // the thread's end puts the arrow back.
  if (!Settings.ico && !IconThread) {
    StartIconFetch();
  } else {
    SetMouseCursor(IDC_ARROW);
  }
}

void TVemkoSearcher::ListFolderContents(const std::string& path) {
  const std::string dir = EndsWithSeparator(path) ? path : path + "\\";
  DirEntry entry;
  const EntryListing listing = FindFirstEntry(dir + "*.*", entry);
  if (!listing.valid()) return;  // gone, or access denied: an empty view
  do {
    if (entry.name == ".." || (entry.name == "." && entry.isFolder())) continue;
    if (!PassesAttributeBoxes(entry.attributes)) continue;
    AddEntryRow(dir + entry.name, !entry.isFolder(), /*fetchNow=*/false, /*row=*/-1, entry);
  } while (FindNextEntry(listing, entry));
}

bool TVemkoSearcher::PassesAttributeBoxes(uint32_t attributes) const {
  const AttributeBoxes boxes{win::IsChecked(CheckBox3), win::IsChecked(CheckBox4),
                             win::IsChecked(CheckBox8)};
  return filvex::PassesAttributeBoxes(attributes, boxes);
}

int TVemkoSearcher::AddEntryRow(const std::string& path, bool isFile, bool fetchNow, int row,
                                const DirEntry& entry) {
  // A row that is no longer listed (removed meanwhile) is never written
  // through: the entry gets a row of its own instead.
  EnsureSystemImages();  // the default icons below
  const bool rewrite = row >= 0 && static_cast<size_t>(row) < HitList.size();
  if (!rewrite) row = -1;
  HitRecord added;
  if (rewrite) {
    WriteEntryRecord(HitList[static_cast<size_t>(row)], path, entry, isFile);
  } else {
    added = NewEntryRecord(path, entry, isFile, FileIconIndex, FolderIconIndex);
  }
  HitRecord& r = rewrite ? HitList[static_cast<size_t>(row)] : added;
  if (fetchNow) {
    r.ImageIndex = ShellIconOf(path);
    r.OverlayIndex = LastOverlay;
  } else {
    // The default icon until the row's own is fetched (IconSet is cleared).
    r.ImageIndex = isFile ? FileIconIndex : FolderIconIndex;
    r.OverlayIndex = -1;
  }
  if (!rewrite) {
    HitList.push_back(std::move(added));
    return -1;
  }
  if (fetchNow) SetRowSelected(ListView1, row, true);
  ListView_RedrawItems(ListView1, row, row);
  return row;
}

void TVemkoSearcher::ShowDriveList() {
  StopSearch();  // stops the icon fetch as well
  std::vector<std::string> drives;
  FillDriveList(drives);
  SuspendListUpdates(ListView1);
  ClearHitList();
  ShowsSearchHits = false;  // drive rows are never search hits (delete, paste)
  for (const std::string& drive : drives) {
    const std::string name = DriveDisplayName(drive);
    if (name.empty()) continue;  // no medium, or nothing the shell can name
    HitList.push_back(
        DriveRecord(drive, name, DriveCapacity(drive).total, FileInfoIcon(drive + "\\")));
  }
  SetRowCount(static_cast<int>(HitList.size()));
  HitList.shrink_to_fit();
  ResumeListUpdates(ListView1);
}

std::string TVemkoSearcher::DriveDisplayName(const std::string& drive) {
  if (drive.empty()) return {};
  const std::string root = std::string(1, drive[0]) + ":\\";
  // An empty removable drive must not ask for a disk.
  const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
  SHFILEINFOA info{};
  const DWORD_PTR found = SHGetFileInfoA(root.c_str(), 0, &info, sizeof(info), SHGFI_DISPLAYNAME);
  SetErrorMode(oldMode);
  return found ? std::string(info.szDisplayName) : std::string();
}

TVemkoSearcher::DriveSpace TVemkoSearcher::DriveCapacity(const std::string& drive) const {
  DriveSpace space;
  if (drive.empty()) return space;
  if (DiskFreeSpaceEntry) {
    ULARGE_INTEGER freeToCaller{}, total{};
    if (DiskFreeSpaceEntry(drive.c_str(), &freeToCaller, &total, nullptr)) {
      space.total = total.QuadPart;
      space.free = freeToCaller.QuadPart;
    }
    return space;
  }
  const std::string root = std::string(1, drive[0]) + ":\\";
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  if (GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                        &totalClusters)) {
    const uint64_t cluster = uint64_t{sectorsPerCluster} * bytesPerSector;
    space.total = cluster * totalClusters;
    space.free = cluster * freeClusters;
  }
  return space;
}

void TVemkoSearcher::SelectRowByName(const std::string& name, bool scroll) {
  const int row = ListView1DataFind(*this, name, /*start=*/0, /*wrap=*/false);
  if (row < 0) return;
  ListView_SetItemState(ListView1, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  if (scroll) ListView_EnsureVisible(ListView1, row, /*partialOk=*/TRUE);
}

void TVemkoSearcher::GoUpOneFolder() {
  const FolderUp up = GoingUpFrom(CurrentFolder);
  CurrentFolder = up.parent;
  // A parent that has vanished leads to the drive list; CurrentFolder keeps
  // it, so the next step up goes on from there.
  if (!up.parent.empty() && win::DirectoryExists(up.parent)) {
    OpenFolderView(up.parent);
  } else {
    ShowDriveList();
  }
  SelectRowByName(up.name, /*scroll=*/true);
  SetMouseCursor(IDC_ARROW);
  if (CurrentFolder.empty()) EnableWindow(SpeedButton4, FALSE);
}

void TVemkoSearcher::SelectRows(int tag) {
  if (SearchStopFlag.load() == 0) return;  // the rows are not complete yet
  SuppressSelectEvents = true;
  SetMouseCursor(IDC_WAIT);
  const int count = ListView_GetItemCount(ListView1);
  int firstUnknown = -1;
  if (tag == 0) {
    SetRowSelected(ListView1, -1, true);  // every row at once
  }
  for (int row = 0; tag != 0 && row < count; ++row) {
    if (tag == 1) {
      const bool was = ListView_GetItemState(ListView1, row, LVIS_SELECTED) != 0;
      SetRowSelected(ListView1, row, !was);
    } else if (tag == 2) {
      // The column text as the row shows it, so that with chk on the file
      // is tested for existence right now.
      char text[64] = {};
      LVITEMA item{};
      item.iSubItem = kColumnAttr;
      item.pszText = text;
      item.cchTextMax = sizeof(text);
      SendMessageA(ListView1, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
      const bool unknown = std::string_view(text) == kUnknownMark;
      SetRowSelected(ListView1, row, unknown);
      if (unknown && firstUnknown < 0) firstUnknown = row;
    }
  }
  SetMouseCursor(IDC_ARROW);
  if (firstUnknown >= 0) ListView_EnsureVisible(ListView1, firstUnknown, /*partialOk=*/FALSE);
  SuppressSelectEvents = false;
}

void TVemkoSearcher::Edit2Click() {
  const bool enabled = ListView_GetItemCount(ListView1) > 0 && SearchStopFlag.load() == 1;
  for (TMenuItem* item : {AllSelMenu, SelChgMenu, N5}) item->SetEnabled(enabled);
}

}  // namespace filvex
