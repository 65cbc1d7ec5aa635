#pragma once
// The rules of the send-to submenu that need no system: which entries of the
// SendTo folder are offered and under what caption, what a chosen entry does
// with the selected paths, and the texts handed on. ANSI (CP932) bytes.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace filvex {

// What a chosen entry does, decided by its target (a shortcut already
// followed to what it points at).
enum class SendToAction {
  DesktopShortcut,  // "desklink": a shortcut to the first selected row on the desktop
  Documents,        // "mydocs": copies into the user's documents folder
  Mail,             // ".mapimail": the paths go to the mail handler
  CopyToFolder,     // a folder: copies into it
  StartProgram,     // anything else: started with the paths as arguments
};

// The first rule that applies: the target's lower-cased text holds
// "desklink", "mydocs" or ".mapimail" (tested in that order), the target is
// an existing folder, or else it is started. The special names win over the
// folder test, so a folder named like them still counts as the special entry.
SendToAction SendToActionOf(std::string_view target, bool targetIsFolder);

// Whether an entry of the SendTo folder is offered: not "." or "..", and not
// hidden or system (the folder's desktop.ini).
bool IsSendToEntry(std::string_view name, uint32_t attributes);

// Caption of the entry's item: its file name without the extension (Mail.lnk
// shows Mail). An "&" is doubled, so that the menu shows it instead of taking
// the next letter as an accelerator.
std::string SendToCaption(std::string_view entryPath);

// The argument text of a started program: each path in double quotes, joined
// by one line feed (no blank): "a"<LF>"b".
std::string SendToArguments(const std::vector<std::string>& paths);

// The name of the desktop shortcut to path, without ".lnk": its file name
// without the extension followed by " へのショートカット".
std::string DesktopShortcutName(std::string_view path);

// The extension of a path's file name from its last "." on (".MAPIMail"),
// empty when the name has none.
std::string FileExtension(std::string_view path);

// The text without leading and trailing blanks, tabs and line breaks.
std::string TrimBlanks(std::string_view text);

}  // namespace filvex
