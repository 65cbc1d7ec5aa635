#pragma once
// The Windows shell behind the icon rules: shell folders (item attributes,
// the type column, per-item icons where offered) and the file-information
// call, all indexes into the system image lists.

#include <windows.h>
// The other system headers build on the types of windows.h.
#include <shlobj.h>

#include <string>

#include "platform/com.h"
#include "results/icon_rules.h"

namespace filvex::win {

// Answers the icon rules' questions through the shell. Paths are ANSI; they
// become UTF-16 only at the shell folder calls. Use on the thread that
// initialised COM (the user-interface thread).
class WinIconShell : public IconShell {
 public:
  // `desktop` is the shell's desktop folder; may be empty, and then every
  // folder look-up fails (the rules fall back to the file information).
  explicit WinIconShell(ComPtr<IShellFolder> desktop) : desktop_(std::move(desktop)) {}

  FolderItem LookupInFolder(const std::string& folder, const std::string& name) override;
  FileInfo FileInformation(const std::string& path) override;
  int GenericIcon(const std::string& pattern, bool folder) override;
  bool IsDirectory(const std::string& path) override;

 private:
  ComPtr<IShellFolder> desktop_;
};

}  // namespace filvex::win
