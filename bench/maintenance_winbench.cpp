// The cleaning of a search list of a million file entries under Windows (or
// Wine), with the system's existence tests:
//  - a tree of `folders` x `perFolder` real files under the temp folder is
//    listed `repeats` times over (the same paths again, so that the list is
//    large without a million files on disk; the system's caches are warm, as
//    they are for a list cleaned twice);
//  - the cleaning runs with GetFileAttributesA as the window's does, and the
//    longest time between two servings of the window's messages (every 12th
//    line) is noted: a cancel is seen within that time;
//  - then the tree is deleted and the cleaning runs again, removing it all.
// Usage: maintenance_winbench [folders perFolder repeats]   (default 100 100 100)
// Times are printed, never checked.
#include <windows.h>

#include <thread>  // for std::chrono: <chrono> itself holds a literal CP932 cannot encode
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "searchlist/list_maintenance.h"

using namespace filvex;
using Clock = std::chrono::steady_clock;

namespace {

double MsBetween(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

class WinDisks : public EntryProbe {
 public:
  bool IsDirectory(const std::string& path) override {
    const DWORD a = GetFileAttributesA((path.size() == 2 ? path + "\\" : path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
  }
  bool IsFile(const std::string& path) override {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
  }
  bool DriveAbsent(std::string_view drive) override {
    const UINT t = GetDriveTypeA((std::string(drive) + "\\").c_str());
    return t == DRIVE_UNKNOWN || t == DRIVE_NO_ROOT_DIR;
  }
  bool PathExists(const std::string& path) override { return IsFile(path) || IsDirectory(path); }
};

void Clean(SearchList list, const char* what) {
  WinDisks disks;
  Clock::time_point last = Clock::now(), start = last;
  double worstGap = 0;
  MSG msg;
  CleanResult r = CleanSearchList(list, disks, true, [&](size_t examined) {
    if (examined % 12 == 1) {
      const Clock::time_point now = Clock::now();
      worstGap = std::max(worstGap, MsBetween(last, now));
      last = now;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    return true;
  });
  std::printf(
      "cleaning, %s: %.0f ms, %zu removed; longest time between two servings of the "
      "messages %.2f ms\n",
      what, MsBetween(start, Clock::now()), r.removed, worstGap);
}

}  // namespace

int main(int argc, char** argv) {
  const size_t folders = argc > 3 ? std::strtoul(argv[1], nullptr, 10) : 100;
  const size_t perFolder = argc > 3 ? std::strtoul(argv[2], nullptr, 10) : 100;
  const size_t repeats = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 100;

  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string base = std::string(temp) + "filvex-clean-bench";
  CreateDirectoryA(base.c_str(), nullptr);
  for (size_t f = 0; f < folders; ++f) {
    const std::string dir = base + "\\d" + std::to_string(f);
    CreateDirectoryA(dir.c_str(), nullptr);
    for (size_t k = 0; k < perFolder; ++k) {
      HANDLE h = CreateFileA((dir + "\\file" + std::to_string(k) + ".txt").c_str(), GENERIC_WRITE,
                             0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
  }

  SearchList list;
  list.FolderList.append(base.substr(0, 2));
  list.FolderInfoList.appendRoot();
  for (size_t r = 0; r < repeats; ++r) {
    for (size_t f = 0; f < folders; ++f) {
      const uint32_t n = static_cast<uint32_t>(list.FolderList.size());
      list.FolderList.append(base + "\\d" + std::to_string(f));
      list.FolderInfoList.appendText("2020/01/01 00:002020/02/02 00:0010");
      for (size_t k = 0; k < perFolder; ++k) {
        list.FileList.append(n, "file" + std::to_string(k) + ".txt");
        list.FileInfoList.appendText("2020/01/01 00:002020/02/02 00:00201");
      }
    }
  }
  std::printf("list: %zu folder lines, %zu file entries over %zu real files\n",
              list.FolderList.size(), list.FileList.size(), folders * perFolder);

  Clean(list, "every entry present");
  for (size_t f = 0; f < folders; ++f) {
    const std::string dir = base + "\\d" + std::to_string(f);
    for (size_t k = 0; k < perFolder; ++k)
      DeleteFileA((dir + "\\file" + std::to_string(k) + ".txt").c_str());
    RemoveDirectoryA(dir.c_str());
  }
  RemoveDirectoryA(base.c_str());
  Clean(list, "every folder deleted");
  return 0;
}
