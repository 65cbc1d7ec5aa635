// Load and save speed and memory of a search list of one million entries.
// Usage: list_bench [folders files [data-folder]]   (default 100000 900000
// /tmp/filvex-list-bench). The six list files stay in the data folder, so
// that scripts/bench-latency.sh can start the program on them.

#include <thread>  // for std::chrono: <chrono> itself holds a literal CP932 cannot encode
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <malloc.h>
#include <string>

#include "bench/synthetic_list.h"
#include "searchlist/list_files.h"
#include "searchlist/list_store.h"

using namespace filvex;
using Clock = std::chrono::steady_clock;

static long RssKB() {
  std::ifstream f("/proc/self/status");
  std::string line;
  while (std::getline(f, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}

static double Ms(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

int main(int argc, char** argv) {
  size_t folders = argc > 2 ? std::strtoul(argv[1], nullptr, 10) : 100000;
  size_t files = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 900000;
  std::string dir = argc > 3 ? argv[3] : "/tmp/filvex-list-bench";
  std::system(("mkdir -p " + dir).c_str());
  DriveCounts fc, ic;
  {
    SearchList made;
    bench::MakeSyntheticList(folders, files, made);
    CountEntriesPerDrive(made, fc, ic);
    if (!SaveListFiles(dir, made, fc, ic)) {
      std::fprintf(stderr, "cannot write %s\n", dir.c_str());
      return 1;
    }
  }
  size_t entries = folders + files;
  double bestLoad = 1e9, bestSave = 1e9;
  size_t bytes = 0;
  long rssDelta = 0;
  for (int round = 0; round < 3; ++round) {
    // Memory the previous round freed stays with the allocator (in the
    // arenas of the threads that loaded it) and would be reused without
    // any growth of the resident set: it is given back first.
    malloc_trim(0);
    long before = RssKB();
    SearchList l;
    DriveCounts loadedFc, loadedIc;
    auto t0 = Clock::now();
    // As the program loads: the six files as one set.
    bool ok = LoadListStore(dir, l, loadedFc, loadedIc).outcome == ListLoadOutcome::Loaded;
    auto t1 = Clock::now();
    if (!ok) return 1;
    rssDelta = RssKB() - before;
    bytes = l.memoryBytes();
    bestLoad = std::min(bestLoad, Ms(t0, t1));
    auto t2 = Clock::now();
    ok = SaveListFiles(dir, l, fc, ic);
    auto t3 = Clock::now();
    if (!ok) return 1;
    bestSave = std::min(bestSave, Ms(t2, t3));
  }
  std::printf("entries            %zu (%zu folders, %zu files)\n", entries, folders, files);
  std::printf("LoadSearchList     %.1f ms (best of 3)\n", bestLoad);
  std::printf("SaveSearchList     %.1f ms (best of 3, with fsync)\n", bestSave);
  std::printf("live set memory    %.1f bytes/entry (counted), %.1f bytes/entry (RSS growth)\n",
              double(bytes) / double(entries), rssDelta * 1024.0 / double(entries));
  return 0;
}
