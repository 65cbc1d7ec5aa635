// Speed, memory and stop latency of a search-list build under Wine.
//
//   build_winbench [folder [entries]]           (default D:\buildbench, 200000)
//   build_winbench --stop [folder [entries]]    (default D:\stopbench, 1000000)
//
// Both make a tree of at least `entries` files and folders under `folder`
// unless the marker file there says it already holds one of that size.
//
// Speed: rounds (BENCH_ROUNDS, default 7) of
//   walk   a minimal one-pass walk: FindFirstFileExW (basic information,
//          large fetch) per folder, entries counted, nothing converted;
//   build  the whole build of a search list of the tree;
// in alternating order, so that a slower or faster spell of the machine
// falls on both. Prints the best and the median of each, the median of the
// per-round ratios build/walk, the cost of listing every folder twice
// (best of three), and the peak memory of the process.
//
// Stop: stores a search list of every drive (D: holds the tree) in a data
// folder of its own and opens the main window on it. For upmode 1 and 0 it
// then starts builds the way the window does (StartListBuild: the real build
// thread and its progress hand-overs) and stops each after a different time
// through the stop button's handler (CancelBtnClick: the stop request and
// the window's wait, which serves the worker's calls). Prints the time from
// the stop request until the build thread has ended and the window is idle
// again, how much of it is reloading the stored list (upmode 0), and the
// round trips of a message sent to the window from another thread, idle and
// while builds run. Ends with one complete build from the window.
#include <windows.h>
// The other system headers build on the types of windows.h.
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/vemko_searcher_win.h"
#include "platform/dir_enum_win.h"
#include "searchlist/list_builder.h"
#include "searchlist/list_files.h"

namespace {

using filvex::SearchList;

// <chrono> cannot be used: its micro sign does not exist in the execution
// character set the sources are compiled to.
double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}
double Max(const std::vector<double>& v) {
  return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}
double Min(const std::vector<double>& v) {
  return v.empty() ? 0 : *std::min_element(v.begin(), v.end());
}
// The value below which `share` of the samples lie.
double Quantile(std::vector<double> v, double share) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<size_t>(share * static_cast<double>(v.size())))];
}

bool MakeFileW(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_EXISTS;
  CloseHandle(f);
  return true;
}

// Ten sub-folders per folder down to four levels (11,110 folders), the files
// spread over them; names mix ASCII and Japanese so conversion is exercised.
long long MakeTree(const std::wstring& root, long long entries) {
  CreateDirectoryW(root.c_str(), nullptr);
  const long long folders = 11110;
  const long long filesPerFolder = (entries - folders + folders - 1) / folders;
  long long made = 0;
  for (long long n = 0; n < 10000; ++n) {
    const int digits[4] = {static_cast<int>(n / 1000), static_cast<int>(n / 100 % 10),
                           static_cast<int>(n / 10 % 10), static_cast<int>(n % 10)};
    std::wstring path = root;
    for (int d = 0; d < 4; ++d) {
      path += (d % 2 ? L"\\\u30d5\u30a9\u30eb\u30c0" : L"\\dir") + std::to_wstring(digits[d]);
      const bool newFolder = CreateDirectoryW(path.c_str(), nullptr) != 0;
      if (newFolder) {
        ++made;
        for (long long f = 0; f < filesPerFolder; ++f) {
          const std::wstring name =
              (f % 3 == 0 ? L"\\\u8868\u793a" : L"\\file") + std::to_wstring(f) + L".txt";
          if (MakeFileW(path + name)) ++made;
        }
      }
    }
  }
  return made;
}

// Makes the tree unless its marker (the entry count of a finished tree) says
// it is there.
void EnsureTree(const std::wstring& folderW, long long wanted) {
  const std::wstring marker = folderW + L"\\tree-made.txt";
  long long have = 0;
  if (FILE* m = _wfopen(marker.c_str(), L"r")) {
    if (std::fscanf(m, "%lld", &have) != 1) have = 0;
    std::fclose(m);
  }
  if (have >= wanted) return;
  const double t0 = Now();
  const long long made = MakeTree(folderW, wanted);
  std::printf("tree made: %lld new entries in %.1f s\n", made, Now() - t0);
  if (FILE* m = _wfopen(marker.c_str(), L"w")) {
    std::fprintf(m, "%lld\n", wanted);
    std::fclose(m);
  }
}

long long WalkOnePass(const std::wstring& dir) {
  long long n = 0;
  WIN32_FIND_DATAW d;
  HANDLE h = FindFirstFileExW((dir + L"\\*").c_str(), FindExInfoBasic, &d, FindExSearchNameMatch,
                              nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE) return 0;
  std::wstring subs;  // NUL-separated names of the sub-folders
  do {
    if (d.cFileName[0] == L'.' &&
        (d.cFileName[1] == 0 || (d.cFileName[1] == L'.' && d.cFileName[2] == 0))) {
      continue;
    }
    ++n;
    if ((d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        !(d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      subs += d.cFileName;
      subs += L'\0';
    }
  } while (FindNextFileW(h, &d));
  FindClose(h);
  for (size_t i = 0; i < subs.size();) {
    const size_t end = subs.find(L'\0', i);
    n += WalkOnePass(dir + L"\\" + subs.substr(i, end - i));
    i = end + 1;
  }
  return n;
}

long long WalkTwoPass(const std::wstring& dir) {
  long long n = 0;
  for (int pass = 0; pass < 2; ++pass) {
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileExW((dir + L"\\*").c_str(), FindExInfoBasic, &d, FindExSearchNameMatch,
                                nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (h == INVALID_HANDLE_VALUE) return n;
    do {
      if (d.cFileName[0] == L'.' &&
          (d.cFileName[1] == 0 || (d.cFileName[1] == L'.' && d.cFileName[2] == 0))) {
        continue;
      }
      const bool folder = (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      if (folder != (pass == 1)) continue;
      ++n;
      if (folder && !(d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        n += WalkTwoPass(dir + L"\\" + d.cFileName);
      }
    } while (FindNextFileW(h, &d));
    FindClose(h);
  }
  return n;
}

void PrintMemory() {
  PROCESS_MEMORY_COUNTERS pmc = {};
  pmc.cb = sizeof pmc;
  GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
  std::printf("process peak working set %.1f MB, peak private %.1f MB\n",
              pmc.PeakWorkingSetSize / 1048576.0, pmc.PeakPagefileUsage / 1048576.0);
}

int RunSpeed(const std::string& folder, long long wanted) {
  const std::wstring folderW = filvex::WidePathForFind(folder);
  EnsureTree(folderW, wanted);
  const char* roundsText = std::getenv("BENCH_ROUNDS");
  const int rounds = std::max(1, roundsText ? std::atoi(roundsText) : 7);

  WalkOnePass(folderW);  // warm the caches once
  std::vector<double> walks, builds, ratios;
  long long walked = 0;
  size_t built = 0, listBytes = 0;
  for (int round = 0; round < rounds; ++round) {
    double walk = 0, build = 0;
    for (int step = 0; step < 2; ++step) {
      const bool walkNow = (step == 0) == (round % 2 == 0);
      if (walkNow) {
        const double t0 = Now();
        walked = WalkOnePass(folderW);
        walk = Now() - t0;
        continue;
      }
      SearchList list;
      std::atomic<uint8_t> stop{0};
      const double t0 = Now();
      {
        filvex::WinDirectorySource source;
        list.FolderList.append(folder);
        list.FolderInfoList.appendRoot();
        filvex::WalkFolder(folder, source, list, stop);
      }
      build = Now() - t0;
      built = list.FolderList.size() - 1 + list.FileList.size();
      listBytes = list.memoryBytes();
    }
    walks.push_back(walk);
    builds.push_back(build);
    ratios.push_back(build / walk);
    if (std::getenv("BENCH_VERBOSE")) {
      std::printf("round %d: walk %.3f s, build %.3f s (%.2fx)\n", round, walk, build,
                  build / walk);
    }
  }
  double twoPass = 1e9;
  long long walkedTwice = 0;
  for (int round = 0; round < 3; ++round) {
    const double t0 = Now();
    walkedTwice = WalkTwoPass(folderW);
    twoPass = std::min(twoPass, Now() - t0);
  }

  std::printf("entries: walk %lld, two-pass %lld, build %zu; %d rounds\n", walked, walkedTwice,
              built, rounds);
  std::printf("walk      best %6.3f s  median %6.3f s  %8.0f entries/s (best)\n", Min(walks),
              Median(walks), walked / Min(walks));
  std::printf("build     best %6.3f s  median %6.3f s  %8.0f entries/s (best)\n", Min(builds),
              Median(builds), built / Min(builds));
  std::printf("build/walk: %.2fx of the best times, median of the rounds %.2fx (target <= 1.00x)\n",
              Min(builds) / Min(walks), Median(ratios));
  std::printf("two-pass  best %6.3f s  (%.2fx the best walk)\n", twoPass, twoPass / Min(walks));
  std::printf("list memory %.1f MB; ", listBytes / 1048576.0);
  PrintMemory();
  return built == static_cast<size_t>(walked) ? 0 : 1;
}

// Sends WM_NULL to a window from a thread of its own every 10 ms while
// active and keeps the round trips.
class Prober {
 public:
  explicit Prober(HWND wnd) : wnd_(wnd), thread_([this] { Run(); }) {}
  ~Prober() {
    quit_.store(true);
    thread_.join();
  }
  void Begin() { active_.store(true); }
  // Stops sampling and returns the round trips since Begin, in seconds.
  std::vector<double> End() {
    active_.store(false);
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(samples_, {});
  }

 private:
  void Run() {
    while (!quit_.load()) {
      if (active_.load()) {
        DWORD_PTR result = 0;
        const double t0 = Now();
        SendMessageTimeoutA(wnd_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
        const double t = Now() - t0;
        // Never held across the send: the window thread takes it in End.
        std::lock_guard<std::mutex> lock(mutex_);
        if (active_.load()) samples_.push_back(t);
      }
      Sleep(10);
    }
  }

  HWND wnd_;
  std::atomic<bool> active_{false};
  std::atomic<bool> quit_{false};
  std::mutex mutex_;
  std::vector<double> samples_;
  std::thread thread_;
};

// Serves the window's messages for `seconds`, as its message loop would.
void PumpFor(double seconds) {
  const double end = Now() + seconds;
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    const double left = end - Now();
    if (left <= 0) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left * 1000) + 1, QS_ALLINPUT);
  }
}

void PrintProbes(const char* what, const std::vector<double>& s) {
  std::printf("  %-34s %5zu round trips: median %6.2f ms, 99%% below %6.2f ms, worst %6.2f ms\n",
              what, s.size(), Median(s) * 1000, Quantile(s, 0.99) * 1000, Max(s) * 1000);
}

int RunStop(const std::string& folder, long long wanted) {
  EnsureTree(filvex::WidePathForFind(folder), wanted);

  // The stored list: every drive, as a complete build leaves it.
  const std::string program = "C:\\filvex-bench\\stop\\";
  CreateDirectoryA("C:\\filvex-bench", nullptr);
  CreateDirectoryA(program.c_str(), nullptr);
  CreateDirectoryA((program + "data").c_str(), nullptr);
  std::vector<std::string> drives;
  filvex::FillDriveList(drives);
  size_t storedFolders = 0, storedFiles = 0;
  {
    SearchList stored;
    std::atomic<uint8_t> stop{0};
    const double t0 = Now();
    {
      filvex::WinDirectorySource source;
      filvex::BuildDrives(drives, source, stored, stop, nullptr);
    }
    const double t = Now() - t0;
    storedFolders = stored.FolderList.size();
    storedFiles = stored.FileList.size();
    std::printf(
        "stored list: %zu folders, %zu files of %zu drives, built in %.2f s (%.0f entries/s)\n",
        storedFolders, storedFiles, drives.size(), t, (storedFolders + storedFiles) / t);
    filvex::DriveCounts folderCounts, fileCounts;
    filvex::CountEntriesPerDrive(stored, folderCounts, fileCounts);
    if (!filvex::SaveListFiles(program + "data", stored, folderCounts, fileCounts)) {
      std::printf("cannot save the list in %s\n", program.c_str());
      return 1;
    }
  }

  filvex::StartOptions options;
  options.programFolder = program;
  options.launcherFolder = program + "no-launcher";
  filvex::TVemkoSearcher w(options);
  double t0 = Now();
  w.Show(SW_SHOWNOACTIVATE);
  PumpFor(0.2);
  std::printf("window shown, stored list loaded in %.2f s\n", Now() - t0 - 0.2);
  Prober prober(w.Handle());

  prober.Begin();
  PumpFor(2.0);
  const std::vector<double> idle = prober.End();

  // Stops at these times after the start: early in C:, and across D:.
  const double delays[] = {0.15, 0.5, 1.0, 1.5, 2.0, 2.5, 3.0, 3.5};
  int bad = 0;
  std::vector<double> building[2];
  std::vector<double> stops[2];
  for (int upmode : {1, 0}) {
    w.Settings.upmode = upmode != 0;
    for (double delay : delays) {
      w.StartListBuild();
      prober.Begin();
      PumpFor(delay);
      char walking[64] = {};  // the progress text names the drive being walked
      GetWindowTextA(w.Panel3, walking, sizeof walking);
      const double s0 = Now();
      w.CancelBtnClick();
      const double stopTime = Now() - s0;
      std::vector<double> probes = prober.End();
      building[upmode].insert(building[upmode].end(), probes.begin(), probes.end());
      stops[upmode].push_back(stopTime);
      const bool sound = !w.BuildThread && w.BuildCancelled.load() == 1 &&
                         w.BuildStop.load() == 1 && w.BuildingList.FolderList.size() == 0 &&
                         w.LiveList.FolderList.size() == storedFolders &&
                         w.LiveList.FileList.size() == storedFiles;
      if (!sound) ++bad;
      if (std::getenv("BENCH_VERBOSE")) {
        std::printf("upmode %d, stop after %.2f s (walking %.2s): %.1f ms%s\n", upmode, delay,
                    walking, stopTime * 1000, sound ? "" : "  (window not as before the build)");
      }
      PumpFor(0.2);
    }
  }
  std::vector<double> reloads;
  for (int i = 0; i < 3; ++i) {
    const double r0 = Now();
    w.LoadSearchList();
    reloads.push_back(Now() - r0);
  }

  // One complete build from the window, searches going on (upmode 1).
  w.Settings.upmode = true;
  prober.Begin();
  t0 = Now();
  w.StartListBuild();
  while (!(w.BuildStop.load() == 1 && w.BuildThread && w.BuildThread->Finished())) {
    PumpFor(0.01);
  }
  const double full = Now() - t0;
  const std::vector<double> during = prober.End();
  const size_t entries = w.LiveList.FolderList.size() + w.LiveList.FileList.size();

  std::printf(
      "stop requested mid-walk (%zu times each), until the build thread has ended and the "
      "window is idle:\n",
      std::size(delays));
  std::printf("  upmode 1 (live list untouched): median %6.1f ms, worst %6.1f ms\n",
              Median(stops[1]) * 1000, Max(stops[1]) * 1000);
  std::printf(
      "  upmode 0 (kept list put back) : median %6.1f ms, worst %6.1f ms; "
      "a reload of the files would take %.1f ms (median)\n",
      Median(stops[0]) * 1000, Max(stops[0]) * 1000, Median(reloads) * 1000);
  std::printf("window message round trips (WM_NULL sent from another thread):\n");
  PrintProbes("idle", idle);
  PrintProbes("while builds run and stop, upmode 1", building[1]);
  PrintProbes("while builds run and stop, upmode 0", building[0]);
  PrintProbes("during the complete build", during);
  std::printf("complete build from the window: %zu entries in %.2f s (%.0f entries/s)\n", entries,
              full, entries / full);
  PrintMemory();
  if (bad) std::printf("%d stopped builds left the window otherwise than before\n", bad);
  return bad == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const bool stopMode = argc > 1 && std::string(argv[1]) == "--stop";
  const int first = stopMode ? 2 : 1;
  const std::string folder =
      argc > first ? argv[first] : (stopMode ? "D:\\stopbench" : "D:\\buildbench");
  const long long wanted =
      argc > first + 1 ? std::atoll(argv[first + 1]) : (stopMode ? 1000000 : 200000);
  return stopMode ? RunStop(folder, wanted) : RunSpeed(folder, wanted);
}
