#pragma once
// Saving and loading the six search-list files as one set: a save that is
// killed at any moment is completed or undone by the next load, and a load
// that overlaps a save (another window, the console client, another thread)
// gets the old list or the new one, never a mix. Folder numbers tie the files
// to each other, so a mix would name the wrong files without any error.
//
// The six files keep their names and formats (searchlist/list_files.h), so
// other programs and older copies of this one read them as before. Two small
// files lie beside them:
//
//   sachgen.txt  the set marker: ASCII, CR LF, never more than a few hundred
//                bytes, always replaced whole by a move:
//                  filvex-list-set 1
//                  generation=<n>        one more at every save
//                  state=complete        or state=saving
//                  sach.txt=<bytes>      one line per list file, in the
//                  sachfile.txt=<bytes>  order of ListFileNames
//                  ...
//                "complete": the six files are those of save n and have
//                exactly these sizes (unless a program that does not know the
//                marker rewrote them since; see Load).
//                "saving": save n has committed: every new file is complete
//                on disk, either already in place or still as "<name>.tmp",
//                with the size given.
//   sachgen.lck  empty; held open exclusively by whoever moves list files
//                (a save, or a load that finishes an interrupted save). The
//                system releases it when that process ends, so a killed save
//                never leaves it taken.
//
// Save, holding the lock (taken within a few seconds or the save fails):
//   0. Recover an earlier interrupted save (below), so that the marker never
//      says "saving" while new ".tmp" files are written.
//   1. Write each file in full as "<name>.tmp" and flush it to disk. On a
//      failure the ".tmp" files are removed: the stored list is untouched.
//   2. Commit: write the marker "saving", generation n+1 and the new sizes as
//      "sachgen.txt.tmp", flush it, move it over "sachgen.txt", flush the
//      folder. From here on the new list is the one that counts.
//   3. Move each "<name>.tmp" over "<name>"; flush the folder.
//   4. Write the marker "complete" in the same way; flush the folder.
//   5. Remove leftovers of older copies of the program ("<name>.old").
//   A kill before the move of step 2 leaves the old list whole beside
//   ".tmp" leftovers; a kill at or after it leaves the new list complete
//   across its two names, and the next load moves the rest in.
//
// Recovery, holding the lock:
//   - marker "saving": every "<name>.tmp" still there is moved in, after
//     checking that each new file has the size the marker gives; then the
//     marker becomes "complete". Reported as Completed. A size that does not
//     fit (a file damaged or changed by hand) leaves the files as they are
//     and the list is reported as Damaged.
//   - "<name>.old" files and no "saving" marker: an older copy of the program
//     was killed while it moved its files. It wrote every ".tmp" in full
//     before it moved the first old file aside, so its new list is completed
//     the same way, the ".old" files are removed and a "complete" marker is
//     written. Reported as Completed.
//   - ".tmp" leftovers alone: a save stopped before it committed. They are
//     removed and the stored list stays. Reported as Discarded.
//
// Load, which needs no writer to be alive or cooperating:
//   1. Read the marker. If it says "saving", or ".old" leftovers lie there:
//      take the lock and recover, then start over; if another process holds
//      the lock, a save is moving files: wait a little and start over. Mere
//      ".tmp" leftovers are cleaned the same way when the lock is free, and
//      ignored while a save holds it (it is writing them).
//   2. Note the size and write time of the six files, then read them.
//   3. Read the marker and the sizes and times again. If anything changed, a
//      save moved files during the read: wait a little and start over.
//   4. Otherwise the files read are one set. A "complete" marker whose sizes
//      differ from the files only means that a program without the marker
//      rewrote them whole; they are taken as they are, like a folder without
//      any marker.
//   After a bounded number of tries the list is reported Busy: never loaded
//   from a mix.
//
// On Windows a file that another process holds open cannot be replaced or
// renamed; every move is retried for a few seconds, which is longer than any
// reader keeps a file open.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "searchlist/list_files.h"
#include "searchlist/search_list.h"

namespace filvex {

struct ListStoreNames {
  static constexpr const char* kMarker = "sachgen.txt";
  static constexpr const char* kLock = "sachgen.lck";
};
// The six files of a set, in the order of the marker's lines.
inline constexpr const char* kListSetFiles[6] = {
    ListFileNames::kFolders,  ListFileNames::kFiles,        ListFileNames::kFolderInfo,
    ListFileNames::kFileInfo, ListFileNames::kFolderCounts, ListFileNames::kFileCounts,
};

// Test seam: called with the name of each step before the save or recovery
// changes anything on disk ("write sach.txt.tmp", "move sach.txt", ...).
// Returning false ends the work right there, as a killed process would:
// nothing is cleaned up or put back.
using ListStepHook = std::function<bool(std::string_view step)>;

enum class ListSaveOutcome {
  Saved,       // the new list is in place, leftovers are gone
  NotSaved,    // nothing changed: the stored list is the previous one
  Unfinished,  // committed, but a file could not be moved in: the next load
               // or save completes it; until then loads get the new list or
               // report the list busy
  Stopped,     // the step hook ended the save
};

struct ListSaveResult {
  ListSaveOutcome outcome = ListSaveOutcome::NotSaved;
  std::string reason;  // English, empty when saved
};

// Saves the four lists and both counts as described above.
ListSaveResult SaveListStore(std::string_view dataFolder, const SearchList& list,
                             const DriveCounts& folderCounts, const DriveCounts& fileCounts,
                             const ListStepHook& hook = nullptr);

enum class ListLoadOutcome {
  Loaded,
  NoList,   // one of the four list files is missing
  Busy,     // files kept changing under the reader, or a save holds them
  Damaged,  // a list file cannot be read or the four disagree (see files),
            // or an interrupted save cannot be completed
};
enum class ListRecovery {
  None,
  Completed,  // an interrupted save was completed: its list is the one loaded
  Discarded,  // an unfinished save was thrown away: the previous list stays
};

// What a load saw of the stored set: the marker's bytes and the size and
// write time of each of the six files. Two equal fingerprints of one folder
// mean that no save moved files and no file was rewritten between the two
// looks (short of a rewrite to the same size within the file time's
// resolution, a second on Windows).
struct ListSetFingerprint {
  std::string state;  // empty: not taken
  bool operator==(const ListSetFingerprint&) const = default;
};
ListSetFingerprint ListSetFingerprintOf(std::string_view dataFolder);

struct ListLoadResult {
  ListLoadOutcome outcome = ListLoadOutcome::NoList;
  ListRecovery recovery = ListRecovery::None;
  std::string reason;  // English, for the console client and the tests
  int tries = 0;       // reads started, for the tests
  // What reading the four list files found: the missing or damaged file and
  // why (LoadListFiles). Damaged here with files.status Loaded means an
  // interrupted save that cannot be completed.
  ListFilesResult files;
  // How each count file read (folderdat.txt, filedat.txt). Anything but Ok
  // leaves counts that a drive-restricted search cannot trust: the caller
  // computes them from the list (CountEntriesPerDrive).
  FileCheck folderCounts = FileCheck::Missing;
  FileCheck fileCounts = FileCheck::Missing;
  // The set as it was read (Loaded, NoList and Damaged after a read); not
  // taken for Busy.
  ListSetFingerprint fingerprint;
  bool countsUsable() const {
    return folderCounts == FileCheck::Ok && fileCounts == FileCheck::Ok;
  }
};

struct ListLoadOptions {
  // Bounds of the wait for a save that is moving files: at most maxTries
  // rounds, waitMs apart. The default waits about ten seconds in all.
  int maxTries = 400;
  int waitMs = 25;
  ListStepHook hook;  // passed to a recovery
};

// Loads the four lists and both counts as one set as described above. The
// counts are loaded only when the list is; a missing count file gives empty
// counts, as LoadDriveCounts does. On anything but Loaded, `list` is empty
// and the counts are left untouched.
ListLoadResult LoadListStore(std::string_view dataFolder, SearchList& list,
                             DriveCounts& folderCounts, DriveCounts& fileCounts,
                             const ListLoadOptions& options = {});

// The marker file sachgen.txt, as written and read.
struct ListSetMarker {
  uint64_t generation = 0;
  bool saving = false;
  uint64_t sizes[6] = {};  // bytes, in the order of kListSetFiles
};
std::string ListSetMarkerText(const ListSetMarker& m);
// False for anything that is not exactly a marker of the form above.
bool ParseListSetMarker(std::string_view text, ListSetMarker& out);

// A short English sentence about a recovery for the console client, or an
// empty text for ListRecovery::None.
std::string RecoveryNote(ListRecovery recovery);

// ---- file primitives shared with list_files.cpp ---------------------------

// Flushes a written file to the disk (fflush, then fsync or _commit) and
// closes it; false when any of that failed. The file is closed in any case.
bool FlushAndClose(std::FILE* f);
// Moves `from` over `to`, replacing it in one step; on Windows a move that
// fails because another process has one of the files open is retried for a
// few seconds. MoveFileEx with MOVEFILE_WRITE_THROUGH returns only when the
// move is on the disk.
bool MoveOver(const std::string& from, const std::string& to);
// Makes the moves of files inside `folder` durable: fsync of the folder
// natively. On Windows MoveFileEx with MOVEFILE_WRITE_THROUGH already flushed
// each move, so there is nothing left to do.
bool FlushFolder(const std::string& folder);

}  // namespace filvex
