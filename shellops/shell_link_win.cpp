#include "shellops/shell_link_win.h"

#include <objbase.h>
#include <objidl.h>

#include <algorithm>
#include <vector>

#include "platform/com.h"
#include "platform/handles.h"
#include "searchlist/mbcs.h"
#include "shellops/link_names.h"

namespace filvex {

namespace {

struct CloseRegKey {
  static bool Valid(HKEY h) { return h != nullptr; }
  void operator()(HKEY h) const { RegCloseKey(h); }
};
// A registry key opened by the program, closed with RegCloseKey.
using UniqueRegKey = win::UniqueResource<HKEY, CloseRegKey>;

const char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";

// Longest App Paths value taken as a path; anything longer is not one.
constexpr DWORD kMaxRegValue = 32 * 1024;

std::wstring Widen(const std::string& text, DWORD flags) {
  if (text.empty()) return {};
  int n =
      MultiByteToWideChar(CP_ACP, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, flags, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

DWORD Attributes(const std::string& path) {
  return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
}
bool IsFileOrFolder(const std::string& path) {
  return Attributes(path) != INVALID_FILE_ATTRIBUTES;
}
bool IsFolder(DWORD attr) {
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
bool IsFile(DWORD attr) {
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The default (unnamed) text value of key, empty when it has none.
std::string DefaultText(HKEY key) {
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
  if ((type != REG_SZ && type != REG_EXPAND_SZ) || size == 0 || size > kMaxRegValue) return {};
  std::string value(size, '\0');
  if (RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                       &size) != ERROR_SUCCESS) {
    return {};
  }
  value.resize(std::min<size_t>(size, value.size()));
  // The stored text may or may not carry its terminating zero.
  size_t end = value.find('\0');
  if (end != std::string::npos) value.resize(end);
  return value;
}

}  // namespace

HRESULT TShellLink::GetLinkToPath(const std::string& linkPath, std::string& resultPath,
                                  bool resolveApp, HWND window) const {
  resultPath = linkPath;
  win::ComInitGuard com;
  std::wstring wide = Widen(linkPath, MB_PRECOMPOSED);

  win::ComPtr<IShellLinkA> link;
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link.put_void());
  if (hr != S_OK) return hr;
  win::ComPtr<IPersistFile> file;
  hr = link->QueryInterface(IID_IPersistFile, file.put_void());
  if (hr != S_OK) return hr;
  hr = file->Load(wide.c_str(), STGM_READ);
  if (hr != S_OK) return hr;
  // With a window the shell may search for a moved target and say so; without
  // one it must stay silent and not search.
  const DWORD flags = window ? SLR_UPDATE : (SLR_NO_UI | SLR_UPDATE | SLR_NOSEARCH);
  hr = link->Resolve(window, flags);
  if (hr != S_OK) return hr;
  char target[MAX_PATH * 2] = {};
  hr = link->GetPath(target, sizeof target, nullptr, SLGP_UNCPRIORITY);
  if (hr != S_OK) return hr;  // S_FALSE: no file-system target
  // A shortcut keeps the stale path of a deleted target: only an existing
  // target is followed.
  std::string targetPath = target;
  if (IsFileOrFolder(targetPath)) {
    resultPath = resolveApp ? GetLinkNameToPath(targetPath, linkPath) : targetPath;
  }
  return hr;
}

std::string TShellLink::GetLinkNameToPath(const std::string& targetPath,
                                          const std::string& linkPath) const {
  if (targetPath.find('{') == std::string::npos) return targetPath;
  std::string_view name = LastComponent(linkPath);
  size_t dot = name.rfind('.');
  if (dot != std::string_view::npos) name = name.substr(0, dot);
  std::string registered = GetReg_AppNameToPath(std::string(name));
  return registered.empty() ? targetPath : registered;
}

std::string TShellLink::GetReg_AppNameToPath(const std::string& appName) const {
  // An empty name would match any value without a folder.
  if (appName.empty()) return {};
  UniqueRegKey root;
  {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAppPaths, 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    root.reset(key);
  }
  std::vector<std::string> names;
  for (DWORD i = 0;; ++i) {
    char name[256] = {};
    DWORD len = sizeof name;
    LONG rc = RegEnumKeyExA(root.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS) continue;  // a name too long for a key name: skip it
    names.emplace_back(name, len);
  }
  root.reset();

  for (const std::string& name : names) {
    std::string sub = std::string(kAppPaths) + "\\" + name;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, sub.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
      continue;
    UniqueRegKey owned(key);
    std::string value = DefaultText(key);
    if (!value.empty() && LastComponent(ContainingFolder(value)) == appName) return value;
  }
  return {};
}

std::string TShellLink::CreateLink2(const std::string& targetPath, LPCITEMIDLIST itemIdList,
                                    const std::string& linkFolder, const std::wstring& linkName,
                                    bool overwrite) {
  OverwriteExisting = overwrite;
  LinkNameText = linkName;
  return ShellLinkCreate(targetPath, itemIdList, linkFolder, /*description=*/"",
                         /*checkOnly=*/false);
}

std::string TShellLink::ShellLinkCreate(const std::string& targetPath, LPCITEMIDLIST /*itemIdList*/,
                                        const std::string& linkFolder,
                                        const std::string& description, bool checkOnly) const {
  const DWORD targetAttr = Attributes(targetPath);
  if (targetAttr == INVALID_FILE_ATTRIBUTES) return {};
  std::string base = ShortcutBaseName(Narrow(LinkNameText), targetPath, IsFolder(targetAttr));
  std::string folder = PathToSetKugiriMog(linkFolder, IsFile(Attributes(linkFolder)));
  // A folder of the chosen name blocks the save as much as a file does.
  ShortcutPlace place =
      ShortcutPlaceFor(folder, base, OverwriteExisting, checkOnly, IsFileOrFolder);
  if (checkOnly) return place.renamed ? "1" : "0";

  win::ComPtr<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              link.put_void()))) {
    return {};
  }
  if (FAILED(link->SetPath(targetPath.c_str()))) return {};
  if (FAILED(link->SetDescription(description.c_str()))) return {};
  win::ComPtr<IPersistFile> file = link.query<IPersistFile>(IID_IPersistFile);
  if (!file) return {};
  std::wstring wide = Widen(place.path, 0);
  if (wide.empty()) return {};
  if (FAILED(file->Save(wide.c_str(), /*fRemember=*/TRUE))) return {};
  return place.path;
}

std::string TShellLink::GetPath(int csidl) const {
  char path[MAX_PATH] = {};
  win::ItemIdList list;
  if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, csidl, list.put())) && list) {
    if (!SHGetPathFromIDListA(list.get(), path)) path[0] = '\0';
  }
  if (path[0] == '\0') {
    if (csidl == CSIDL_WINDOWS) GetWindowsDirectoryA(path, MAX_PATH);
    if (csidl == CSIDL_SYSTEM) GetSystemDirectoryA(path, MAX_PATH);
  }
  return path;
}

bool TShellLink::ItemIdListFree(LPITEMIDLIST itemIdList) {
  win::ComPtr<IMalloc> malloc = win::ShellMalloc();
  if (!malloc) return false;
  malloc->Free(itemIdList);
  return true;
}

}  // namespace filvex
