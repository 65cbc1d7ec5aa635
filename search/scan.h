#pragma once
// The scan of one search run: the folder lines, then the file lines of a
// search list, each entry tested with MatchEntry, a hit record appended for
// each hit up to the hit limit.
//
// The scan gives the hits of a plain line-by-line walk: removed folders are
// passed over, a drive restriction leaves out exactly the entries of the
// other drives (it skips their blocks, found from the list itself), recycle
// folders are left out unless asked for, a drive root is never a hit. Speed
// comes from the layout of the list, not from other rules: in a name search
// the lower-cased names lie end to end in one buffer, so the scan runs one
// memory search over that buffer (within each allowed drive's block) and
// tests only the entries where a fragment occurs (a head search too, keeping
// the occurrences at a name's start). The modes that compare no names run
// their one test over a column of the information lines (attribute code,
// size or packed date) and look at nothing else of the lines it fails.
//
// Runs on a worker thread; reads the list without a lock (the caller keeps the
// list unchanged while a scan may read it) and polls the stop flag before
// every entry and between blocks of the memory search and of the column
// tests, so a stop request ends the scan within one entry or one block (64 KB
// of buffer, 64K lines of a column).

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "results/hit_record.h"
#include "search/match.h"
#include "searchlist/search_list.h"

namespace filvex {

// 1 means stopped or idle, 0 running (the byte SearchStopFlag).
using StopFlag = std::atomic<uint8_t>;

// The default icons new rows start with (FolderIconIndex, FileIconIndex).
struct HitIcons {
  int32_t folder = 0;
  int32_t file = 0;
};

struct ScanResult {
  size_t TotalMatches = 0;  // entries that matched, kept or not
  bool WithinLimit = true;  // false once a match was refused at the hit limit
  bool Stopped = false;     // the stop flag ended the scan
};

// Scans `list` for `query` and appends a record per hit to `hits` (which
// normally starts empty; the hit limit counts the records it holds). An empty
// query text finds nothing in every mode. A FileList line that is broken or
// names a folder beyond the list is passed over.
ScanResult ScanSearchList(const SearchList& list, const SearchQuery& query, HitList& hits,
                          const StopFlag* stop = nullptr, HitIcons icons = {});

}  // namespace filvex
