#pragma once
// TShellLink: the shell's shortcut (.lnk) objects and a few path services of
// the shell. Follows a shortcut to its target, creates shortcuts under names
// made safe for the file system, and asks for the paths of special folders.
// Texts are ANSI (the system code page). User-interface thread only.

#include <windows.h>
#include <shlobj.h>

#include <string>

namespace filvex {

class TShellLink {
 public:
  // When false, a new shortcut never replaces an existing file: a "(n)"
  // suffix is added to its name.
  bool OverwriteExisting = false;
  // Name of the next shortcut to create, without ".lnk"; empty means the
  // target's name.
  std::wstring LinkNameText;

  // Follows the shortcut linkPath. resultPath is its target when that names
  // an existing file or folder (looked up in App Paths first when resolveApp
  // is set and the target holds "{"), else linkPath. With a window the shell
  // may show its own search for a moved target; without one it never shows
  // anything. Returns 0 on success, else the failing step's code (1 for a
  // shortcut without a file-system target).
  HRESULT GetLinkToPath(const std::string& linkPath, std::string& resultPath, bool resolveApp,
                        HWND window) const;

  // targetPath, or, when it holds "{" (an installer's product code), the
  // registered path of the program named like the shortcut file.
  std::string GetLinkNameToPath(const std::string& targetPath, const std::string& linkPath) const;

  // The App Paths entry whose program folder is named appName (exact case),
  // empty when none. Reads HKEY_LOCAL_MACHINE only.
  std::string GetReg_AppNameToPath(const std::string& appName) const;

  // Creates a shortcut to targetPath in linkFolder named linkName (empty: the
  // target's name); path of the new shortcut, or empty. itemIdList is not
  // used: shortcuts always point at a path.
  std::string CreateLink2(const std::string& targetPath, LPCITEMIDLIST itemIdList,
                          const std::string& linkFolder, const std::wstring& linkName,
                          bool overwrite);

  // Creates a shortcut to an existing targetPath in linkFolder under the
  // name LinkNameText and returns its path, or empty on any failure. With
  // checkOnly nothing is created: "1" when a shortcut of that name already
  // exists, else "0". COM must be initialised on the calling thread.
  std::string ShellLinkCreate(const std::string& targetPath, LPCITEMIDLIST itemIdList,
                              const std::string& linkFolder, const std::string& description,
                              bool checkOnly) const;

  // Path of the special folder csidl, empty when the system has none (the
  // Windows and system folders always have one).
  std::string GetPath(int csidl) const;

  // Frees an item identifier list with the shell's allocator; false when
  // there is no allocator.
  static bool ItemIdListFree(LPITEMIDLIST itemIdList);
};

}  // namespace filvex
