#pragma once
// The walk that fills a search list from the folders of one or more drives.
//
// The folder order is the depth-first one that the stored lists rely on: a
// folder's line, then its files in listing order, then each sub-folder's line
// followed by that sub-folder's own subtree, sub-folders in listing order.
// File entries name their folder by its line number, which is always the last
// folder line added when the folder's files are written.
//
// Each folder is listed once: files are handed on as they come and
// sub-folders are buffered until the listing is closed, so at most one
// listing handle is open at any time. The walk keeps an explicit stack
// instead of recursing, so the depth of a tree costs heap (one frame per
// level, the path shared by all levels), never thread stack.
//
// Two threads share a build. A listing thread walks the folders and does
// nothing but list: each entry is copied as the source gives it (name in the
// source's own form, raw time stamps) into batches of a few thousand entries.
// The calling thread takes the batches in walk order, converts names and
// times (DirectorySource::Convert) and appends the lines. Listing is the slow
// part (system calls, and under Wine a server round trip per folder);
// converting and storing then run beside it instead of after every entry.
// Costs: one extra thread per build, four batches in flight (well under a
// megabyte), and one hand-over per batch.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "searchlist/search_list.h"

namespace filvex {

constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrHidden = 0x02;
constexpr uint32_t kAttrSystem = 0x04;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;
constexpr uint32_t kAttrNormal = 0x80;
constexpr uint32_t kAttrReparsePoint = 0x400;

// One entry of a folder listing, converted to what the lists store.
struct DirEntry {
  uint32_t attributes = 0;          // file attributes as the system reports them
  char created[kDateTextLen] = {};  // local "yyyy/mm/dd hh:nn"
  char written[kDateTextLen] = {};
  uint64_t size = 0;  // bytes
  std::string name;   // ANSI bytes, no path
  // A link to another place (junction, symbolic link to a folder): recorded
  // like a folder but never entered, so a link back up cannot loop the walk.
  bool link = false;

  bool isFolder() const { return (attributes & kAttrDirectory) != 0; }
};

// One entry as a listing returns it, before conversion.
struct RawEntry {
  uint32_t attributes = 0;
  bool link = false;  // see DirEntry::link
  uint64_t size = 0;  // bytes
  // The source's own time stamps; Convert turns them into date texts.
  uint64_t created = 0;
  uint64_t written = 0;
  // The name in the source's own form (UTF-16 bytes for the Windows source),
  // without a path. Valid until the next call of the listing side.
  std::string_view name;

  bool isFolder() const { return (attributes & kAttrDirectory) != 0; }
};

// The folders a build walks. Folder paths of the listing side are in the
// source's own form (whatever its listing functions take), built only by
// FolderPath and AppendName, and end in a separator.
//
// The listing side runs on the walk's listing thread, the converting side
// on the thread that stores, both at the same time: a source keeps the
// state of the two sides apart.
class DirectorySource {
 public:
  virtual ~DirectorySource() = default;

  // ---- listing side ----
  // The source's form of the folder with the ANSI path `path` ("C:",
  // "C:\Data").
  virtual std::string FolderPath(std::string_view path) = 0;
  // Appends a listed sub-folder's raw name and a separator to `folderPath`.
  virtual void AppendName(std::string& folderPath, std::string_view rawName) = 0;
  // Starts listing a folder; false when it cannot be listed (no medium,
  // access denied, gone). A listing still open is closed first.
  virtual bool OpenFolder(const std::string& folderPath) = 0;
  // Fills the next entry of the open listing; false at its end. Never
  // returns "." or "..".
  virtual bool NextEntry(RawEntry& entry) = 0;
  virtual void CloseFolder() = 0;

  // ---- converting side ----
  // Converts an entry listed in the folder with the ANSI path `dir` (ending
  // in "\"): a name that opens the entry, the date texts, and the rest as
  // listed.
  virtual void Convert(const RawEntry& raw, const std::string& dir, DirEntry& out) = 0;
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
// because `stop` read non-zero; the stop flag is read before every entry on
// both threads.
bool WalkFolder(std::string_view path, DirectorySource& source, SearchList& target,
                const std::atomic<uint8_t>& stop);

// Walks each drive root in order while `stop` reads 0: hands its progress text
// to `progress`, adds the root line ("C:") with the root information line and
// walks it. Returns true when the build was stopped. The target is appended
// to, not cleared. `progress` is called on the listing thread, as the walk of
// a drive begins.
bool BuildDrives(const std::vector<std::string>& driveRoots, DirectorySource& source,
                 SearchList& target, const std::atomic<uint8_t>& stop,
                 const std::function<void(const std::string&)>& progress);

}  // namespace filvex
