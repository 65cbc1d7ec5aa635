// Speed of the search on a list of about a million entries, beside grep on
// the same file list.
// Usage: search_bench [folders files]   (default 100000 900000)
//
// Builds the synthetic list, writes it to a temporary data folder and loads
// it back as the program does, then measures:
//  - a full scan that finds nothing (folders and files) against
//    `grep -F -i -c QUERY sachfile.txt` (C locale, best of several runs);
//  - full scans of every mode (names, head search, one drive, attributes,
//    dates, sizes), each with its records, counting alone, and as the window
//    runs it with its default hit limit, and a search
//    with tens of thousands of hits and no limit, each beside that grep
//    figure; a scan's time includes readying the hit list's room and
//    letting go of the records, as a search of the program pays both, in
//    room kept between searches as the window keeps it (WindowSearch);
//  - a search that ends at the hit limit of 1,000;
//  - how long a running scan takes to return once its stop flag is set;
//  - sorting 100,000 hits by each column.
// Times are printed, never checked: the figures go into reviews, not tests.
//
// The scans with many records wait on memory more than they compute, and on
// a virtual machine a whole process can run them up to twice as slowly as
// the next one of the same binary (all its figures alike, each the best of
// its rounds): where the process's memory lands decides. Compare the best
// of several runs, run alternately when comparing two builds.

#include <thread>  // for std::chrono: <chrono> itself holds a literal CP932 cannot encode
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/synthetic_list.h"
#include "results/row_text.h"
#include "results/sort.h"
#include "search/scan.h"
#include "searchlist/list_files.h"

using namespace filvex;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

template <class Fn>
double BestMs(int rounds, Fn&& fn) {
  double best = 1e30;
  for (int r = 0; r < rounds; ++r) {
    auto t0 = Clock::now();
    fn();
    best = std::min(best, Ms(t0, Clock::now()));
  }
  return best;
}

struct Loaded {
  SearchList list;
  DriveCounts folderCounts, fileCounts;
};

// Time from raising the stop flag of a running scan to the scan's return;
// negative when the scan had ended before the flag was raised.
double StopLatencyMs(const Loaded& l, const SearchQuery& q, int delayMicros) {
  StopFlag stop{0};
  Clock::time_point returned;
  bool stopped = false;
  std::atomic<bool> running{false};
  HitList hits;
  hits.reserve(static_cast<size_t>(q.hitLimit));
  std::thread worker([&] {
    running.store(true);
    stopped = ScanSearchList(l.list, q, hits, &stop).Stopped;
    returned = Clock::now();
  });
  // Count from the scan's start, not from the thread's creation, which can
  // take milliseconds on a busy machine.
  while (!running.load()) std::this_thread::yield();
  std::this_thread::sleep_for(std::chrono::microseconds(delayMicros));
  auto raised = Clock::now();
  stop.store(1);
  worker.join();
  return stopped ? Ms(raised, returned) : -1;
}

// One search as the window runs it: the hit list's room is kept from one
// search to the next (readied by PrepareHitRoom, its records let go of by
// ClearHitRecords), so that its pages are paid for once, not by every
// search. `kept` receives the number of records the search kept.
ScanResult WindowSearch(const SearchList& list, const SearchQuery& q, HitList& room,
                        size_t* kept = nullptr) {
  PrepareHitRoom(room, static_cast<size_t>(std::max(q.hitLimit, 0)));
  ScanResult r = ScanSearchList(list, q, room);
  if (kept) *kept = room.size();
  ClearHitRecords(room);
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  size_t folders = argc > 2 ? std::strtoul(argv[1], nullptr, 10) : 100000;
  size_t files = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 900000;

  char dirTemplate[] = "/tmp/filvex-search-bench-XXXXXX";
  if (!mkdtemp(dirTemplate)) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::string dir = dirTemplate;
  {
    SearchList made;
    DriveCounts fc, ic;
    bench::MakeSyntheticList(folders, files, made);
    CountEntriesPerDrive(made, fc, ic);
    if (!SaveListFiles(dir, made, fc, ic)) {
      std::fprintf(stderr, "cannot write %s\n", dir.c_str());
      return 1;
    }
  }
  Loaded l;
  if (!LoadListFiles(dir, l.list)) return 1;
  LoadDriveCounts(DataFilePath(dir, ListFileNames::kFolderCounts), l.folderCounts);
  LoadDriveCounts(DataFilePath(dir, ListFileNames::kFileCounts), l.fileCounts);
  std::printf("list: %zu folders, %zu files in %s; names %zu + %zu bytes\n",
              l.list.FolderList.size(), l.list.FileList.size(), dir.c_str(),
              l.list.FolderList.lowerNameBuffer().size(), l.list.FileList.lowerNameBuffer().size());

  // 1. A full scan that finds nothing, against grep over the file list.
  const char* kMissing = "qzxvw";
  SearchQuery none;
  SetQueryText(none, kMissing);
  none.hitLimit = 1000;
  size_t found = 0;
  HitList room;
  double scanMs = BestMs(7, [&] { found = WindowSearch(l.list, none, room).TotalMatches; });
  std::string grep = std::string("LC_ALL=C grep -F -i -c ") + kMissing + " " +
                     DataFilePath(dir, ListFileNames::kFiles) + " >/dev/null";
  double grepMs = BestMs(7, [&] {
    if (std::system(grep.c_str()) == -1) std::perror("grep");
  });
  std::printf(
      "no-hit scan (\"%s\", folders+files): %.2f ms, %zu matches; grep -F -i -c on %s: %.2f ms; "
      "ratio %.2f\n",
      kMissing, scanMs, found, ListFileNames::kFiles, grepMs, scanMs / grepMs);

  // The same for other queries, to show the range.
  for (const char* q : {"zq", "report_9", "backup_12345.zip"}) {
    SearchQuery s;
    SetQueryText(s, q);
    s.hitLimit = 100000;
    s.maxstop = false;
    size_t n = 0;
    double ms = BestMs(5, [&] { n = WindowSearch(l.list, s, room).TotalMatches; });
    std::printf("  full scan \"%s\": %.2f ms, %zu matches; %.2f of grep\n", q, ms, n, ms / grepMs);
  }

  // Scans that test every entry: the modes that compare no names, a head
  // search, and a name search restricted to one drive.
  {
    struct Mode {
      const char* what;
      SearchQuery q;
    };
    std::vector<Mode> modes(5);
    modes[0].what = "attribute mode, H only";
    SetQueryText(modes[0].q, "x");
    modes[0].q.mode = SearchMode::AttributeSearch;
    modes[0].q.attrR = false;
    modes[0].q.attrH = true;
    modes[1].what = "date mode, one year";
    SetQueryText(modes[1].q, "x");
    modes[1].q.mode = SearchMode::DateSearch;
    modes[1].q.dateOn = true;
    modes[1].q.dateFrom = {2010, 1, 1, 0, 0, 0};
    modes[1].q.dateTo = {2010, 12, 31, 23, 59, 59};
    modes[2].what = "head search \"qz\"";
    SetQueryText(modes[2].q, "qz");
    modes[2].q.head = true;
    modes[3].what = "name \"qzxvw\" on drive D only";
    SetQueryText(modes[3].q, kMissing);
    SetDriveLetters(modes[3].q, "D");
    modes[4].what = "size mode, 2-3 MB";
    SetQueryText(modes[4].q, "x");
    modes[4].q.mode = SearchMode::SizeSearch;
    modes[4].q.sizeOn = true;
    modes[4].q.sizeRelation = SizeRelation::Range;
    modes[4].q.sizeLowKB = 2048;
    modes[4].q.sizeHighKB = 3072;
    for (Mode& m : modes) {
      m.q.hitLimit = 100000;
      m.q.maxstop = false;
      size_t n = 0;
      double ms = BestMs(5, [&] { n = WindowSearch(l.list, m.q, room).TotalMatches; });
      // The same scan keeping no record: the cost of the mode's own test.
      SearchQuery counting = m.q;
      counting.hitLimit = 0;
      double countMs = BestMs(5, [&] {
        HitList hits;
        ScanSearchList(l.list, counting, hits);
      });
      // And as the window runs it with its default settings: the first
      // 1,000 hits kept, the scan ended at the first match beyond them.
      SearchQuery windowDefault = m.q;
      windowDefault.hitLimit = SearchQuery().hitLimit;
      windowDefault.maxstop = SearchQuery().maxstop;
      double defaultMs = BestMs(5, [&] { WindowSearch(l.list, windowDefault, room); });
      std::printf(
          "  full scan, %s: %.2f ms, %zu matches (%.2f ms counting them alone; %.2f ms with the "
          "window's default limit); %.2f of grep\n",
          m.what, ms, n, countMs, defaultMs, ms / grepMs);
    }
  }

  // Many hits and no limit: the records of the hits against the scan alone
  // (the same query counted without keeping a record).
  {
    SearchQuery s;
    SetQueryText(s, "report");
    s.hitLimit = 100000;
    s.maxstop = false;
    size_t kept = 0;
    double ms = BestMs(5, [&] { WindowSearch(l.list, s, room, &kept); });
    s.hitLimit = 0;
    double countMs = BestMs(5, [&] {
      HitList hits;
      ScanSearchList(l.list, s, hits);
    });
    std::printf(
        "many hits (\"report\", no limit, maxstop off): %.2f ms for %zu hit records; "
        "the scan counting them alone %.2f ms; %.2f of grep\n",
        ms, kept, countMs, ms / grepMs);
  }

  // 2. A search that ends at the hit limit of 1,000.
  for (const char* q : {".txt", "a"}) {
    SearchQuery s;
    SetQueryText(s, q);
    s.hitLimit = 1000;
    size_t kept = 0;
    double ms = BestMs(9, [&] { WindowSearch(l.list, s, room, &kept); });
    std::printf("search ended by the hit limit (\"%s\", limit 1000): %.3f ms, %zu hits\n", q, ms,
                kept);
  }

  // 3. Stop requests: worst time to return over several scans of each kind.
  struct StopCase {
    const char* what;
    SearchQuery q;
  };
  std::vector<StopCase> stops(3);
  stops[0].what = "name, no hit";
  SetQueryText(stops[0].q, kMissing);
  stops[1].what = "attribute mode, every entry";
  SetQueryText(stops[1].q, "x");
  stops[1].q.mode = SearchMode::AttributeSearch;
  stops[1].q.attrS = stops[1].q.attrH = stops[1].q.attrR = true;
  stops[1].q.maxstop = false;
  stops[2].what = "name, many hits, maxstop off";
  SetQueryText(stops[2].q, "_");
  stops[2].q.maxstop = false;
  for (auto& c : stops) {
    std::vector<double> times;
    int tries = 0;
    for (int round = 0; round < 5; ++round) {
      for (int delay = 20; delay <= 600; delay += 20) {
        ++tries;
        double ms = StopLatencyMs(l, c.q, delay);
        if (ms >= 0) times.push_back(ms);  // else it ended before the request
      }
    }
    std::sort(times.begin(), times.end());
    if (times.empty()) continue;
    // The worst case includes the worker being descheduled by other load on
    // the machine; the median is the scan's own reaction.
    std::printf(
        "stop of a running scan (%s): median %.3f ms, 90th percentile %.3f ms, worst %.3f ms "
        "from flag to return (%zu of %d scans stopped while running)\n",
        c.what, times[times.size() / 2], times[times.size() * 9 / 10], times.back(), times.size(),
        tries);
  }

  // 4. Sorting 100,000 hits by each column.
  SearchQuery all;
  SetQueryText(all, "_");
  all.hitLimit = 100000;
  all.folders = false;
  HitList hits;
  hits.reserve(100000);
  ScanSearchList(l.list, all, hits);
  // Type names come from the shell later; give them a few realistic values.
  static const char* kTypes[] = {"テキスト文書", "JPEG イメージ", "アプリケーション", "",
                                 "ZIP ファイル"};
  for (size_t k = 0; k < hits.size(); ++k) hits[k].TypeName = kTypes[k % 5];
  const char* names[] = {"name", "size", "date", "attr", "type", "path"};
  for (int column = 0; column < kColumnCount; ++column) {
    double best[2];
    for (int asc = 1; asc >= 0; --asc) {
      best[asc] = 1e30;
      for (int r = 0; r < 3; ++r) {
        HitList copy = hits;
        auto t0 = Clock::now();
        SortHitList(copy, column, asc == 1);
        best[asc] = std::min(best[asc], Ms(t0, Clock::now()));
      }
    }
    std::printf("sort %zu hits by %s: %.2f ms ascending, %.2f ms descending\n", hits.size(),
                names[column], best[1], best[0]);
  }

  std::string rm = "rm -rf " + dir;
  if (std::system(rm.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", dir.c_str());
  return 0;
}
