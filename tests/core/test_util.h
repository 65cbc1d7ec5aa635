#pragma once
// Helpers shared by the portable tests: scratch folders that work in both
// builds (a Linux temp folder natively, a folder on C: under Wine).

#include <cstdio>
#include <string>
#include <string_view>

#include "searchlist/list_files.h"

namespace filvex::test {

// Makes a new empty folder for one test and returns its path without a
// trailing separator. Folders are left behind; the runners use throwaway
// locations.
std::string MakeScratchFolder(const std::string& tag);
void MakeFolder(const std::string& path);
void RemoveFolder(const std::string& path);
// A file of the given length that takes no room on disk (nothing is
// written); false when the file system cannot make one.
bool MakeSparseFile(const std::string& path, long long bytes);
// A named pipe (FIFO) that no one writes to; false where there are none
// (Windows).
bool MakePipe(const std::string& path);
// The hostile stand-ins for a data file that the readers must refuse.
inline constexpr long long kHugeFileBytes = 100LL << 30;

inline void WriteFile(const std::string& path, std::string_view bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

inline std::string ReadFile(const std::string& path) {
  std::string s;
  ReadWholeFile(path, s);
  return s;
}

}  // namespace filvex::test
