#pragma once
// Text rules of the open, explore and open-with commands and the state of
// the result list's popup menu. Pure rules over ANSI (CP932) paths; the
// window code asks the file system and the shell.

#include <string>
#include <string_view>

namespace filvex {

// True when the extension of path (the text from the last "." of its last
// component) is ".lnk" exactly. Case matters: X.LNK is opened as a file by
// the shell, not followed as a shortcut.
bool IsShortcutName(std::string_view path);

// The folder that explore opens for a row's path: the path itself when it is
// a folder, else its containing folder (C:\Data\a.txt gives C:\Data, C:\a.txt
// gives C:\). Empty when a file path has no folder part.
std::string ExploreFolder(std::string_view path, bool isFolder);

// Parameters of rundll32.exe that show the shell's open-with dialog for path.
// The path follows unquoted: the entry point takes the rest of the command
// line as the file name, spaces included.
std::string OpenWithParameters(std::string_view path);

// What the popup menu's shell items depend on when it opens.
struct PopupInputs {
  int selected = 0;       // number of selected rows
  bool inFolder = false;  // CurrentFolder is not empty
  bool showsSearchHits = false;
  bool clipboardHasFiles = false;  // CF_HDROP on the clipboard
  bool pickupShown = false;        // HitListSpBtn is down
  bool searchIdle = true;          // SearchStopFlag is 1
};

struct PopupState {
  bool rowCommands = false;  // Copy1, Open1, Explore1, N4 enabled
  bool pasteVisible = false;
  bool deleteEnabled = false;
  bool deleteVisible = false;
  bool sendToVisible = false;
  bool propertiesVisible = false;
  bool pickupAddVisible = false;  // N15
};

// The popup menu's state. Paste is offered only into a shown folder with
// files on the clipboard; delete is offered where it has a meaning (search
// hits, the pickup list, a folder) and, on search hits, only while no search
// runs; properties is for exactly one row.
PopupState PopupMenuState(const PopupInputs& in);

}  // namespace filvex
