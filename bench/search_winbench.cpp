// Time from a keystroke to the painted rows of the main window, over a
// search list of a million entries.
//
//   search_winbench [entries [rounds]]     (default 1000000 entries, 5 rounds)
//
// Makes the main window in a fresh program folder, loads a synthetic list of
// `entries` lines (a tenth folders, the rest files; bench/synthetic_list.h),
// shows it, and for each query times, over `rounds` rounds (each typing the
// query anew): SetWindowTextA on the name box (the change notification
// starts the search) until the search has ended and the list has painted
// its rows (UpdateWindow after SearchDone). Prints the median and the
// fastest round per query, the hits shown, the time of a click on a column
// header with the last query's rows shown (the sort and the repaint), the
// time of one repaint of the rows alone, and the peak memory.
#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/vemko_searcher_win.h"
#include "bench/synthetic_list.h"
#include "platform/message_box.h"
#include "results/result_view_win.h"

namespace {

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

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Serves the window until the search has ended (SearchDone runs inside a
// PeekMessage, as the worker's last call), then paints what is left.
void WaitAndPaint(filvex::TVemkoSearcher& w) {
  auto ended = [&w] {
    return w.SearchStopFlag.load() == 1 && (!w.SearchThread || w.SearchThread->Finished());
  };
  MSG msg;
  while (!ended()) {
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    } else {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
  }
  UpdateWindow(w.ListView1);
}

std::string FreshProgramFolder() {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder =
      std::string(temp) + "filvex-search-bench-" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

}  // namespace

int main(int argc, char** argv) {
  const size_t entries = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  // The window asks to build a list when its folder has none: answered No.
  filvex::win::ScopedMessageBoxHook noBoxes(
      [](HWND, const std::string&, const std::string&, UINT) { return IDNO; });

  filvex::StartOptions options;
  options.programFolder = FreshProgramFolder();
  options.launcherFolder = options.programFolder + "no-launcher";
  filvex::TVemkoSearcher w(options);
  w.Show(SW_SHOWNORMAL);
  Pump();

  double t0 = Now();
  filvex::bench::MakeSyntheticList(entries / 10, entries - entries / 10, w.LiveList);
  filvex::CountEntriesPerDrive(w.LiveList, w.FolderCounts, w.FileCounts);
  std::printf("list: %zu folders, %zu files, made in %.2f s\n", w.LiveList.FolderList.size(),
              w.LiveList.FileList.size(), Now() - t0);
  SendMessageA(w.CheckBox1, BM_SETCHECK, BST_CHECKED, 0);  // folders and files

  struct Query {
    const char* text;
    const char* what;
    bool noLimit = false;  // the highest hit limit, and maxstop off
  };
  const Query queries[] = {
      {"report", "common word, hit limit 1000 reached"},
      {"zqx", "no hit (the whole list scanned)"},
      {"\x8E\xCA\x90\x5E", "Japanese (CP932) name"},
      {".dll/.exe", "two fragments, any"},
      {"m", "one letter, limit reached at once"},
      {"report", "every hit kept (limit 100000, maxstop off)", /*noLimit=*/true},
  };
  // The list paints its rows while SearchDone resumes its painting, so the
  // time until the search has ended already holds the paint; the final
  // UpdateWindow finds little or nothing left to do.
  std::printf("%-12s %10s %10s %6s  %s\n", "query", "median ms", "best ms", "rows", "");
  const filvex::Settings defaults = w.Settings;
  for (const Query& q : queries) {
    w.Settings.max = q.noLimit ? filvex::kMaxHitLimit : defaults.max;
    w.Settings.maxstop = q.noLimit ? false : defaults.maxstop;
    std::vector<double> times;
    for (int r = 0; r < rounds; ++r) {
      SetWindowTextA(w.Edit1, "");
      WaitAndPaint(w);
      const double start = Now();
      SetWindowTextA(w.Edit1, q.text);
      WaitAndPaint(w);
      times.push_back((Now() - start) * 1000.0);
    }
    std::sort(times.begin(), times.end());
    const int rows = static_cast<int>(SendMessageA(w.ListView1, LVM_GETITEMCOUNT, 0, 0));
    std::printf("%-12s %10.1f %10.1f %6d  %s\n", q.text, times[times.size() / 2], times.front(),
                rows, q.what);
  }
  // Clicks on column headers with the rows of the last query shown (every
  // hit kept): the sort of all of them by the column, and the repaint.
  const int shown = static_cast<int>(SendMessageA(w.ListView1, LVM_GETITEMCOUNT, 0, 0));
  const struct {
    int column;
    const char* name;
  } clicks[] = {{1, "size"}, {2, "date"}, {0, "name"}};
  for (const auto& c : clicks) {
    std::vector<double> times;
    for (int r = 0; r < rounds; ++r) {
      const double start = Now();
      filvex::ListView1ColumnClick(w, c.column);
      UpdateWindow(w.ListView1);
      times.push_back((Now() - start) * 1000.0);
    }
    std::sort(times.begin(), times.end());
    std::printf("click on the %s header, %d rows: %.1f ms (median), %.1f ms best\n", c.name, shown,
                times[times.size() / 2], times.front());
  }
  // One full repaint of the shown rows, for scale.
  std::vector<double> repaints;
  for (int r = 0; r < rounds; ++r) {
    InvalidateRect(w.ListView1, nullptr, TRUE);
    const double start = Now();
    UpdateWindow(w.ListView1);
    repaints.push_back((Now() - start) * 1000.0);
  }
  std::sort(repaints.begin(), repaints.end());
  std::printf("repaint of the shown rows alone: %.1f ms (median)\n", repaints[repaints.size() / 2]);
  PROCESS_MEMORY_COUNTERS pmc{};
  pmc.cb = sizeof pmc;
  if (GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc)) {
    std::printf("peak memory: %.0f MB\n", static_cast<double>(pmc.PeakWorkingSetSize) / 1048576.0);
  }
  std::fflush(stdout);
  return 0;
}
