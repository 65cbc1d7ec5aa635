// Copy to the clipboard, paste, and files dropped on the list: files move
// between the program and the desktop in the shell's own file-list format
// (CF_HDROP), and they are always copied, never moved. The drag-out of rows
// is in drag_out_win.cpp.
//
// WorkList is the scratch list of these commands; each of them empties it
// before it returns, so it is empty between commands.
#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/vemko_searcher_win.h"
#include "platform/dir_enum_win.h"
#include "platform/handles.h"
#include "platform/system_info.h"
#include "results/result_view_win.h"
#include "searchlist/mbcs.h"
#include "shellops/file_transfer.h"
#include "shellops/path_list.h"

namespace filvex {
namespace {

// A global memory block holding `bytes`; empty when the memory is refused.
win::UniqueGlobal GlobalBlock(UINT flags, const std::string& bytes) {
  win::UniqueGlobal block(GlobalAlloc(flags, bytes.size()));
  if (!block) return block;
  void* p = GlobalLock(block.get());
  if (!p) return win::UniqueGlobal();
  std::memcpy(p, bytes.data(), bytes.size());
  GlobalUnlock(block.get());
  return block;
}

// Puts a file list (text form) on the clipboard as CF_HDROP with the
// preferred drop effect copy. The clipboard owns both blocks once they are
// set; a block it refused is freed here.
void PutFilesOnClipboard(HWND owner, const std::string& listText) {
  constexpr UINT kDropFlags = GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE;  // 0x2042
  constexpr UINT kEffectFlags = GMEM_MOVEABLE | GMEM_ZEROINIT;                // 0x42
  const DWORD copyEffect = DROPEFFECT_COPY;
  win::UniqueGlobal files = GlobalBlock(kDropFlags, HdropBlock(listText));
  win::UniqueGlobal effect =
      GlobalBlock(kEffectFlags, std::string(reinterpret_cast<const char*>(&copyEffect), 4));
  const UINT effectFormat = RegisterClipboardFormatA("Preferred DropEffect");
  if (!files || !effect || !effectFormat) return;
  if (!OpenClipboard(owner)) return;
  EmptyClipboard();
  if (SetClipboardData(CF_HDROP, files.get())) files.release();
  if (SetClipboardData(effectFormat, effect.get())) effect.release();
  CloseClipboard();
}

// Name `index` of a drop handle. The length is asked first, so that a name
// longer than MAX_PATH is read whole: cut short it could name another file.
std::string DroppedName(HDROP drop, UINT index) {
  const UINT length = DragQueryFileA(drop, index, nullptr, 0);
  if (length == 0) return {};
  std::string name(length + 1, '\0');
  const UINT got = DragQueryFileA(drop, index, name.data(), length + 1);
  name.resize(std::min<size_t>(got, std::strlen(name.c_str())));
  return name;
}

// Every name of a drop handle, in order, empty ones left out.
void AppendDroppedNames(HDROP drop, std::vector<std::string>& out) {
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::string name = DroppedName(drop, i);
    if (!name.empty()) out.push_back(std::move(name));
  }
}

}  // namespace

void TVemkoSearcher::Copy1Click() {
  CopySelectionToClipboard();
}

void TVemkoSearcher::CopySelectionToClipboard() {
  int row = ListView_GetNextItem(ListView1, -1, LVNI_SELECTED);
  if (row < 0) return;
  HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  std::vector<std::string> paths;
  for (; row >= 0; row = ListView_GetNextItem(ListView1, row, LVNI_SELECTED)) {
    paths.push_back(RowJoinedPath(row));
  }
  const std::string text = ListText(paths);
  if (!text.empty()) PutFilesOnClipboard(hwnd_, text);
  SetCursor(previous);
}

std::string TVemkoSearcher::ReadClipboardFiles() {
  WorkList.clear();
  if (OpenClipboard(hwnd_)) {
    if (HANDLE data = GetClipboardData(CF_HDROP)) {
      AppendDroppedNames(static_cast<HDROP>(data), WorkList);
    }
    CloseClipboard();
  }
  std::string text = ListText(WorkList);
  WorkList.clear();
  return text;
}

void TVemkoSearcher::Paste1Click() {
  CopyPathsTo(std::string(), ReadClipboardFiles());
}

void TVemkoSearcher::CopyPathsTo(const std::string& target, const std::string& listText) {
  WorkList = ListLines(listText);
  std::string dest = target;
  if (target.empty()) {
    // A paste goes into the selected folder row, else into the shown folder.
    const int row = SelectedRow();
    dest = row >= 0 ? RowJoinedPath(row) : std::string();
    if (!win::DirectoryExists(dest)) dest = CurrentFolder;
  }
  // Without a folder there is nowhere to copy to: the names alone would land
  // in the root of the current drive.
  if (!dest.empty() && !WorkList.empty()) {
    ShellCopy(hwnd_, DoubleNulList(WorkList), DoubleNulList(CopyDestinations(WorkList, dest)));
  }
  if (!dest.empty() && dest == CurrentFolder) RefreshCopiedRows(WorkList);
  WorkList.clear();
}

bool TVemkoSearcher::ShellCopy(HWND window, const std::string& sourceBlock,
                               const std::string& destinationBlock) {
  // Both blocks must end in their two NULs, or the shell reads past them.
  auto terminated = [](const std::string& b) {
    return b.size() >= 2 && b[b.size() - 1] == '\0' && b[b.size() - 2] == '\0';
  };
  if (!terminated(sourceBlock) || !terminated(destinationBlock)) return false;
  SHFILEOPSTRUCTA op{};
  op.hwnd = window;
  op.wFunc = FO_COPY;
  op.pFrom = sourceBlock.c_str();
  op.pTo = destinationBlock.c_str();
  op.fFlags = FOF_MULTIDESTFILES;  // each source has its own destination path
  op.lpszProgressTitle = "";
  const int result = SHFileOperationA(&op);
  return result == 0 && !op.fAnyOperationsAborted;
}

void TVemkoSearcher::RefreshCopiedRows(const std::vector<std::string>& paths) {
  // Each item is looked up where it now stands in the shown folder, not at
  // its source: an item the shell did not copy (declined, cancelled, failed)
  // gets no row, and one whose replacement was declined keeps its own size
  // and date.
  if (!CurrentFolder.empty()) {
    for (const std::string& path : paths) {
      const std::string_view name = LastComponent(path);
      if (name.empty()) continue;
      DirEntry entry;
      const EntryListing found = FindFirstEntry(JoinPath(CurrentFolder, name), entry);
      if (!found.valid()) continue;
      const int row = ListView1DataFind(*this, entry.name, 0, /*wrap=*/false);
      AddEntryRow(JoinPath(CurrentFolder, entry.name), /*isFile=*/!entry.isFolder(),
                  /*fetchNow=*/true, row, entry);
    }
  }
  SetRowCount(static_cast<int>(HitList.size()), LVSICF_NOSCROLL);
}

void TVemkoSearcher::WMDropFiles(HDROP drop) {
  // Files are taken only onto the result list while it shows a folder;
  // everything else is ignored. The drop handle is released in every case.
  POINT point{};
  DragQueryPoint(drop, &point);
  ClientToScreen(hwnd_, &point);
  HWND target = WindowFromPoint(point);
  const bool onList = target && (target == ListView1 || IsChild(ListView1, target));
  if (!onList || CurrentFolder.empty()) {
    DragFinish(drop);
    return;
  }
  WorkList.clear();
  AppendDroppedNames(drop, WorkList);
  DragFinish(drop);
  const std::string text = ListText(WorkList);
  WorkList.clear();
  CopyPathsTo(CurrentFolder, text);
}

}  // namespace filvex
