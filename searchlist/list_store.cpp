#include "searchlist/list_store.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <thread>  // sleep_for; <chrono> itself holds a literal CP932 cannot encode

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
// Declared here rather than through windows.h, which the portable core never
// includes.
extern "C" __declspec(dllimport) int __stdcall MoveFileExA(const char*, const char*, unsigned long);
extern "C" __declspec(dllimport) unsigned long __stdcall GetLastError();
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace filvex {

namespace {

constexpr int kSetSize = 6;
constexpr const char* kMarkerHead = "filvex-list-set 1";
// A marker is a few hundred bytes; anything much larger is not one.
constexpr uint64_t kMarkerMaxBytes = 4096;
// A save waits this long for another save to end before it gives up.
constexpr int kLockTries = 200;
constexpr int kLockWaitMs = 25;

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

void SleepMs(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Size and write time of a file, to see whether it changed between two looks.
struct Stamp {
  bool exists = false;
  bool regular = false;
  uint64_t size = 0;
  int64_t writtenNs = 0;
  bool operator==(const Stamp&) const = default;
};

Stamp StampOf(const std::string& path) {
  Stamp s;
#ifdef _WIN32
  struct _stat64 st;
  if (_stat64(path.c_str(), &st) != 0) return s;
  s.regular = (st.st_mode & _S_IFMT) == _S_IFREG;
  s.writtenNs = static_cast<int64_t>(st.st_mtime) * 1000000000;
#else
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return s;
  s.regular = S_ISREG(st.st_mode);
  s.writtenNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
#endif
  s.exists = true;
  s.size = static_cast<uint64_t>(st.st_size);
  return s;
}

// The paths of one data folder.
struct StorePaths {
  explicit StorePaths(std::string_view dataFolder) : folder(dataFolder) {
    for (int k = 0; k < kSetSize; ++k) {
      files[k] = DataFilePath(dataFolder, kListSetFiles[k]);
      temps[k] = files[k] + ".tmp";
      olds[k] = files[k] + ".old";
    }
    marker = DataFilePath(dataFolder, ListStoreNames::kMarker);
    markerTemp = marker + ".tmp";
    lock = DataFilePath(dataFolder, ListStoreNames::kLock);
  }
  std::string folder;
  std::string files[kSetSize], temps[kSetSize], olds[kSetSize];
  std::string marker, markerTemp, lock;
};

// Leftovers are regular files; a folder of such a name is none of ours.
bool IsFile(const std::string& path) {
  return StampOf(path).regular;
}

bool AnyFile(const std::string (&paths)[kSetSize]) {
  for (const std::string& p : paths) {
    if (IsFile(p)) return true;
  }
  return false;
}

void RemoveFile(const std::string& path) {
  if (IsFile(path)) std::remove(path.c_str());
}

// The marker as found on disk. `raw` is compared before and after a read, so
// that even a marker this program cannot parse shows a change.
struct MarkerRead {
  bool exists = false;
  std::string raw;
  bool valid = false;
  ListSetMarker marker;
  bool operator==(const MarkerRead& o) const { return exists == o.exists && raw == o.raw; }
};

MarkerRead ReadMarker(const StorePaths& p) {
  MarkerRead r;
  const Stamp s = StampOf(p.marker);
  if (!s.exists) return r;
  r.exists = true;
  // Only a small regular file is opened: a folder, a device or a pipe in its
  // place is simply not a marker.
  if (!s.regular || s.size > kMarkerMaxBytes) {
    r.raw = "(not a marker file)";
    return r;
  }
  UniqueFile f(std::fopen(p.marker.c_str(), "rb"));
  if (!f) {
    r.raw = "(unreadable)";
    return r;
  }
  char buf[kMarkerMaxBytes + 1];
  const size_t got = std::fread(buf, 1, sizeof buf, f.get());
  r.raw.assign(buf, got);
  r.valid = got <= kMarkerMaxBytes && ParseListSetMarker(r.raw, r.marker);
  return r;
}

ListSetFingerprint FingerprintOf(const MarkerRead& marker, const Stamp (&stamps)[kSetSize]) {
  ListSetFingerprint f;
  f.state = marker.exists ? "marker " + marker.raw : "no marker";
  for (const Stamp& s : stamps) {
    f.state += "|";
    if (s.exists) {
      f.state += (s.regular ? "file " : "other ") + std::to_string(s.size) + " " +
                 std::to_string(s.writtenNs);
    }
  }
  return f;
}

// Runs the step hook; remembers when it ended the work.
class Steps {
 public:
  explicit Steps(const ListStepHook& hook) : hook_(hook) {}
  bool go(const std::string& step) {
    if (!stopped_ && hook_ && !hook_(step)) stopped_ = true;
    return !stopped_;
  }
  bool stopped() const { return stopped_; }

 private:
  const ListStepHook& hook_;
  bool stopped_ = false;
};

enum class StepResult { Done, Failed, Stopped };

// The exclusive hold on sachgen.lck. The system lets go of it when the
// process ends, however it ends.
class StoreLock {
 public:
  enum State { Taken, Held, Unavailable };
  explicit StoreLock(const std::string& path) {
#ifdef _WIN32
    // A file opened without sharing cannot be opened again by anyone until
    // it is closed.
    fd_ = _sopen(path.c_str(), _O_RDWR | _O_CREAT | _O_BINARY | _O_NOINHERIT, _SH_DENYRW,
                 _S_IREAD | _S_IWRITE);
    if (fd_ >= 0) {
      state_ = Taken;
    } else {
      state_ = errno == EACCES ? Held : Unavailable;
    }
#else
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) return;
    // flock locks belong to the open file, so two opens in one process
    // exclude each other as two processes do.
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
      state_ = Taken;
      return;
    }
    state_ = errno == EWOULDBLOCK ? Held : Unavailable;
    ::close(fd_);
    fd_ = -1;
#endif
  }
  ~StoreLock() {
    if (fd_ < 0) return;
#ifdef _WIN32
    _close(fd_);
#else
    ::close(fd_);  // releases the flock
#endif
  }
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;
  State state() const {
    return state_;
  }

 private:
  int fd_ = -1;
  State state_ = Unavailable;
};

// Writes bytes as `temp`, flushes them and moves them over `path`, then
// flushes the folder: the marker's way of being replaced whole.
StepResult ReplaceSmallFile(const StorePaths& p, const std::string& path, const std::string& temp,
                            std::string_view bytes, std::string_view what, Steps& steps) {
  const std::string tag = std::string(" (") + std::string(what) + ")";
  if (!steps.go("write " + std::string(ListStoreNames::kMarker) + ".tmp" + tag))
    return StepResult::Stopped;
  UniqueFile f(std::fopen(temp.c_str(), "wb"));
  if (!f) return StepResult::Failed;
  if (std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size()) {
    f.reset();
    std::remove(temp.c_str());
    return StepResult::Failed;
  }
  if (!steps.go("flush " + std::string(ListStoreNames::kMarker) + ".tmp" + tag))
    return StepResult::Stopped;
  if (!FlushAndClose(f.release())) {
    std::remove(temp.c_str());
    return StepResult::Failed;
  }
  if (!steps.go("move " + std::string(ListStoreNames::kMarker) + tag)) return StepResult::Stopped;
  if (!MoveOver(temp, path)) {
    std::remove(temp.c_str());
    return StepResult::Failed;
  }
  if (!steps.go("flush folder" + tag)) return StepResult::Stopped;
  return FlushFolder(p.folder) ? StepResult::Done : StepResult::Failed;
}

StepResult WriteMarker(const StorePaths& p, const ListSetMarker& m, Steps& steps) {
  return ReplaceSmallFile(p, p.marker, p.markerTemp, ListSetMarkerText(m),
                          m.saving ? "saving" : "complete", steps);
}

void RemoveLeftovers(const StorePaths& p, bool temps) {
  for (int k = 0; k < kSetSize; ++k) {
    RemoveFile(p.olds[k]);
    if (temps) RemoveFile(p.temps[k]);
  }
  RemoveFile(p.markerTemp);
}

struct RecoverResult {
  ListRecovery recovery = ListRecovery::None;
  bool damaged = false;
  bool failed = false;   // a move did not succeed now; it may later
  bool stopped = false;  // the step hook ended it
  std::string reason;
};

// Completes or undoes an interrupted save; the caller holds the lock. The
// marker is read here, under the lock: one read before it was taken may be
// out of date.
RecoverResult Recover(const StorePaths& p, Steps& steps) {
  RecoverResult r;
  const MarkerRead marker = ReadMarker(p);
  auto moveRemainingTemps = [&]() {
    for (int k = 0; k < kSetSize; ++k) {
      if (!IsFile(p.temps[k])) continue;
      if (!steps.go("move " + std::string(kListSetFiles[k]))) return false;
      if (!MoveOver(p.temps[k], p.files[k])) {
        r.failed = true;
        r.reason = std::string("cannot move ") + kListSetFiles[k] + ".tmp in";
        return false;
      }
    }
    if (!steps.go("flush folder")) return false;
    if (!FlushFolder(p.folder)) {
      r.failed = true;
      r.reason = "cannot flush the data folder";
      return false;
    }
    return true;
  };
  auto finish = [&](ListRecovery what) {
    r.stopped = steps.stopped();
    if (r.stopped || r.failed) return r;
    r.recovery = what;
    return r;
  };

  if (marker.valid && marker.marker.saving) {
    // Each new file is in place or waits as .tmp, with the committed size.
    for (int k = 0; k < kSetSize; ++k) {
      const Stamp t = StampOf(p.temps[k]);
      const Stamp f = t.exists ? t : StampOf(p.files[k]);
      if (!f.exists || !f.regular || f.size != marker.marker.sizes[k]) {
        r.damaged = true;
        r.reason = std::string("an interrupted save cannot be completed: ") + kListSetFiles[k] +
                   (t.exists ? ".tmp" : "") + " is not the file it saved";
        return r;
      }
    }
    if (!moveRemainingTemps()) return finish(ListRecovery::Completed);
    ListSetMarker done = marker.marker;
    done.saving = false;
    switch (WriteMarker(p, done, steps)) {
      case StepResult::Stopped:
        return finish(ListRecovery::Completed);
      case StepResult::Failed:
        r.failed = true;
        r.reason = "cannot write " + std::string(ListStoreNames::kMarker);
        return r;
      case StepResult::Done:
        break;
    }
    if (!steps.go("remove leftovers")) return finish(ListRecovery::Completed);
    RemoveLeftovers(p, /*temps=*/false);
    return finish(ListRecovery::Completed);
  }

  if (AnyFile(p.olds)) {
    // An older copy of the program moved its old files aside as ".old" only
    // after every ".tmp" was written in full: the ".tmp" files and the files
    // already moved in make its new list.
    if (!moveRemainingTemps()) return finish(ListRecovery::Completed);
    for (int k = 0; k < 4; ++k) {
      if (!StampOf(p.files[k]).exists) {
        r.damaged = true;
        r.reason = std::string("an interrupted save of an older version left ") + kListSetFiles[k] +
                   " missing";
        return r;
      }
    }
    if (!steps.go("remove leftovers")) return finish(ListRecovery::Completed);
    RemoveLeftovers(p, /*temps=*/false);
    return finish(ListRecovery::Completed);
  }

  if (AnyFile(p.temps) || IsFile(p.markerTemp)) {
    // A save that never committed: its files are not known to be whole.
    if (!steps.go("remove leftovers")) return finish(ListRecovery::Discarded);
    RemoveLeftovers(p, /*temps=*/true);
    return finish(ListRecovery::Discarded);
  }
  return r;
}

// Writes lines with CR LF through a large buffer; remembers the first failure
// and counts the bytes written.
class LineWriter {
 public:
  explicit LineWriter(std::FILE* f) : f_(f) { buf_.reserve(kChunk + 4096); }
  template <class Fn>
  void line(Fn&& appendTo) {
    appendTo(buf_);
    buf_.append("\r\n");
    if (buf_.size() >= kChunk) flush();
  }
  bool finish() {
    flush();
    return ok_;
  }
  uint64_t bytes() const { return bytes_; }

 private:
  static constexpr size_t kChunk = 1 << 20;
  void flush() {
    if (!buf_.empty() && ok_) ok_ = std::fwrite(buf_.data(), 1, buf_.size(), f_) == buf_.size();
    bytes_ += buf_.size();
    buf_.clear();
  }
  std::FILE* f_;
  std::string buf_;
  bool ok_ = true;
  uint64_t bytes_ = 0;
};

// Writes the lines of file k of the set.
void WriteSetFile(int k, LineWriter& w, const SearchList& list, const DriveCounts& folderCounts,
                  const DriveCounts& fileCounts) {
  auto lines = [&w](const auto& l) {
    for (size_t i = 0; i < l.size(); ++i) w.line([&](std::string& b) { l.appendTextTo(i, b); });
  };
  auto counts = [&w](const DriveCounts& c) {
    for (const auto& e : c.entries())
      w.line([&](std::string& b) {
        b.push_back(e.letter);
        b.push_back('=');
        b.append(std::to_string(e.count));
      });
  };
  switch (k) {
    case 0: {
      const FolderLines& f = list.FolderList;
      for (size_t i = 0; i < f.size(); ++i) w.line([&](std::string& b) { b.append(f.path(i)); });
      break;
    }
    case 1:
      lines(list.FileList);
      break;
    case 2:
      lines(list.FolderInfoList);
      break;
    case 3:
      lines(list.FileInfoList);
      break;
    case 4:
      counts(folderCounts);
      break;
    default:
      counts(fileCounts);
      break;
  }
}

// The one place where the files of a set are read; the checks of each file
// belong to LoadListFiles and LoadDriveCounts.
void ReadSetFiles(const std::string& folder, SearchList& list, DriveCounts& folderCounts,
                  DriveCounts& fileCounts, ListLoadResult& result) {
  result.files = LoadListFiles(folder, list);
  if (!result.files.loaded()) return;
  result.folderCounts =
      LoadDriveCounts(DataFilePath(folder, ListFileNames::kFolderCounts), folderCounts);
  result.fileCounts = LoadDriveCounts(DataFilePath(folder, ListFileNames::kFileCounts), fileCounts);
}

bool ParseNumber(std::string_view s, uint64_t& out) {
  if (s.empty() || s.size() > 20) return false;
  uint64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    const unsigned d = static_cast<unsigned>(c - '0');
    if (v > (UINT64_MAX - d) / 10) return false;
    v = v * 10 + d;
  }
  out = v;
  return true;
}

}  // namespace

// ---- marker ----------------------------------------------------------------

std::string ListSetMarkerText(const ListSetMarker& m) {
  std::string s = kMarkerHead;
  s += "\r\ngeneration=" + std::to_string(m.generation);
  s += m.saving ? "\r\nstate=saving" : "\r\nstate=complete";
  for (int k = 0; k < kSetSize; ++k) {
    s += "\r\n";
    s += kListSetFiles[k];
    s += "=" + std::to_string(m.sizes[k]);
  }
  s += "\r\n";
  return s;
}

bool ParseListSetMarker(std::string_view text, ListSetMarker& out) {
  std::string_view lines[2 + 1 + kSetSize + 1];
  size_t n = 0;
  bool tooMany = false;
  ForEachLine(text, [&](std::string_view line) {
    if (n < std::size(lines)) {
      lines[n++] = line;
    } else {
      tooMany = true;
    }
  });
  if (tooMany || n != 3 + kSetSize || lines[0] != kMarkerHead) return false;
  auto value = [](std::string_view line, std::string_view key, std::string_view& v) {
    if (line.size() <= key.size() || line.substr(0, key.size()) != key || line[key.size()] != '=')
      return false;
    v = line.substr(key.size() + 1);
    return true;
  };
  ListSetMarker m;
  std::string_view v;
  if (!value(lines[1], "generation", v) || !ParseNumber(v, m.generation)) return false;
  if (!value(lines[2], "state", v)) return false;
  if (v == "saving") {
    m.saving = true;
  } else if (v != "complete") {
    return false;
  }
  for (int k = 0; k < kSetSize; ++k) {
    if (!value(lines[3 + k], kListSetFiles[k], v) || !ParseNumber(v, m.sizes[k])) return false;
  }
  out = m;
  return true;
}

// ---- file primitives -----------------------------------------------------

bool FlushAndClose(std::FILE* f) {
  UniqueFile owned(f);
  if (!f || std::fflush(f) != 0) return false;
#ifdef _WIN32
  if (_commit(_fileno(f)) != 0) return false;
#else
  if (::fsync(fileno(f)) != 0) return false;
#endif
  return std::fclose(owned.release()) == 0;
}

bool MoveOver(const std::string& from, const std::string& to) {
#ifdef _WIN32
  constexpr unsigned long kReplaceExisting = 0x1, kWriteThrough = 0x8;
  constexpr unsigned long kAccessDenied = 5, kSharingViolation = 32;
  // Replacing a file that a reader holds open fails until the reader closes
  // it; readers hold a list file for a fraction of a second.
  for (int attempt = 0;; ++attempt) {
    if (MoveFileExA(from.c_str(), to.c_str(), kReplaceExisting | kWriteThrough)) return true;
    const unsigned long error = GetLastError();
    if ((error != kAccessDenied && error != kSharingViolation) || attempt >= 200) return false;
    // A folder in the way gives the same error, and waiting does not help.
    const Stamp target = StampOf(to);
    if (target.exists && !target.regular) return false;
    SleepMs(25);
  }
#else
  return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

bool FlushFolder(const std::string& folder) {
#ifdef _WIN32
  (void)folder;  // every MoveFileEx was made with MOVEFILE_WRITE_THROUGH
  return true;
#else
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  // Some file systems cannot sync a folder and say so; their moves are as
  // durable as they get.
  const bool ok = ::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP;
  ::close(fd);
  return ok;
#endif
}

// ---- save ----------------------------------------------------------------

ListSaveResult SaveListStore(std::string_view dataFolder, const SearchList& list,
                             const DriveCounts& folderCounts, const DriveCounts& fileCounts,
                             const ListStepHook& hook) {
  const StorePaths p(dataFolder);
  Steps steps(hook);
  ListSaveResult result;
  auto stopped = [&result]() {
    result.outcome = ListSaveOutcome::Stopped;
    result.reason = "stopped by the step hook";
    return result;
  };

  std::unique_ptr<StoreLock> lock;
  for (int attempt = 0; attempt < kLockTries; ++attempt) {
    lock = std::make_unique<StoreLock>(p.lock);
    if (lock->state() != StoreLock::Held) break;
    lock.reset();
    SleepMs(kLockWaitMs);
  }
  if (!lock || lock->state() != StoreLock::Taken) {
    result.reason = lock ? "cannot create " + p.lock : "another save holds " + p.lock;
    return result;
  }

  // 0. An earlier interrupted save first: the marker must not say "saving"
  // while new .tmp files are written.
  const RecoverResult recovered = Recover(p, steps);
  if (recovered.stopped) return stopped();
  // A recovery that could not finish leaves the marker at "saving"; loads
  // wait while this save holds the lock, and the commit below replaces it.
  const MarkerRead before = ReadMarker(p);
  const uint64_t generation = before.valid ? before.marker.generation + 1 : 1;

  // Something other than a file where a list file belongs (a folder) could
  // not be replaced after the commit: the save stops before it.
  for (int k = 0; k < kSetSize; ++k) {
    const Stamp s = StampOf(p.files[k]);
    if (s.exists && !s.regular) {
      result.reason = p.files[k] + " is not a file";
      return result;
    }
  }

  // 1. Every file in full beside the stored one.
  ListSetMarker next;
  next.generation = generation;
  next.saving = true;
  auto dropTemps = [&p]() {
    for (const std::string& t : p.temps) RemoveFile(t);
  };
  for (int k = 0; k < kSetSize; ++k) {
    if (!steps.go("write " + std::string(kListSetFiles[k]) + ".tmp")) return stopped();
    UniqueFile f(std::fopen(p.temps[k].c_str(), "wb"));
    bool ok = static_cast<bool>(f);
    if (ok) {
      LineWriter w(f.get());
      try {
        WriteSetFile(k, w, list, folderCounts, fileCounts);
      } catch (const std::exception&) {
        ok = false;  // out of memory for a line
      }
      ok = w.finish() && ok;
      next.sizes[k] = w.bytes();
      if (!steps.go("flush " + std::string(kListSetFiles[k]) + ".tmp")) return stopped();
      ok = FlushAndClose(f.release()) && ok;
    }
    if (!ok) {
      dropTemps();
      result.reason = "cannot write " + p.temps[k];
      return result;
    }
  }

  // 2. Commit.
  switch (WriteMarker(p, next, steps)) {
    case StepResult::Stopped:
      return stopped();
    case StepResult::Failed: {
      // The stored marker is unchanged unless only the flush of the folder
      // failed; then the commit is in place and the files must follow.
      const MarkerRead now = ReadMarker(p);
      if (!now.valid || !now.marker.saving || now.marker.generation != next.generation) {
        dropTemps();
        result.reason = "cannot write " + p.marker;
        return result;
      }
      break;
    }
    case StepResult::Done:
      break;
  }

  // 3. The new files in.
  for (int k = 0; k < kSetSize; ++k) {
    if (!steps.go("move " + std::string(kListSetFiles[k]))) return stopped();
    if (!MoveOver(p.temps[k], p.files[k])) {
      result.outcome = ListSaveOutcome::Unfinished;
      result.reason = "cannot replace " + p.files[k];
      return result;
    }
  }
  if (!steps.go("flush folder")) return stopped();
  if (!FlushFolder(p.folder)) {
    result.outcome = ListSaveOutcome::Unfinished;
    result.reason = "cannot flush " + p.folder;
    return result;
  }

  // 4. Complete.
  next.saving = false;
  switch (WriteMarker(p, next, steps)) {
    case StepResult::Stopped:
      return stopped();
    case StepResult::Failed:
      result.outcome = ListSaveOutcome::Unfinished;
      result.reason = "cannot write " + p.marker;
      return result;
    case StepResult::Done:
      break;
  }

  // 5. Leftovers of older copies of the program.
  if (!steps.go("remove leftovers")) return stopped();
  RemoveLeftovers(p, /*temps=*/false);
  result.outcome = ListSaveOutcome::Saved;
  return result;
}

bool SaveListFiles(std::string_view dataFolder, const SearchList& list,
                   const DriveCounts& folderCounts, const DriveCounts& fileCounts) {
  return SaveListStore(dataFolder, list, folderCounts, fileCounts).outcome ==
         ListSaveOutcome::Saved;
}

// ---- load ----------------------------------------------------------------

ListLoadResult LoadListStore(std::string_view dataFolder, SearchList& list,
                             DriveCounts& folderCounts, DriveCounts& fileCounts,
                             const ListLoadOptions& options) {
  const StorePaths p(dataFolder);
  Steps steps(options.hook);
  ListLoadResult result;
  list.clear();
  // Leftovers that one recovery could not remove (a read-only file, a folder
  // of that name) do not keep the list from being read.
  bool recoveredOnce = false;
  for (int round = 0; round < options.maxTries; ++round) {
    if (round > 0) SleepMs(options.waitMs);
    const MarkerRead before = ReadMarker(p);
    const bool saving = before.valid && before.marker.saving;
    const bool moving = saving || (!recoveredOnce && AnyFile(p.olds));
    if (moving || (!recoveredOnce && (AnyFile(p.temps) || IsFile(p.markerTemp)))) {
      const StoreLock lock(p.lock);
      if (lock.state() == StoreLock::Taken) {
        const RecoverResult r = Recover(p, steps);
        if (r.stopped) {
          result.outcome = ListLoadOutcome::Busy;
          result.reason = "stopped by the step hook";
          return result;
        }
        if (r.damaged) {
          result.outcome = ListLoadOutcome::Damaged;
          result.reason = r.reason;
          return result;
        }
        if (r.recovery != ListRecovery::None) result.recovery = r.recovery;
        recoveredOnce = !r.failed;
        continue;  // read what the recovery left, or try the recovery again
      }
      // A save holds the lock: while it moves files, nothing is read; the
      // .tmp files it is still writing do not touch the stored ones.
      if (moving) continue;
    }

    Stamp stamps[kSetSize];
    for (int k = 0; k < kSetSize; ++k) stamps[k] = StampOf(p.files[k]);
    ++result.tries;
    DriveCounts folders, files;
    ReadSetFiles(p.folder, list, folders, files, result);
    const bool read = result.files.loaded();
    bool changed = !(ReadMarker(p) == before);
    for (int k = 0; k < kSetSize && !changed; ++k) changed = !(StampOf(p.files[k]) == stamps[k]);
    if (changed) {
      list.clear();
      continue;  // a save moved files during the read
    }
    result.fingerprint = FingerprintOf(before, stamps);
    if (!read) {
      list.clear();
      const bool damaged = result.files.status == ListLoadStatus::Damaged;
      result.outcome = damaged ? ListLoadOutcome::Damaged : ListLoadOutcome::NoList;
      result.reason = (damaged ? "damaged search list in " : "no readable search list in ") +
                      p.folder + ": " + result.files.text();
      return result;
    }
    folderCounts = std::move(folders);
    fileCounts = std::move(files);
    result.outcome = ListLoadOutcome::Loaded;
    return result;
  }
  list.clear();
  result.outcome = ListLoadOutcome::Busy;
  result.reason = "the search list is being saved: it kept changing while it was read";
  return result;
}

ListSetFingerprint ListSetFingerprintOf(std::string_view dataFolder) {
  const StorePaths p(dataFolder);
  const MarkerRead marker = ReadMarker(p);
  Stamp stamps[kSetSize];
  for (int k = 0; k < kSetSize; ++k) stamps[k] = StampOf(p.files[k]);
  return FingerprintOf(marker, stamps);
}

std::string RecoveryNote(ListRecovery recovery) {
  switch (recovery) {
    case ListRecovery::Completed:
      return "an interrupted save of the search list was completed; its list is used";
    case ListRecovery::Discarded:
      return "an unfinished save of the search list was discarded; the list saved before it is "
             "used";
    case ListRecovery::None:
      break;
  }
  return {};
}

}  // namespace filvex
