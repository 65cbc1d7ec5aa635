#pragma once
// Names of new shortcuts and the byte-wise text edits behind them. Pure text
// rules over ANSI (CP932) bytes; the file system is asked only through the
// existence test the caller passes in.

#include <functional>
#include <string>
#include <string_view>

namespace filvex {

// Replaces each occurrence of from in text by to, left to right. An
// occurrence that starts on a byte of another kind than from's first byte (a
// "\" or "|" that is the second byte of ソ, 表 or ポ) is part of a double-byte
// character: it is skipped and left as it is. The search resumes after the
// inserted text, so a to that holds from cannot make it loop.
void MogChange(std::string& text, std::string_view from, std::string_view to);

// The name with the nine characters a file name may not hold ( / " : * < > ?
// \ | ) replaced by their full-width twins.
std::string FileMogChk(std::string_view name);

// The folder with a trailing "\" of its own: C:\Tools gives C:\Tools\, an
// empty folder gives "\". A folder ending in the trail byte 0x5C of 表 gets one
// too. When the text names an existing file (namesFile) it comes back as it is.
std::string PathToSetKugiriMog(std::string_view folder, bool namesFile);

// The base name (no ".lnk") of a new shortcut to targetPath: the wanted name
// made safe by FileMogChk, or, when that is empty, the target's file name
// without its extension. For a target that is not a folder everything from
// the last "." of the name on is dropped, so "Report 2.1 final" becomes
// "Report 2" for a file and stays whole for a folder.
std::string ShortcutBaseName(std::string_view wantedName, std::string_view targetPath,
                             bool targetIsFolder);

struct ShortcutPlace {
  std::string path;      // where the shortcut is to be saved
  bool renamed = false;  // a "(n)" suffix was needed because the name is taken
};

// Where a shortcut named baseName goes in folder (which ends in a "\"):
// folder\baseName.lnk, or, unless overwriting is allowed, the first of
// baseName(1).lnk, baseName(2).lnk ... that does not exist. checkOnly always
// looks for a free name, whatever overwrite says.
ShortcutPlace ShortcutPlaceFor(std::string_view folder, std::string_view baseName, bool overwrite,
                               bool checkOnly,
                               const std::function<bool(const std::string&)>& exists);

}  // namespace filvex
