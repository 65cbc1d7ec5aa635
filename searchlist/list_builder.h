#pragma once
// The walk that fills a search list from the folders of one or more drives.
//
// The folder order is the depth-first one that the stored lists rely on: a
// folder's line, then its files in listing order, then each sub-folder's line
// followed by that sub-folder's own subtree, sub-folders in listing order.
// File entries name their folder by its line number, which is always the last
// folder line added when the folder's files are written.
//
// Each folder is listed once: files are written as they come and sub-folders
// are buffered until the listing is closed, so at most one listing handle is
// open at any time. The walk keeps an explicit stack instead of recursing, so
// the depth of a tree costs heap (one frame per level, the path shared by all
// levels), never thread stack.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "searchlist/search_list.h"

namespace filvex {

// One entry of a folder listing, already converted to what the lists store.
struct DirEntry {
  uint32_t attributes = 0;          // file attributes as the system reports them
  char created[kDateTextLen] = {};  // local "yyyy/mm/dd hh:nn"
  char written[kDateTextLen] = {};
  uint64_t size = 0;  // bytes
  // The two dates packed, set by a source that has them at hand (its date
  // texts are then well-formed); otherwise the texts are parsed when stored.
  bool datesPacked = false;
  PackedDate createdPacked = 0;
  PackedDate writtenPacked = 0;
  std::string name;  // ANSI bytes, no path
  // A link to another place (junction, symbolic link to a folder): recorded
  // like a folder but never entered, so a link back up cannot loop the walk.
  bool link = false;

  bool isFolder() const { return (attributes & kAttrDirectory) != 0; }
};

// Lists one folder at a time. Not shared between threads.
class DirectorySource {
 public:
  virtual ~DirectorySource() = default;
  // Starts listing the folder `dir` (a full path ending in "\"); false when it
  // cannot be listed (no medium, access denied, gone). A listing still open is
  // closed first.
  virtual bool OpenFolder(const std::string& dir) = 0;
  // Fills the next entry of the open listing; false at its end. May return
  // "." and "..", which the walk skips.
  virtual bool NextEntry(DirEntry& entry) = 0;
  virtual void CloseFolder() = 0;
};

// The progress text shown while a drive is walked: the root and
// " ドライブのリストを作成中...  ".
std::string DriveProgressText(std::string_view driveRoot);

// Drive roots ("C:" form) from the system's list of logical drive strings:
// NUL-terminated "C:\" strings, ended by an empty one. Strings shorter than
// two characters are skipped.
std::vector<std::string> DriveRootsFromStrings(std::string_view strings);

// Records everything below the folder whose line is the last one of
// target.FolderList, whose full path is `path`. Returns false when it ended
// because `stop` read non-zero; the stop flag is read before every entry.
bool WalkFolder(std::string_view path, DirectorySource& source, SearchList& target,
                const std::atomic<uint8_t>& stop);

// Walks each drive root in order while `stop` reads 0: hands its progress text
// to `progress`, adds the root line ("C:") with the root information line and
// walks it. Returns true when the build was stopped. The target is appended
// to, not cleared.
bool BuildDrives(const std::vector<std::string>& driveRoots, DirectorySource& source,
                 SearchList& target, const std::atomic<uint8_t>& stop,
                 const std::function<void(const std::string&)>& progress);

}  // namespace filvex
