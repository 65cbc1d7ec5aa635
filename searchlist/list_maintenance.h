#pragma once
// Bringing the live search list closer to the disks without a build: the
// cleaning of the whole list, the removal of single entries by path (for the
// delete command, when a row's file has already vanished), the removal of
// the entries behind selected result rows, and the check that marks the
// result rows whose file or folder has vanished.
//
// Removing a folder empties its two lines in place, so that the folder
// numbers that file entries carry stay valid; removing a file entry deletes
// its two lines, and the later file lines move up. Deletions are gathered
// and carried out in one pass over the file lists (FileLines::eraseLines):
// deleting 10,000 of a million lines one by one would move the tail of the
// list 10,000 times.
//
// After file lines are deleted, result rows that came from the search list
// still carry the line numbers of before; ShiftHitLines brings them in line,
// and every removal by row also checks that the line still names the row's
// path before touching it, so no removal ever touches an entry that was not
// named.
//
// The disks are reached only through EntryProbe, so that every rule here is
// tested natively.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "results/hit_record.h"
#include "searchlist/search_list.h"

namespace filvex {

// What the maintenance asks of the disks.
class EntryProbe {
 public:
  virtual ~EntryProbe() = default;
  // True when path is an existing folder ("C:" means the root of C:).
  virtual bool IsDirectory(const std::string& path) = 0;
  // True when path is an existing file (not a folder).
  virtual bool IsFile(const std::string& path) = 0;
  // True when the drive of path (its first two characters, "E:") is absent:
  // the system knows no such drive or it has no root folder. A drive without
  // a disc in it counts as present.
  virtual bool DriveAbsent(std::string_view drive) = 0;
  // The existence test of a result row: a file or folder that can be opened.
  virtual bool PathExists(const std::string& path) = 0;
};

// Called after each line or row examined, with the number examined so far;
// returns false to stop (the window serves its messages here and reads its
// stop flag).
using MaintenanceStep = std::function<bool(size_t examined)>;

struct CleanResult {
  size_t removed = 0;                   // folder lines emptied plus file lines deleted
  bool stopped = false;                 // the step callback asked to stop
  std::vector<size_t> erasedFileLines;  // ascending, numbers of before the cleaning
};

// The cleaning. Folder pass, first line to last: a folder line that is not
// empty and not an existing folder is emptied with its information line,
// unless skipAbsentDrives is set and its drive is absent. File pass, last
// line to first: a broken line is deleted; an entry whose folder line is
// empty, or whose file does not exist, is deleted, unless skipAbsentDrives
// is set, its folder line is not empty and that folder's drive is absent.
// The files of a folder found missing are not probed one by one: once one
// of them is missing and its folder is not an existing folder, the rest of
// that folder's entries are taken as missing too. A stop keeps what was
// removed until then. The per-drive counts are not changed.
CleanResult CleanSearchList(SearchList& list, EntryProbe& probe, bool skipAbsentDrives,
                            const MaintenanceStep& step);

struct RemoveOutcome {
  bool found = false;  // the entry was found and removed
  bool filesChanged = false;
  bool foldersChanged = false;
  size_t removed = 0;                   // line pairs removed (broken lines met included)
  std::vector<size_t> erasedFileLines;  // ascending, numbers of before the call
};

// Removes one entry given by its full path. A file is looked for among the
// entries of its folder first (the folder line equal to the path's folder
// part, letter case aside; a file in a drive root belongs to the root line
// "C:"), then further down the list; broken file lines met on the way are
// deleted. A folder ("C:\" stands for the root line "C:") has its two lines
// emptied and its own file entries deleted; its sub-folders stay. A path
// that is not in the list removes nothing but broken lines.
RemoveOutcome RemoveListEntry(SearchList& list, std::string_view path, bool isFile);

// The folder line equal to path: the exact one when there is one, else the
// first equal without regard to letter case; -1 when there is none.
int64_t FindFolderLine(const SearchList& list, std::string_view path);

// Removal tally: drive letter and the number of file entries removed there.
using DriveTally = std::vector<DriveCount>;

struct SelectedRemoval {
  size_t filesRemoved = 0, foldersRemoved = 0;
  size_t notFound = 0;  // rows whose entry is no longer in the list
  bool stopped = false;
  DriveTally tally;
  std::vector<size_t> erasedFileLines;  // ascending
};

// Removes the entries behind the given result rows (any order, no repeats).
// Each row's line number is checked against its path first; a row whose
// line no longer names it is looked up by its path, and a row that is not
// in the list (or does not come from it) removes nothing. The work is
// examined row by row through step, which may stop it; the list is changed
// only after the last row, in one pass, so a stopped removal leaves the list
// exactly as it was. File entries removed are tallied by the drive letter of
// their folder.
SelectedRemoval RemoveEntriesOfRows(SearchList& list, const HitList& hits,
                                    const std::vector<size_t>& rows, const MaintenanceStep& step);

// For each letter of the tally: the count stored under it less the tally,
// never below 0 (a count of lines is never negative); a letter without a
// count is added at the end.
void SubtractRemovedCounts(const DriveTally& tally, DriveCounts& counts);

// Brings the line numbers of file rows in line after the given file lines
// (ascending, numbers of before) were deleted: a row of a deleted line gets
// -1 (it names no entry any more), a row of a later line moves up.
void ShiftHitLines(HitList& hits, const std::vector<size_t>& erasedFileLines);

// Takes the given rows (any order, repeats allowed) out of the list in one
// pass, keeping the order of the rest.
void EraseRows(HitList& hits, std::vector<size_t> rows);

// The unknown-list check, row by row from the first: whether each row's file
// or folder has vanished; a vanished row's record gets Unknown set (it is
// never cleared here). Returns the decisions for the rows examined before a
// stop (all rows when not stopped).
std::vector<bool> CheckUnknownEntries(HitList& hits, EntryProbe& probe,
                                      const MaintenanceStep& step);

}  // namespace filvex
