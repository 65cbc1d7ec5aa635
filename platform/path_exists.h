#pragma once
// The existence test of a result row: whether a file or folder can be opened.

#include <string>

namespace filvex::win {

// True when path opens as an existing file or folder (no access asked, read
// and write sharing, backup semantics so that folders open too); the handle
// is closed at once. One CreateFileA per call: a few microseconds on a local
// disk, much more on a network drive, so callers test only rows they show.
bool PathExists(const char* path);
inline bool PathExists(const std::string& path) {
  return PathExists(path.c_str());
}

}  // namespace filvex::win
