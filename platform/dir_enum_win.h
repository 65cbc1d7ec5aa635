#pragma once
// Folder listings of the Windows file system, converted to what the search
// list stores: ANSI names that open the file they name, local date texts and
// the per-drive roots.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/handles.h"
#include "searchlist/list_builder.h"

namespace filvex {

// UTF-16 form of an ANSI text.
std::wstring WideFromAnsi(std::string_view text);

// The wide path handed to the file functions: "\\?\" + path, so that paths
// beyond the classic length limit and names ending in a dot or blank work; a
// path that begins with "\\" (a network path or one already prefixed) is
// passed as it is.
std::wstring WidePathForFind(std::string_view ansiPath);

// Writes the date text of a UTC file time: converted to local time,
// "yyyy/mm/dd hh:nn" with the seconds dropped; "1900/01/01 00:00" when the
// conversion fails or the year has more than four digits.
void FileTimeText(const FILETIME& utc, char out[kDateTextLen]);

// Converts a listed name to the ANSI code page without best-fit mapping (which
// would silently name another file: "é" stored as "e"). When a character has
// no ANSI form, the entry's short 8.3 name is used, which opens the same file;
// only when there is none does the name keep the replacement character. `dirW`
// is the listed folder as WidePathForFind gave it, with its trailing "\".
std::string AnsiEntryName(const wchar_t* name, const std::wstring& dirW);

// Date texts of file times, remembering the last minute converted: files
// written together share their minute, and a conversion costs two system
// calls. The local-time shift is the one in force when a minute is first
// converted, as with the uncached conversion.
class DateTextCache {
 public:
  // Writes the date text of `utc`; true when it also packs (years up to
  // 5695), with the packed date in *packed.
  bool Text(const FILETIME& utc, char out[kDateTextLen], PackedDate* packed);

 private:
  bool cached_ = false;
  uint64_t minuteStart_ = 0;  // first 100 ns tick of the cached minute
  char text_[kDateTextLen] = {};
  PackedDate packed_ = 0;
  bool packs_ = false;
};

// Fills `entry` from one result of the find functions; `dirW` is the listed
// folder (see AnsiEntryName).
void EntryFromFindData(const WIN32_FIND_DATAW& data, const std::wstring& dirW, DirEntry& entry,
                       DateTextCache* dates = nullptr);

// An open listing: the find handle and the listed folder (for short names).
struct EntryListing {
  win::UniqueFindHandle handle;
  std::wstring dirW;
  bool valid() const { return static_cast<bool>(handle); }
};

// Starts listing `pattern` (such as C:\Data\*) and fills the first entry;
// an invalid listing when nothing can be listed.
EntryListing FindFirstEntry(std::string_view pattern, DirEntry& entry);
// Fills the next entry; false at the end.
bool FindNextEntry(const EntryListing& listing, DirEntry& entry);

// Replaces `list` with the system's drive roots in "C:" form, in the system's
// order, whatever their type.
void FillDriveList(std::vector<std::string>& list);

// The directory source of a build. Messages for drives without a medium are
// suppressed on the calling thread while the source lives, so a build never
// stops for an "insert a disk" box; create it on the thread that walks.
class WinDirectorySource : public DirectorySource {
 public:
  WinDirectorySource();
  ~WinDirectorySource() override;
  bool OpenFolder(const std::string& dir) override;
  bool NextEntry(DirEntry& entry) override;
  void CloseFolder() override;

 private:
  win::UniqueFindHandle find_;
  std::wstring dirW_;
  std::wstring pattern_;
  WIN32_FIND_DATAW data_;
  bool pending_ = false;  // data_ holds an entry not yet handed out
  DateTextCache dates_;
  DWORD oldErrorMode_ = 0;
};

}  // namespace filvex
