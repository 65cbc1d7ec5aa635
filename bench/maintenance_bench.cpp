// Speed of the search-list maintenance on a list of about a million entries:
//  - removing the entries of 10,000 result rows (and the rows themselves
//    from a list of 100,000), as the delete command does;
//  - the cleaning's own work (the disks answered from memory, so the figure
//    is what the cleaning adds to the system's existence tests);
//  - finding the drive blocks again after a change, which the next
//    drive-restricted search pays once.
// Usage: maintenance_bench [folders files]   (default 100000 900000)
// Times are printed, never checked.

#include <thread>  // for std::chrono: <chrono> itself holds a literal CP932 cannot encode
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "bench/synthetic_list.h"
#include "searchlist/list_maintenance.h"

using namespace filvex;
using Clock = std::chrono::steady_clock;

namespace {

double MsSince(Clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// Every folder and file exists, or none does; drives are present.
class MemoryDisks : public EntryProbe {
 public:
  explicit MemoryDisks(bool exists) : exists_(exists) {}
  bool IsDirectory(const std::string&) override { return exists_; }
  bool IsFile(const std::string&) override {
    ++probes;
    return exists_;
  }
  bool DriveAbsent(std::string_view) override { return false; }
  bool PathExists(const std::string&) override { return exists_; }
  size_t probes = 0;

 private:
  bool exists_;
};

}  // namespace

int main(int argc, char** argv) {
  const size_t folders = argc > 2 ? std::strtoul(argv[1], nullptr, 10) : 100000;
  const size_t files = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 900000;

  SearchList list;
  bench::MakeSyntheticList(folders, files, list);
  std::printf("list: %zu folders, %zu files\n", list.FolderList.size(), list.FileList.size());

  // 1. 10,000 selected rows out of 100,000 hits.
  {
    std::mt19937 rng(3);
    HitList hits;
    for (size_t k = 0; k < 100000; ++k)
      hits.push_back(FileHitRecord(list, rng() % list.FileList.size(), false, 0));
    std::vector<size_t> rows;
    for (size_t r = 0; r < hits.size(); r += 10) rows.push_back(r);
    std::reverse(rows.begin(), rows.end());
    const auto t0 = Clock::now();
    SelectedRemoval r = RemoveEntriesOfRows(list, hits, rows, [](size_t) { return true; });
    const double removeMs = MsSince(t0);
    const auto t1 = Clock::now();
    EraseRows(hits, rows);
    ShiftHitLines(hits, r.erasedFileLines);
    const double rowsMs = MsSince(t1);
    std::printf(
        "remove 10,000 selected rows: entries %.1f ms (%zu file lines), rows and line "
        "numbers of the other 90,000 %.1f ms\n",
        removeMs, r.filesRemoved, rowsMs);
  }

  // 2. The cleaning: everything present (a probe per line), nothing present.
  for (bool exists : {true, false}) {
    SearchList copy = list;
    MemoryDisks disks(exists);
    const auto t0 = Clock::now();
    CleanResult r = CleanSearchList(copy, disks, true, [](size_t) { return true; });
    std::printf("cleaning, %s: %.1f ms, %zu removed, %zu file probes\n",
                exists ? "every entry present" : "every entry gone", MsSince(t0), r.removed,
                disks.probes);
  }

  // 3. Finding the drive blocks after a change.
  {
    list.FolderList.setEmpty(1);
    const auto t0 = Clock::now();
    auto blocks = list.driveBlocks();
    std::printf("drive blocks found again after a change: %.2f ms (%zu + %zu blocks)\n",
                MsSince(t0), blocks->folders.size(), blocks->files.size());
  }
  return 0;
}
