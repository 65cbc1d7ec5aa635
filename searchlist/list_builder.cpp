#include "searchlist/list_builder.h"

#include <algorithm>
#include <utility>

#include "searchlist/mbcs.h"

namespace filvex {

namespace {

// A sub-folder seen in its parent's listing, waiting for its turn.
struct PendingFolder {
  std::string name;
  char created[kDateTextLen];
  char written[kDateTextLen];
  bool datesPacked;
  PackedDate createdPacked;
  PackedDate writtenPacked;
  uint32_t attributes;
  bool link;
};

// One level of the walk: the listed folder's path length in the shared path
// (with its trailing "\") and its sub-folders still to be visited.
struct Frame {
  size_t dirLen = 0;
  std::vector<PendingFolder> subs;
  size_t next = 0;
};

bool IsDotEntry(std::string_view name) {
  return name == "." || name == "..";
}

// A line of the list files cannot hold a line break (and a NUL would end the
// text early when the name is handed back to the system), so such bytes are
// stored as "?". Sources already avoid them where they can; this keeps the
// four lists line-aligned whatever a source returns.
std::string_view StorableName(std::string_view name, std::string& scratch) {
  if (name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos) return name;
  scratch.assign(name);
  for (char& c : scratch) {
    if (c == '\r' || c == '\n' || c == '\0') c = '?';
  }
  return scratch;
}

// A date text that is not printable is not a date the source meant to give.
std::string_view StorableDate(const char* text) {
  for (size_t i = 0; i < kDateTextLen; ++i) {
    if (static_cast<unsigned char>(text[i]) < 0x20) return kUnconvertibleDate;
  }
  return std::string_view(text, kDateTextLen);
}

// The dates come packed from the source, or as texts (`packed` null).
void AppendInfo(InfoLines& out, const char* created, const char* written, const PackedDate* packed,
                uint32_t attributes, bool withSize, uint64_t bytes) {
  const uint8_t attr = PackAttributes(attributes);
  const uint32_t kb = withSize ? SizeInKB(bytes) : 0;
  if (packed) {
    out.appendDated(packed[0], packed[1], attr, withSize, kb);
    return;
  }
  const std::string_view c = StorableDate(created), w = StorableDate(written);
  PackedDate pc, pw;
  if (PackDateText(c, &pc) && PackDateText(w, &pw)) {
    out.appendDated(pc, pw, attr, withSize, kb);
    return;
  }
  // Years the packed form cannot hold (after 5695) keep their text.
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string line;
  line.reserve(2 * kDateTextLen + 12);
  line.append(c).append(w);
  line += kHex[attr >> 4];
  line += kHex[attr & 15];
  if (withSize) line += std::to_string(kb);
  out.appendText(line);
}

// Lists one folder: its files go straight into the target, its sub-folders
// into `subs`. Returns false when the stop flag ended the listing.
bool ListFolder(const std::string& dir, DirectorySource& source, SearchList& target,
                const std::atomic<uint8_t>& stop, std::vector<PendingFolder>& subs, DirEntry& entry,
                std::string& scratch) {
  if (!source.OpenFolder(dir)) return stop.load(std::memory_order_relaxed) == 0;
  const uint32_t folderNumber = static_cast<uint32_t>(target.FolderList.size() - 1);
  bool stopped = false;
  for (;;) {
    if (stop.load(std::memory_order_relaxed) != 0) {
      stopped = true;
      break;
    }
    if (!source.NextEntry(entry)) break;
    if (entry.isFolder()) {
      if (IsDotEntry(entry.name)) continue;
      PendingFolder& p = subs.emplace_back();
      p.name.assign(StorableName(entry.name, scratch));
      std::copy(entry.created, entry.created + kDateTextLen, p.created);
      std::copy(entry.written, entry.written + kDateTextLen, p.written);
      p.datesPacked = entry.datesPacked;
      p.createdPacked = entry.createdPacked;
      p.writtenPacked = entry.writtenPacked;
      p.attributes = entry.attributes;
      p.link = entry.link;
    } else {
      target.FileList.append(folderNumber, StorableName(entry.name, scratch));
      const PackedDate packed[2] = {entry.createdPacked, entry.writtenPacked};
      AppendInfo(target.FileInfoList, entry.created, entry.written,
                 entry.datesPacked ? packed : nullptr, entry.attributes, /*withSize=*/true,
                 entry.size);
    }
  }
  source.CloseFolder();
  return !stopped;
}

}  // namespace

std::string DriveProgressText(std::string_view driveRoot) {
  std::string text(driveRoot);
  text += " ドライブのリストを作成中...  ";
  return text;
}

std::vector<std::string> DriveRootsFromStrings(std::string_view strings) {
  std::vector<std::string> roots;
  size_t i = 0;
  while (i < strings.size()) {
    size_t end = strings.find('\0', i);
    if (end == std::string_view::npos) end = strings.size();
    if (end == i) break;  // the empty string that ends the list
    if (end - i >= 2) roots.emplace_back(strings.substr(i, 2));
    i = end + 1;
  }
  return roots;
}

bool WalkFolder(std::string_view path, DirectorySource& source, SearchList& target,
                const std::atomic<uint8_t>& stop) {
  // One path buffer for all levels: a level's path is its prefix, so a deep
  // tree costs its deepest path once instead of once per level.
  std::string dir(path);
  if (!EndsWithSeparator(dir)) dir += '\\';
  DirEntry entry;
  std::string scratch;

  std::vector<Frame> stack(1);
  stack.back().dirLen = dir.size();
  if (!ListFolder(dir, source, target, stop, stack.back().subs, entry, scratch)) return false;

  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.next == top.subs.size()) {
      stack.pop_back();
      continue;
    }
    if (stop.load(std::memory_order_relaxed) != 0) return false;
    PendingFolder& sub = top.subs[top.next++];
    dir.resize(top.dirLen);
    dir += sub.name;
    target.FolderList.append(dir);
    const PackedDate packed[2] = {sub.createdPacked, sub.writtenPacked};
    AppendInfo(target.FolderInfoList, sub.created, sub.written, sub.datesPacked ? packed : nullptr,
               sub.attributes, /*withSize=*/false, 0);
    std::string().swap(sub.name);  // visited: its name lives in the list now
    if (sub.link) continue;
    dir += '\\';
    Frame next;
    next.dirLen = dir.size();
    if (!ListFolder(dir, source, target, stop, next.subs, entry, scratch)) return false;
    if (!next.subs.empty()) stack.push_back(std::move(next));
  }
  return true;
}

bool BuildDrives(const std::vector<std::string>& driveRoots, DirectorySource& source,
                 SearchList& target, const std::atomic<uint8_t>& stop,
                 const std::function<void(const std::string&)>& progress) {
  for (const std::string& root : driveRoots) {
    if (stop.load(std::memory_order_relaxed) != 0) break;
    if (progress) progress(DriveProgressText(root));
    target.FolderList.append(root);
    target.FolderInfoList.appendRoot();
    if (!WalkFolder(root, source, target, stop)) break;
  }
  return stop.load(std::memory_order_relaxed) != 0;
}

}  // namespace filvex
