#include "searchlist/list_builder.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

#include "searchlist/mbcs.h"

namespace filvex {

namespace {

// One entry on its way from the listing thread to the storing thread.
struct Item {
  enum Kind : uint8_t {
    kDrive,   // a drive root begins; the name is its ANSI root ("C:")
    kFolder,  // a folder line, then the folder's files (unless it is a link)
    kFile,    // a file of the folder of the last kFolder or kDrive item
  };
  Kind kind = kFile;
  bool link = false;
  uint32_t depth = 0;  // kFolder: 1 below the walked folder, 2 below that, ...
  uint32_t attributes = 0;
  uint32_t nameOff = 0;  // the raw name in Batch::names
  uint32_t nameLen = 0;
  uint64_t size = 0;
  uint64_t created = 0;
  uint64_t written = 0;
};

struct Batch {
  std::vector<Item> items;
  std::string names;
};

// About 200 KB of items per batch: a hand-over per some 15 ms of listing.
constexpr size_t kBatchItems = 4096;
constexpr size_t kBatchCount = 4;

// The batches between the two threads, in order. The listing thread waits
// only when every batch is full, the storing thread only when none is; each
// wait and wake is a system call (under Wine a server round trip), which is
// why batches are large.
class BatchQueue {
 public:
  BatchQueue() {
    for (Batch& b : pool_) empty_.push_back(&b);
  }

  // Listing side: an empty batch, or null once the storing side has gone.
  Batch* TakeEmpty() {
    std::unique_lock<std::mutex> lock(mutex_);
    room_.wait(lock, [this] { return !empty_.empty() || closed_; });
    if (closed_) return nullptr;
    Batch* b = empty_.back();
    empty_.pop_back();
    return b;
  }
  void PushFull(Batch* b) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      full_.push_back(b);
    }
    ready_.notify_one();
  }
  // Listing side: no more batches will come.
  void Finish() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      finished_ = true;
    }
    ready_.notify_one();
  }

  // Storing side: the next full batch, or null when the listing has finished
  // and every batch was taken.
  Batch* TakeFull() {
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait(lock, [this] { return !full_.empty() || finished_; });
    if (full_.empty()) return nullptr;
    Batch* b = full_.front();
    full_.pop_front();
    return b;
  }
  void GiveBack(Batch* b) {
    b->items.clear();
    b->names.clear();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      empty_.push_back(b);
    }
    room_.notify_one();
  }
  // Storing side: it takes nothing more; a listing thread waiting for room
  // wakes and ends.
  void Close() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      closed_ = true;
    }
    room_.notify_one();
  }

 private:
  std::mutex mutex_;
  std::condition_variable room_;   // an empty batch, or closed
  std::condition_variable ready_;  // a full batch, or finished
  Batch pool_[kBatchCount];
  std::vector<Batch*> empty_;
  std::deque<Batch*> full_;
  bool finished_ = false;
  bool closed_ = false;
};

// The listing thread's side of a walk: lists folders in walk order and hands
// their entries on, raw, in batches.
class Lister {
 public:
  Lister(DirectorySource& source, const std::atomic<uint8_t>& stop, BatchQueue& queue)
      : source_(source), stop_(stop), queue_(queue) {}

  bool Stopped() const { return stop_.load(std::memory_order_relaxed) != 0; }

  // Hands on the start of a drive root.
  bool Drive(std::string_view root) {
    RawEntry raw;
    raw.name = root;
    return Emit(Item::kDrive, 0, raw);
  }

  // Lists everything below the folder with the ANSI path `path`. False when
  // it was stopped or the storing side has gone.
  bool Walk(std::string_view path) {
    std::string folder = source_.FolderPath(path);
    // Frames are reused level by level, so their buffers are allocated once
    // per depth rather than once per folder.
    size_t depth = 1;
    if (frames_.empty()) frames_.resize(1);
    frames_[0].Reset(folder.size());
    if (!List(folder, frames_[0])) return false;
    if (frames_[0].subs.empty()) depth = 0;

    while (depth > 0) {
      Frame& top = frames_[depth - 1];
      if (top.next == top.subs.size()) {
        --depth;
        continue;
      }
      if (Stopped()) return false;
      const Pending& sub = top.subs[top.next++];
      RawEntry raw;
      raw.attributes = sub.attributes;
      raw.link = sub.link;
      raw.created = sub.created;
      raw.written = sub.written;
      raw.name = std::string_view(top.names).substr(sub.nameOff, sub.nameLen);
      if (!Emit(Item::kFolder, static_cast<uint32_t>(depth), raw)) return false;
      if (sub.link) continue;
      folder.resize(top.pathLen);
      source_.AppendName(folder, raw.name);
      if (frames_.size() == depth) frames_.emplace_back();
      Frame& next = frames_[depth];  // `top` may have moved
      next.Reset(folder.size());
      if (!List(folder, next)) return false;
      if (!next.subs.empty()) ++depth;
    }
    return true;
  }

  // Hands on the last, partly filled batch.
  void Flush() {
    if (batch_) queue_.PushFull(std::exchange(batch_, nullptr));
  }

 private:
  // A sub-folder seen in its parent's listing, waiting for its turn.
  struct Pending {
    uint32_t attributes;
    bool link;
    uint64_t created;
    uint64_t written;
    uint32_t nameOff;
    uint32_t nameLen;
  };
  // One level of the walk: the listed folder's path length in the shared
  // path and its sub-folders still to be visited.
  struct Frame {
    size_t pathLen = 0;
    std::vector<Pending> subs;
    std::string names;
    size_t next = 0;
    void Reset(size_t len) {
      pathLen = len;
      subs.clear();
      names.clear();
      next = 0;
    }
  };

  // Lists one folder: files are handed on, sub-folders kept in `frame`.
  bool List(const std::string& folder, Frame& frame) {
    if (!source_.OpenFolder(folder)) return !Stopped();
    // Closed however the listing ends, a throw included.
    struct Close {
      DirectorySource& source;
      ~Close() { source.CloseFolder(); }
    } close{source_};
    RawEntry raw;
    for (;;) {
      if (Stopped()) return false;
      if (!source_.NextEntry(raw)) return true;
      if (raw.isFolder()) {
        frame.subs.push_back({raw.attributes, raw.link, raw.created, raw.written,
                              static_cast<uint32_t>(frame.names.size()),
                              static_cast<uint32_t>(raw.name.size())});
        frame.names.append(raw.name);
      } else if (!Emit(Item::kFile, 0, raw)) {
        return false;
      }
    }
  }

  bool Emit(Item::Kind kind, uint32_t depth, const RawEntry& raw) {
    if (!batch_) {
      batch_ = queue_.TakeEmpty();
      if (!batch_) return false;
      batch_->items.reserve(kBatchItems);
    }
    Item& it = batch_->items.emplace_back();
    it.kind = kind;
    it.link = raw.link;
    it.depth = depth;
    it.attributes = raw.attributes;
    it.nameOff = static_cast<uint32_t>(batch_->names.size());
    it.nameLen = static_cast<uint32_t>(raw.name.size());
    it.size = raw.size;
    it.created = raw.created;
    it.written = raw.written;
    batch_->names.append(raw.name);
    if (batch_->items.size() == kBatchItems) queue_.PushFull(std::exchange(batch_, nullptr));
    return true;
  }

  DirectorySource& source_;
  const std::atomic<uint8_t>& stop_;
  BatchQueue& queue_;
  Batch* batch_ = nullptr;
  std::vector<Frame> frames_;
};

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

void AppendInfo(InfoLines& out, const DirEntry& e, bool withSize) {
  const uint8_t attr = PackAttributes(e.attributes);
  const uint32_t kb = withSize ? SizeInKB(e.size) : 0;
  const std::string_view c = StorableDate(e.created), w = StorableDate(e.written);
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

// The storing side: converts what the listing thread hands on and appends
// the lines, keeping the ANSI path of every open level.
class Storer {
 public:
  Storer(DirectorySource& source, SearchList& target) : source_(source), target_(target) {}

  // The walk starts below the folder with the ANSI path `path`.
  void StartAt(std::string_view path) {
    dir_.assign(path);
    if (!EndsWithSeparator(dir_)) dir_ += '\\';
    dirLen_.assign(1, dir_.size());
  }

  void Store(const Batch& batch, const Item& it) {
    const std::string_view name = std::string_view(batch.names).substr(it.nameOff, it.nameLen);
    if (it.kind == Item::kDrive) {
      target_.FolderList.append(name);
      target_.FolderInfoList.appendRoot();
      StartAt(name);
      return;
    }
    RawEntry raw;
    raw.attributes = it.attributes;
    raw.link = it.link;
    raw.size = it.size;
    raw.created = it.created;
    raw.written = it.written;
    raw.name = name;
    if (it.kind == Item::kFile) {
      source_.Convert(raw, dir_, entry_);
      target_.FileList.append(static_cast<uint32_t>(target_.FolderList.size() - 1),
                              StorableName(entry_.name, scratch_));
      AppendInfo(target_.FileInfoList, entry_, /*withSize=*/true);
      return;
    }
    // A folder: its parent is the open level above it.
    const size_t parent = std::min<size_t>(it.depth, dirLen_.size()) - 1;
    dir_.resize(dirLen_[parent]);
    dirLen_.resize(parent + 1);
    source_.Convert(raw, dir_, entry_);
    dir_ += StorableName(entry_.name, scratch_);
    target_.FolderList.append(dir_);
    AppendInfo(target_.FolderInfoList, entry_, /*withSize=*/false);
    dir_ += '\\';
    dirLen_.push_back(dir_.size());
  }

 private:
  DirectorySource& source_;
  SearchList& target_;
  std::string dir_;             // ANSI path of the deepest open level, with "\"
  std::vector<size_t> dirLen_;  // its length at each level
  DirEntry entry_;
  std::string scratch_;
};

// Runs `list` on a listing thread of its own and stores what it hands on.
// True when everything was listed and stored; false when `stop` ended it.
template <class ListFn>
bool RunWalk(DirectorySource& source, const std::atomic<uint8_t>& stop, Storer& storer,
             ListFn list) {
  BatchQueue queue;
  std::exception_ptr listError;
  bool listed = false;
  bool stored = true;
  {
    std::thread thread([&] {
      try {
        Lister lister(source, stop, queue);
        listed = list(lister);
        lister.Flush();
      } catch (...) {
        listError = std::current_exception();
      }
      queue.Finish();
    });
    // However the storing ends (a throw included), the listing thread is
    // told and joined before the queue and the source go.
    struct Join {
      BatchQueue& queue;
      std::thread& thread;
      ~Join() {
        queue.Close();
        thread.join();
      }
    } join{queue, thread};

    while (Batch* batch = queue.TakeFull()) {
      for (const Item& it : batch->items) {
        if (stop.load(std::memory_order_relaxed) != 0) {
          stored = false;
          break;
        }
        storer.Store(*batch, it);
      }
      queue.GiveBack(batch);
      if (!stored) break;
    }
  }
  if (listError) std::rethrow_exception(listError);
  return listed && stored;
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
  Storer storer(source, target);
  storer.StartAt(path);
  return RunWalk(source, stop, storer, [path](Lister& lister) { return lister.Walk(path); });
}

bool BuildDrives(const std::vector<std::string>& driveRoots, DirectorySource& source,
                 SearchList& target, const std::atomic<uint8_t>& stop,
                 const std::function<void(const std::string&)>& progress) {
  Storer storer(source, target);
  RunWalk(source, stop, storer, [&](Lister& lister) {
    for (const std::string& root : driveRoots) {
      if (lister.Stopped()) return false;
      if (progress) progress(DriveProgressText(root));
      if (!lister.Drive(root) || !lister.Walk(root)) return false;
    }
    return true;
  });
  return stop.load(std::memory_order_relaxed) != 0;
}

}  // namespace filvex
