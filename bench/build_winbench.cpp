// Speed and memory of a search-list build against the bare cost of listing
// the same folders.
//
//   build_winbench [folder [entries]]     (default D:\buildbench, 200000)
//
// Makes a tree of at least `entries` files and folders under `folder` unless
// the marker file there says it already holds one of that size, then times,
// best of three rounds each:
//   walk      a minimal one-pass walk: FindFirstFileExW (basic information,
//             large fetch) per folder, entries counted, nothing converted;
//   two-pass  the same walk listing every folder twice (files, then folders);
//   build     the whole build of a search list of the tree.
// Prints entries per second, build/walk, and the peak memory of the process.
#include <windows.h>
// The other system headers build on the types of windows.h.
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/dir_enum_win.h"
#include "searchlist/list_builder.h"

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

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : "D:\\buildbench";
  const long long wanted = argc > 2 ? std::atoll(argv[2]) : 200000;
  const std::wstring folderW = filvex::WidePathForFind(folder);

  // The marker holds the entry count of a finished tree.
  const std::wstring marker = folderW + L"\\tree-made.txt";
  long long have = 0;
  if (FILE* m = _wfopen(marker.c_str(), L"r")) {
    if (std::fscanf(m, "%lld", &have) != 1) have = 0;
    std::fclose(m);
  }
  if (have < wanted) {
    const double t0 = Now();
    const long long made = MakeTree(folderW, wanted);
    std::printf("tree made: %lld new entries in %.1f s\n", made, Now() - t0);
    if (FILE* m = _wfopen(marker.c_str(), L"w")) {
      std::fprintf(m, "%lld\n", wanted);
      std::fclose(m);
    }
  }

  WalkOnePass(folderW);  // warm the caches once
  double walk = 1e9, twoPass = 1e9, build = 1e9;
  long long walked = 0, walkedTwice = 0;
  size_t built = 0, listBytes = 0;
  for (int round = 0; round < 3; ++round) {
    double t0 = Now();
    walked = WalkOnePass(folderW);
    double t1 = Now();
    walk = std::min(walk, t1 - t0);
    if (std::getenv("BENCH_VERBOSE")) std::printf("round %d: walk %.3f s\n", round, t1 - t0);

    t0 = Now();
    walkedTwice = WalkTwoPass(folderW);
    t1 = Now();
    twoPass = std::min(twoPass, t1 - t0);

    filvex::SearchList list;
    std::atomic<uint8_t> stop{0};
    t0 = Now();
    {
      filvex::WinDirectorySource source;
      list.FolderList.append(folder);
      list.FolderInfoList.appendRoot();
      filvex::WalkFolder(folder, source, list, stop);
    }
    t1 = Now();
    build = std::min(build, t1 - t0);
    if (std::getenv("BENCH_VERBOSE")) std::printf("round %d: build %.3f s\n", round, t1 - t0);
    built = list.FolderList.size() - 1 + list.FileList.size();
    listBytes = list.memoryBytes();
  }

  PROCESS_MEMORY_COUNTERS pmc = {};
  pmc.cb = sizeof pmc;
  GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);

  std::printf("entries: walk %lld, two-pass %lld, build %zu\n", walked, walkedTwice, built);
  std::printf("walk      %8.3f s  %10.0f entries/s\n", walk, walked / walk);
  std::printf("two-pass  %8.3f s  %10.0f entries/s  (%.2fx walk)\n", twoPass, walkedTwice / twoPass,
              twoPass / walk);
  std::printf("build     %8.3f s  %10.0f entries/s  (%.2fx walk, target <= 1.00x)\n", build,
              built / build, build / walk);
  std::printf("list memory %.1f MB; process peak working set %.1f MB, peak private %.1f MB\n",
              listBytes / 1048576.0, pmc.PeakWorkingSetSize / 1048576.0,
              pmc.PeakPagefileUsage / 1048576.0);
  return built == static_cast<size_t>(walked) ? 0 : 1;
}
