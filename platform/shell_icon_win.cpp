#include "platform/shell_icon_win.h"

#include <shellapi.h>
#include <shlwapi.h>

#include "platform/dir_enum_win.h"

namespace filvex::win {

static_assert(kShellLink == SFGAO_LINK && kShellShare == SFGAO_SHARE &&
              kShellFolder == SFGAO_FOLDER);

IconShell::FolderItem WinIconShell::LookupInFolder(const std::string& folder,
                                                   const std::string& name) {
  FolderItem item;
  if (!desktop_ || name.empty()) return item;

  // The whole path is handed over, however long: a fixed buffer would cut a
  // long path into the path of another folder.
  std::wstring folderW = WideFromAnsi(folder);
  ItemIdList folderId;
  if (FAILED(desktop_->ParseDisplayName(nullptr, nullptr, folderW.data(), nullptr, folderId.put(),
                                        nullptr)) ||
      !folderId) {
    return item;
  }
  ComPtr<IShellFolder> parent;
  if (FAILED(
          desktop_->BindToObject(folderId.get(), nullptr, IID_IShellFolder, parent.put_void())) ||
      !parent) {
    return item;
  }
  folderId.reset();

  std::wstring nameW = WideFromAnsi(name);
  ItemIdList child;
  if (FAILED(parent->ParseDisplayName(nullptr, nullptr, nameW.data(), nullptr, child.put(),
                                      nullptr)) ||
      !child) {
    return item;
  }
  LPCITEMIDLIST children[1] = {child.get()};
  SFGAOF attributes = SFGAO_FOLDER | SFGAO_SHARE | SFGAO_LINK;
  if (FAILED(parent->GetAttributesOf(1, children, &attributes))) return item;
  item.attributesRead = true;
  item.attributes = attributes;

  if (ComPtr<IShellFolder2> details = parent.query<IShellFolder2>(IID_IShellFolder2)) {
    item.hasTypeColumn = true;
    SHELLDETAILS column = {};
    if (SUCCEEDED(details->GetDetailsOf(child.get(), 2, &column))) {
      // StrRetToBufA reads all three forms and frees a wide string it was given.
      char text[MAX_PATH] = {};
      if (SUCCEEDED(StrRetToBufA(&column.str, child.get(), text, sizeof text))) {
        item.typeName = text;
      }
    }
  }
  if (ComPtr<IShellIcon> icons = parent.query<IShellIcon>(IID_IShellIcon)) {
    item.hasIconOf = true;
    int index = -1;
    // S_FALSE: the folder has no per-item icon for this one.
    if (icons->GetIconOf(child.get(), 0, &index) == S_OK) item.iconIndex = index;
  }
  return item;
}

IconShell::FileInfo WinIconShell::FileInformation(const std::string& path) {
  FileInfo out;
  SHFILEINFOA info = {};
  SHGetFileInfoA(path.c_str(), 0, &info, sizeof info,
                 SHGFI_SYSICONINDEX | SHGFI_ATTRIBUTES | SHGFI_TYPENAME);
  out.iconIndex = info.iIcon;
  out.attributes = info.dwAttributes;
  out.typeName = info.szTypeName;
  out.displayName = info.szDisplayName;
  return out;
}

int WinIconShell::GenericIcon(const std::string& pattern, bool folder) {
  SHFILEINFOA info = {};
  SHGetFileInfoA(pattern.c_str(), folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL, &info,
                 sizeof info, SHGFI_SYSICONINDEX | SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
  return info.iIcon;
}

bool WinIconShell::IsDirectory(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace filvex::win
