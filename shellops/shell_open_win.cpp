// Open, open-with, explore and properties of the selected row, the result
// list's keys, the popup menu's state and help. A folder row is shown in the
// folder view rather than in the shell; a shortcut is followed first. Every
// start goes through platform/shell_start.h.
#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>
#include <shlobj.h>

#include "app/vemko_searcher_win.h"
#include "platform/shell_start.h"
#include "platform/window_text.h"
#include "results/row_text.h"
#include "shellops/open_rules.h"

namespace filvex {

namespace {

bool IsExistingFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsExistingFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

constexpr UINT_PTR kListKeysSubclassId = 0x4F50;  // "OP"

LRESULT CALLBACK ListSystemKeyProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                   DWORD_PTR self) {
  switch (msg) {
    case WM_SYSKEYDOWN:
      if (wp == VK_RETURN) {
        reinterpret_cast<TVemkoSearcher*>(self)->ListView1KeyDown(VK_RETURN, /*ctrl=*/false,
                                                                  /*alt=*/true);
        return 0;
      }
      break;
    case WM_SYSCHAR:
      // The character of Alt+Enter would otherwise go to the menu bar as a
      // mnemonic that names nothing, and beep.
      if (wp == '\r') return 0;
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(wnd, &ListSystemKeyProc, id);
      break;
    default:
      break;
  }
  return DefSubclassProc(wnd, msg, wp, lp);
}

}  // namespace

void TVemkoSearcher::ListView1DblClick() {
  const int row = SelectedRow();
  if (row < 0) return;
  std::string path = RowOpenPath(row);
  if (!IsExistingFolder(path)) {
    if (IsShortcutName(path)) {
      // A shortcut the shell cannot load or resolve opens nothing; one whose
      // target is gone leaves path on the shortcut itself, and the shell
      // reports the broken shortcut when it is opened below.
      std::string target;
      if (ShellLink1.GetLinkToPath(path, target, /*resolveApp=*/true, hwnd_) != 0) return;
      path = target;
    }
    if (!IsExistingFolder(path)) {
      if (IsExistingFile(path)) {
        ShellOpen(hwnd_, path);
        return;
      }
      // Neither on disk: only a shell folder that lists its children (a
      // drive without a readable root, a share) is shown.
      const win::ItemIdList list = ParseShellPath(path);
      if (!list || !IsEnumerableShellFolder(list.get())) return;
    }
  }
  EnterFolderView(path);
}

void TVemkoSearcher::EnterFolderView(const std::string& path) {
  OpenFolderView(path);
  CurrentFolder = path;
  ListView_SetBkColor(ListView1, FolderViewColour);
  ListView_SetTextBkColor(ListView1, FolderViewColour);
  InvalidateRect(ListView1, nullptr, TRUE);
  EnableWindow(SpeedButton4, TRUE);
}

void TVemkoSearcher::Explore1Click(int tag) {
  const int row = SelectedRow();
  if (row < 0) return;
  const std::string path = RowJoinedPath(row);
  if (tag == 0) {
    // A drive row's caption is the drive's display name, not a component of
    // a path: its root is opened instead.
    const std::string openPath = RowOpenPath(row);
    const std::string folder =
        openPath != path ? openPath : ExploreFolder(path, IsExistingFolder(path));
    if (folder.empty()) return;
    win::ShellExecuteCall(hwnd_, "open", folder, nullptr, SW_SHOW);
  } else if (tag == 1) {
    ShowOpenWithDialog(hwnd_, path);
  }
}

void TVemkoSearcher::Property1Click() {
  const int row = SelectedRow();
  if (row < 0) return;
  ShowShellProperties(nullptr, {}, {}, "properties", RowOpenPath(row));
}

void TVemkoSearcher::ShowShellProperties(LPCITEMIDLIST itemIdList, const std::string& file,
                                         const std::string& parameters, const std::string& verb,
                                         const std::string& path) {
  win::ItemIdList parsed;  // freed with the shell's allocator when it goes
  LPCITEMIDLIST list = nullptr;
  if (file.empty()) {
    list = itemIdList;
    if (!list && !path.empty()) {
      parsed = ParseShellPath(path);
      list = parsed.get();
    }
    if (!list) return;
  }
  SHELLEXECUTEINFOA info{};
  // The structure's own size: 60 bytes on 32-bit Windows, 112 in this
  // 64-bit build.
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_NOCLOSEPROCESS;  // 0x4C
  info.hwnd = hwnd_;
  info.lpVerb = verb.c_str();
  info.lpFile = file.c_str();
  info.lpParameters = parameters.c_str();
  info.lpDirectory = "";
  info.nShow = SW_SHOWNORMAL;
  info.lpIDList = const_cast<LPITEMIDLIST>(list);
  info.lpClass = "";
  // The shell shows its own message when it fails; nothing more to say.
  win::ShellExecuteExCall(info);
}

win::ItemIdList TVemkoSearcher::ParseShellPath(const std::string& path) const {
  if (path.empty() || !ShellDesktopFolder) return {};
  // A longer path is refused rather than cut: a cut path names another item.
  wchar_t wide[512];
  if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, path.c_str(), -1, wide, 512) == 0) return {};
  LPITEMIDLIST raw = nullptr;
  ULONG eaten = 0;
  const HRESULT hr =
      ShellDesktopFolder->ParseDisplayName(nullptr, nullptr, wide, &eaten, &raw, nullptr);
  // A failed parse leaves nothing of ours in raw: it is not freed.
  if (FAILED(hr)) return {};
  return win::ItemIdList(raw);
}

bool TVemkoSearcher::IsEnumerableShellFolder(LPCITEMIDLIST itemIdList) const {
  if (!ShellDesktopFolder) return false;
  win::ComPtr<IShellFolder> folder;
  if (!itemIdList || itemIdList->mkid.cb == 0) {
    folder = ShellDesktopFolder;
  } else if (FAILED(ShellDesktopFolder->BindToObject(itemIdList, nullptr, IID_IShellFolder,
                                                     folder.put_void())) ||
             !folder) {
    return false;
  }
  win::ComPtr<IEnumIDList> children;
  const HRESULT hr = folder->EnumObjects(
      hwnd_, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, children.put());
  return SUCCEEDED(hr) && children;
}

void TVemkoSearcher::PopupMenu1Popup() {
  PopupInputs in;
  in.selected = static_cast<int>(ListView_GetSelectedCount(ListView1));
  in.inFolder = !CurrentFolder.empty();
  in.showsSearchHits = ShowsSearchHits;
  in.clipboardHasFiles = IsClipboardFormatAvailable(CF_HDROP) != FALSE;
  in.pickupShown = win::IsChecked(HitListSpBtn);
  in.searchIdle = SearchStopFlag.load() == 1;
  const PopupState s = PopupMenuState(in);
  for (TMenuItem* item : {Copy1, Explore1, Open1, N4}) item->SetEnabled(s.rowCommands);
  Paste1->SetVisible(s.pasteVisible);
  Delete1->SetEnabled(s.deleteEnabled);
  Delete1->SetVisible(s.deleteVisible);
  SendToMenu->SetVisible(s.sendToVisible);
  Property1->SetVisible(s.propertiesVisible);
  N15->SetVisible(s.pickupAddVisible);
  // The binder submenu's items follow the companions that are present.
  UpdateCompanionPopupItems();
}

void TVemkoSearcher::Help2Click() {
  // A missing help file is the shell's to report.
  win::ShellExecuteCall(hwnd_, "open", ProgramFolder + "Help\\Filvex.htm", nullptr, SW_SHOW);
}

int TVemkoSearcher::SelectedRow() const {
  return ListView_GetNextItem(ListView1, -1, LVNI_SELECTED);
}

std::string TVemkoSearcher::RowJoinedPath(int row) const {
  if (row < 0 || static_cast<size_t>(row) >= HitList.size()) return {};
  return filvex::RowJoinedPath(HitList[static_cast<size_t>(row)]);
}

std::string TVemkoSearcher::RowOpenPath(int row) const {
  if (row < 0 || static_cast<size_t>(row) >= HitList.size()) return {};
  return filvex::RowOpenPath(HitList[static_cast<size_t>(row)]);
}

void TVemkoSearcher::ShellOpen(HWND window, const std::string& path) {
  // Only a missing association gets an answer from the program; the shell
  // reports every other failure itself.
  if (win::ShellExecuteCall(window, "open", path, nullptr, SW_SHOWNORMAL) == SE_ERR_NOASSOC)
    ShowOpenWithDialog(window, path);
}

void TVemkoSearcher::ShowOpenWithDialog(HWND window, const std::string& path) {
  win::ShellExecuteCall(window, /*verb=*/nullptr, "rundll32.exe", OpenWithParameters(path).c_str(),
                        SW_SHOWNORMAL);
}

bool TVemkoSearcher::ListView1KeyDown(WPARAM key, bool ctrl, bool alt) {
  if (key == VK_RETURN) {
    if (alt)
      Property1Click();
    else
      ListView1DblClick();
    return true;
  }
  if (key == VK_BACK) {
    if (!IsWindowEnabled(SpeedButton4)) return false;
    GoUpOneFolder();
    return true;
  }
  if (key == 'A' && ctrl && !alt) {
    SelectRows(/*tag=*/0);  // select all
    return true;
  }
  return false;
}

void TVemkoSearcher::HookListSystemKeys() {
  SetWindowSubclass(ListView1, &ListSystemKeyProc, kListKeysSubclassId,
                    reinterpret_cast<DWORD_PTR>(this));
}

}  // namespace filvex
