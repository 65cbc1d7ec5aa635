// The send-to submenu of the result list: one item per entry of the user's
// SendTo folder, built once at the first showing (entries added later appear
// after a restart). A chosen item sends the selected rows' paths to the
// entry's target: copies into a folder, a program started with the paths as
// arguments, or one of three entries recognised by name (a desktop shortcut,
// the documents folder, mail). The rules without system calls are in
// shellops/send_to.h.
#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/vemko_searcher_win.h"
#include "platform/com.h"
#include "platform/dir_enum_win.h"
#include "platform/message_box.h"
#include "platform/shell_start.h"
#include "searchlist/mbcs.h"
#include "shellops/path_list.h"
#include "shellops/send_to.h"
#include "shellops/shell_link_win.h"

namespace filvex {
namespace {

bool IsDirectory(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string WithSeparator(std::string folder) {
  if (!EndsWithSeparator(folder)) folder += '\\';
  return folder;
}

// The system's text for an error code, without its line break.
std::string SystemErrorText(HRESULT code) {
  char* text = nullptr;
  const DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string out = n && text ? TrimBlanks(std::string(text, n)) : std::string();
  if (text) LocalFree(text);
  if (out.empty()) {
    char hex[16];
    wsprintfA(hex, "0x%08lX", static_cast<unsigned long>(code));
    out = hex;
  }
  return out;
}

// Item identifier lists made by the shell, freed with its allocator.
class ItemIdLists {
 public:
  explicit ItemIdLists(IMalloc* allocator) : allocator_(allocator) {}
  ItemIdLists(const ItemIdLists&) = delete;
  ItemIdLists& operator=(const ItemIdLists&) = delete;
  ~ItemIdLists() {
    for (LPITEMIDLIST p : lists) {
      if (allocator_)
        allocator_->Free(p);
      else
        CoTaskMemFree(p);
    }
  }
  std::vector<LPITEMIDLIST> lists;

 private:
  IMalloc* allocator_;
};

}  // namespace

void TVemkoSearcher::ListSendToEntries(const std::string& folder, std::vector<std::string>& list) {
  const std::string dir = WithSeparator(folder);
  DirEntry entry;
  EntryListing listing = FindFirstEntry(dir + "*.*", entry);
  if (!listing.valid()) return;
  do {
    if (IsSendToEntry(entry.name, entry.attributes)) list.push_back(dir + entry.name);
  } while (FindNextEntry(listing, entry));
}

void TVemkoSearcher::SendToMenuBuild() {
  SendToMenuFree();
  const std::string folder = TShellLink().GetPath(CSIDL_SENDTO);
  if (folder.empty()) return;
  std::vector<std::string> entries;
  ListSendToEntries(folder, entries);
  for (size_t i = 0; i < entries.size(); ++i) {
    const std::string& path = entries[i];
    TMenuItem* item =
        PopupMenu1.Add(SendToMenu, "SendToItem", SendToCaption(path), path, static_cast<int>(i));
    item->OnClick = [this, item] { SendToItemClick(*item); };
    // The entry's small icon joins ImageList1 and is shown beside the item.
    int image = -1;
    SHFILEINFOA info{};
    if (SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON) &&
        info.hIcon) {
      image = ImageList_AddIcon(ImageList1.get(), info.hIcon);
      DestroyIcon(info.hIcon);
    }
    SendToImages.push_back(image);
    if (image >= 0) {
      SendToGlyphs.push_back(MakeGlyph(image));
      MENUITEMINFOA mii{};
      mii.cbSize = sizeof mii;
      mii.fMask = MIIM_BITMAP;
      mii.hbmpItem = SendToGlyphs.back().get();
      SetMenuItemInfoA(SendToMenu->SubMenu(), item->Id(), FALSE, &mii);
    }
  }
}

void TVemkoSearcher::SendToMenuFree() {
  PopupMenu1.RemoveItems(SendToMenu);
  SendToImages.clear();
  SendToGlyphs.clear();
}

void TVemkoSearcher::SendToItemClick(const TMenuItem& item) {
  // A shortcut counts as what it points at, when that exists; never with
  // the shell's search dialog for a moved target.
  TShellLink links;
  std::string target = item.Hint;
  links.GetLinkToPath(item.Hint, target, /*resolveApp=*/true, /*window=*/nullptr);
  if (target.empty()) return;

  // The selected rows' paths, first row first.
  std::vector<std::string> paths;
  for (int row = -1; (row = ListView_GetNextItem(ListView1, row, LVNI_SELECTED)) >= 0;) {
    if (static_cast<size_t>(row) >= HitList.size()) break;
    paths.push_back(RowJoinedPath(row));
  }
  if (paths.empty()) return;
  const std::string listText = ListText(paths);

  switch (SendToActionOf(target, IsDirectory(target))) {
    case SendToAction::DesktopShortcut: {
      // One shortcut, to the first selected row; a failure says nothing.
      const std::string desktop = links.GetPath(CSIDL_DESKTOP);
      if (desktop.empty()) return;
      const std::string& p = paths.front();
      links.CreateLink2(p, nullptr, WithSeparator(desktop), WideFromAnsi(DesktopShortcutName(p)),
                        /*overwrite=*/false);
      break;
    }
    case SendToAction::Documents: {
      // An empty target would let the paste rules choose the folder.
      const std::string documents = links.GetPath(CSIDL_PERSONAL);
      if (!documents.empty()) CopyPathsTo(documents, listText);
      break;
    }
    case SendToAction::Mail:
      SendToMail(FileExtension(target), TrimBlanks(listText));
      break;
    case SendToAction::CopyToFolder:
      CopyPathsTo(target, listText);
      break;
    case SendToAction::StartProgram:
      win::ShellExecuteCall(hwnd_, /*verb=*/nullptr, target, SendToArguments(paths).c_str(),
                            SW_SHOWNORMAL);
      break;
  }
}

void TVemkoSearcher::SendToMail(const std::string& extension, const std::string& listText) {
  const std::vector<std::string> lines = ListLines(listText);
  if (lines.empty() || extension.empty()) return;
  // The extension's key names the handler: "CLSID\{...}". A missing key or
  // a value of another form means there is no mail handler: nothing happens.
  char value[255] = {};
  LONG size = sizeof value;
  if (RegQueryValueA(HKEY_CLASSES_ROOT, extension.c_str(), value, &size) != ERROR_SUCCESS) return;
  const std::string text(value, strnlen(value, sizeof value));
  constexpr char kPrefix[] = "CLSID\\";
  if (text.size() <= std::strlen(kPrefix) || _strnicmp(text.c_str(), kPrefix, 6) != 0) return;
  // CLSIDFromString reads the "{...}" form the value holds (and would take a
  // program name too); CLSIDFromProgID knows program names only.
  CLSID clsid{};
  const HRESULT converted = CLSIDFromString(WideFromAnsi(text.substr(6)).c_str(), &clsid);
  if (FAILED(converted)) {
    win::ShowError(hwnd_, SystemErrorText(converted));
    return;
  }
  win::ComPtr<IDropTarget> drop;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDropTarget, drop.put_void())))
    return;
  if (!ShellDesktopFolder) return;

  // The items as the shell's data object: the folder of the first path,
  // each name parsed relative to it (names of other folders are left out).
  ItemIdLists folderList(ShellAllocator.get());
  LPITEMIDLIST folderId = nullptr;
  std::wstring folderW = WideFromAnsi(ContainingFolder(lines.front()));
  if (FAILED(ShellDesktopFolder->ParseDisplayName(hwnd_, nullptr, folderW.data(), nullptr,
                                                  &folderId, nullptr)) ||
      !folderId)
    return;
  folderList.lists.push_back(folderId);
  win::ComPtr<IShellFolder> folder;
  if (FAILED(
          ShellDesktopFolder->BindToObject(folderId, nullptr, IID_IShellFolder, folder.put_void())))
    return;
  ItemIdLists items(ShellAllocator.get());
  for (const auto& line : lines) {
    std::wstring nameW = WideFromAnsi(LastComponent(line));
    LPITEMIDLIST id = nullptr;
    if (SUCCEEDED(folder->ParseDisplayName(hwnd_, nullptr, nameW.data(), nullptr, &id, nullptr)) &&
        id)
      items.lists.push_back(id);
  }
  if (items.lists.empty()) return;
  win::ComPtr<IDataObject> data;
  if (FAILED(folder->GetUIObjectOf(hwnd_, static_cast<UINT>(items.lists.size()),
                                   const_cast<LPCITEMIDLIST*>(items.lists.data()), IID_IDataObject,
                                   nullptr, data.put_void())))
    return;
  // No DragEnter first: the handler opens a mail message with the items.
  POINTL point{1, 1};
  DWORD effect = 0;
  const HRESULT dropped = drop->Drop(data.get(), MK_LBUTTON, point, &effect);
  if (FAILED(dropped)) win::ShowError(hwnd_, SystemErrorText(dropped));
}

}  // namespace filvex
