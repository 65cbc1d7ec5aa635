#include "searchlist/list_maintenance.h"

#include <algorithm>
#include <unordered_map>

#include "searchlist/mbcs.h"

namespace filvex {

namespace {

constexpr int64_t kNoLine = -1;

// Whether a file line names no entry: no folder number, or one beyond the
// folder list.
bool IsBroken(const SearchList& list, size_t j) {
  const uint32_t f = list.FileList.folder(j);
  return f == FileLines::kBrokenLine || f >= list.FolderList.size();
}

char UpperLetter(std::string_view path) {
  if (path.empty()) return 0;
  const char c = path[0];
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

// Drive absence asked once per drive and run: the answer does not change
// within one cleaning, and a system call per line would cost more than the
// cleaning's own probes.
class DriveAbsence {
 public:
  explicit DriveAbsence(EntryProbe& probe) : probe_(probe) {}
  bool absent(std::string_view path) {
    const std::string drive(path.substr(0, 2));
    auto it = known_.find(drive);
    if (it != known_.end()) return it->second;
    const bool a = probe_.DriveAbsent(drive);
    known_.emplace(drive, a);
    return a;
  }

 private:
  EntryProbe& probe_;
  std::unordered_map<std::string, bool> known_;
};

void EraseFileLines(SearchList& list, const std::vector<size_t>& ascending) {
  if (ascending.empty()) return;
  list.FileList.eraseLines(ascending);
  list.FileInfoList.eraseLines(ascending);
}

void EmptyFolderLine(SearchList& list, size_t i) {
  list.FolderList.setEmpty(i);
  list.FolderInfoList.setEmpty(i);
}

// The folder line of a file path: its folder part without a trailing "\"
// (C:\boot.ini gives C:).
std::string_view FolderOfFile(std::string_view path) {
  std::string_view folder = ContainingFolder(path);
  if (EndsWithSeparator(folder)) folder.remove_suffix(1);
  return folder;
}

// The folder line a folder path stands for: "C:\" is the root line "C:".
std::string_view FolderLineOf(std::string_view path) {
  return path.size() < 4 ? path.substr(0, 2) : path;
}

// The file line holding the entry with this full path, looked for among the
// lines of its folder; -1 when there is none.
int64_t FindFileLine(const SearchList& list, std::string_view path) {
  const int64_t n = FindFolderLine(list, FolderOfFile(path));
  if (n < 0) return kNoLine;
  const std::string_view name = LastComponent(path);
  const FileLines& files = list.FileList;
  for (size_t j = 0; j < files.size(); ++j) {
    if (files.folder(j) == static_cast<uint32_t>(n) && files.name(j) == name &&
        FileEntryPath(list, j) == path)
      return static_cast<int64_t>(j);
  }
  return kNoLine;
}

}  // namespace

int64_t FindFolderLine(const SearchList& list, std::string_view path) {
  if (path.empty()) return kNoLine;
  const FolderLines& folders = list.FolderList;
  for (size_t i = 0; i < folders.size(); ++i)
    if (folders.path(i) == path) return static_cast<int64_t>(i);
  const std::string lower = Lowered(path);
  for (size_t i = 0; i < folders.size(); ++i) {
    const std::string_view p = folders.path(i);
    if (p.size() == path.size() && Lowered(p) == lower) return static_cast<int64_t>(i);
  }
  return kNoLine;
}

CleanResult CleanSearchList(SearchList& list, EntryProbe& probe, bool skipAbsentDrives,
                            const MaintenanceStep& step) {
  CleanResult r;
  DriveAbsence drives(probe);
  size_t examined = 0;
  auto next = [&] {
    if (step && !step(++examined)) r.stopped = true;
    return !r.stopped;
  };

  // Folder pass.
  FolderLines& folders = list.FolderList;
  for (size_t i = 0; i < folders.size(); ++i) {
    if (!next()) return r;
    const std::string path(folders.path(i));
    if (path.empty() || probe.IsDirectory(path)) continue;
    if (skipAbsentDrives && drives.absent(path)) continue;
    EmptyFolderLine(list, i);
    ++r.removed;
  }

  // File pass, from the last line to the first. The deletions are gathered
  // and made in one pass at the end, also after a stop.
  const FileLines& files = list.FileList;
  std::vector<size_t> gone;
  int64_t lastMissing = kNoLine;
  for (size_t k = files.size(); k-- > 0;) {
    if (!next()) break;
    if (IsBroken(list, k)) {
      gone.push_back(k);
      continue;
    }
    const uint32_t n = files.folder(k);
    const std::string_view folder = folders.path(n);
    const bool missing = static_cast<int64_t>(n) == lastMissing || folder.empty() ||
                         !probe.IsFile(FileEntryPath(list, k));
    if (!missing) continue;
    if (static_cast<int64_t>(n) != lastMissing) {
      const bool folderThere = !folder.empty() && probe.IsDirectory(std::string(folder));
      lastMissing = folderThere ? kNoLine : static_cast<int64_t>(n);
    }
    if (skipAbsentDrives && !folder.empty() && drives.absent(folder)) continue;
    gone.push_back(k);
  }
  std::reverse(gone.begin(), gone.end());
  EraseFileLines(list, gone);
  r.removed += gone.size();
  r.erasedFileLines = std::move(gone);
  return r;
}

RemoveOutcome RemoveListEntry(SearchList& list, std::string_view path, bool isFile) {
  RemoveOutcome r;
  const FileLines& files = list.FileList;
  std::vector<size_t> gone;
  if (isFile) {
    const int64_t n = FindFolderLine(list, FolderOfFile(path));
    size_t start = 0;
    if (n >= 0) {
      for (size_t j = 0; j < files.size(); ++j) {
        if (files.folder(j) == static_cast<uint32_t>(n)) {
          start = j;
          break;
        }
      }
    }
    for (size_t j = start; j < files.size(); ++j) {
      if (IsBroken(list, j)) {
        gone.push_back(j);
      } else if (FileEntryPath(list, j) == path) {
        gone.push_back(j);
        r.found = true;
        break;
      }
    }
  } else {
    const int64_t n = FindFolderLine(list, FolderLineOf(path));
    if (n < 0) return r;
    EmptyFolderLine(list, static_cast<size_t>(n));
    r.foldersChanged = true;
    r.found = true;
    ++r.removed;
    size_t j = 0;
    while (j < files.size() && files.folder(j) != static_cast<uint32_t>(n)) ++j;
    while (j < files.size() && files.folder(j) == static_cast<uint32_t>(n)) gone.push_back(j++);
  }
  EraseFileLines(list, gone);
  r.filesChanged = !gone.empty();
  r.removed += gone.size();
  r.erasedFileLines = std::move(gone);
  return r;
}

SelectedRemoval RemoveEntriesOfRows(SearchList& list, const HitList& hits,
                                    const std::vector<size_t>& rows, const MaintenanceStep& step) {
  SelectedRemoval r;
  std::vector<size_t> fileLines, folderLines;
  size_t examined = 0;
  for (size_t row : rows) {
    if (step && !step(++examined)) {
      r.stopped = true;
      return r;  // nothing changed yet
    }
    if (row >= hits.size()) continue;
    const HitRecord& h = hits[row];
    int64_t line = h.ListLine;
    if (h.Kind == kKindFile) {
      // The line must still name this file; otherwise it is looked up.
      if (line < 0 || static_cast<size_t>(line) >= list.FileList.size() ||
          FileEntryPath(list, static_cast<size_t>(line)) != h.Path)
        line = FindFileLine(list, h.Path);
      if (line < 0) {
        ++r.notFound;
      } else {
        fileLines.push_back(static_cast<size_t>(line));
      }
    } else if (h.Kind == kKindFolder) {
      if (line < 0 || list.FolderList.path(static_cast<size_t>(line)) != h.Path)
        line = FindFolderLine(list, h.Path);
      if (line < 0) {
        ++r.notFound;
      } else {
        folderLines.push_back(static_cast<size_t>(line));
      }
    }
  }
  std::sort(fileLines.begin(), fileLines.end());
  fileLines.erase(std::unique(fileLines.begin(), fileLines.end()), fileLines.end());
  for (size_t j : fileLines) {
    const char letter = UpperLetter(list.FolderList.path(list.FileList.folder(j)));
    if (letter == 0) continue;  // a file of a removed folder belongs to no drive
    auto it = std::find_if(r.tally.begin(), r.tally.end(),
                           [&](const DriveCount& c) { return c.letter == letter; });
    if (it == r.tally.end()) {
      r.tally.push_back({letter, 1});
    } else {
      ++it->count;
    }
  }
  EraseFileLines(list, fileLines);
  std::sort(folderLines.begin(), folderLines.end());
  folderLines.erase(std::unique(folderLines.begin(), folderLines.end()), folderLines.end());
  for (size_t i : folderLines) EmptyFolderLine(list, i);
  r.filesRemoved = fileLines.size();
  r.foldersRemoved = folderLines.size();
  r.erasedFileLines = std::move(fileLines);
  return r;
}

void SubtractRemovedCounts(const DriveTally& tally, DriveCounts& counts) {
  for (const DriveCount& t : tally) {
    const uint32_t have = counts.countOf(t.letter);
    counts.set(t.letter, have > t.count ? have - t.count : 0);
  }
}

void ShiftHitLines(HitList& hits, const std::vector<size_t>& erased) {
  if (erased.empty()) return;
  for (HitRecord& h : hits) {
    if (h.Kind != kKindFile || h.ListLine < 0) continue;
    const size_t line = static_cast<size_t>(h.ListLine);
    auto at = std::lower_bound(erased.begin(), erased.end(), line);
    if (at != erased.end() && *at == line) {
      h.ListLine = -1;
    } else {
      h.ListLine -= static_cast<int32_t>(at - erased.begin());
    }
  }
}

void EraseRows(HitList& hits, std::vector<size_t> rows) {
  std::sort(rows.begin(), rows.end());
  size_t out = 0, k = 0;
  for (size_t i = 0; i < hits.size(); ++i) {
    while (k < rows.size() && rows[k] < i) ++k;
    if (k < rows.size() && rows[k] == i) continue;
    if (out != i) hits[out] = std::move(hits[i]);
    ++out;
  }
  hits.resize(out);
}

std::vector<bool> CheckUnknownEntries(HitList& hits, EntryProbe& probe,
                                      const MaintenanceStep& step) {
  std::vector<bool> vanished;
  vanished.reserve(hits.size());
  for (size_t row = 0; row < hits.size(); ++row) {
    const bool gone = !probe.PathExists(hits[row].Path.str());
    if (gone) hits[row].Unknown = true;
    vanished.push_back(gone);
    if (step && !step(row + 1)) break;
  }
  return vanished;
}

}  // namespace filvex
