#include "searchlist/list_files.h"

#include "searchlist/list_store.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <new>
#include <stdexcept>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
// Declared here rather than through windows.h, which the portable core never
// includes.
extern "C" __declspec(dllimport) unsigned long __stdcall GetFileAttributesA(const char*);
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace filvex {

namespace {

struct FileCloser {
  void operator()(FILE* f) const {
    if (f) std::fclose(f);
  }
};
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string TempPathFor(const std::string& path) { return path + ".tmp"; }

}  // namespace

std::string DataFilePath(std::string_view dataFolder, std::string_view fileName) {
  std::string p(dataFolder);
  if (!p.empty() && p.back() != '\\' && p.back() != '/') {
#ifdef _WIN32
    p.push_back('\\');
#else
    p.push_back('/');
#endif
  }
  p.append(fileName);
  return p;
}

bool FileExists(const std::string& path) {
#ifdef _WIN32
  unsigned long a = GetFileAttributesA(path.c_str());
  return a != 0xFFFFFFFFul && !(a & 0x10);
#else
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
#endif
}

namespace {

void CloseDescriptor(int fd) {
#ifdef _WIN32
  _close(fd);
#else
  ::close(fd);
#endif
}

// Closes a descriptor of the C library when it goes out of scope.
class DescriptorCloser {
 public:
  explicit DescriptorCloser(int fd) : fd_(fd) {}
  ~DescriptorCloser() { CloseDescriptor(fd_); }
  DescriptorCloser(const DescriptorCloser&) = delete;
  DescriptorCloser& operator=(const DescriptorCloser&) = delete;

 private:
  int fd_;
};

#ifdef _WIN32
// Why an open failed: a name that is not there, a folder (which the C
// library refuses to open), or anything else.
FileCheck OpenFailure(const std::string& path) {
  const unsigned long a = GetFileAttributesA(path.c_str());
  if (a == 0xFFFFFFFFul) return errno == ENOENT ? FileCheck::Missing : FileCheck::Unreadable;
  return (a & 0x10) ? FileCheck::NotRegularFile : FileCheck::Unreadable;
}
#endif

}  // namespace

const char* FileCheckText(FileCheck check) {
  switch (check) {
    case FileCheck::Ok:
      return "readable";
    case FileCheck::Missing:
      return "missing";
    case FileCheck::NotRegularFile:
      return "not a regular file";
    case FileCheck::TooLarge:
      return "too large";
    case FileCheck::Unreadable:
      return "cannot be read";
  }
  return "cannot be read";
}

namespace {

// Opens a data file for reading and checks, on the opened file itself, that
// it is a regular file of at most `limit` bytes, so that nothing can be
// swapped in between the check and the read. On Ok, *fd is open (the caller
// closes it) and *size is the file's length.
FileCheck OpenDataFile(const std::string& path, uint64_t limit, int* fd, uint64_t* size) {
#ifdef _WIN32
  // A folder fails to open. A pipe (a Unix FIFO seen through Wine) opens at
  // once as a pipe handle, which the type check refuses.
  *fd = _open(path.c_str(), _O_RDONLY | _O_BINARY);
  if (*fd < 0) return OpenFailure(path);
  struct _stati64 st;
  const bool regular = _fstati64(*fd, &st) == 0 && (st.st_mode & _S_IFMT) == _S_IFREG;
#else
  // Opened without waiting: opening a pipe for reading would otherwise block
  // until some writer opens it.
  *fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (*fd < 0) {
    return errno == ENOENT || errno == ENOTDIR ? FileCheck::Missing : FileCheck::Unreadable;
  }
  struct stat st;
  const bool regular = ::fstat(*fd, &st) == 0 && S_ISREG(st.st_mode);
#endif
  FileCheck check = FileCheck::Ok;
  if (!regular) {
    check = FileCheck::NotRegularFile;
  } else if (st.st_size < 0 || static_cast<uint64_t>(st.st_size) > limit) {
    check = FileCheck::TooLarge;
  }
  if (check != FileCheck::Ok) {
    CloseDescriptor(*fd);
    *fd = -1;
    return check;
  }
  *size = static_cast<uint64_t>(st.st_size);
  return FileCheck::Ok;
}

}  // namespace

FileCheck CheckDataFile(const std::string& path, uint64_t limit) {
  int fd = -1;
  uint64_t size = 0;
  const FileCheck check = OpenDataFile(path, limit, &fd, &size);
  if (check == FileCheck::Ok) CloseDescriptor(fd);
  return check;
}

FileCheck ReadDataFile(const std::string& path, uint64_t limit, std::string& out) {
  out.clear();
  int fd = -1;
  uint64_t size = 0;
  const FileCheck check = OpenDataFile(path, limit, &fd, &size);
  if (check != FileCheck::Ok) return check;
  DescriptorCloser closer(fd);
  out.resize(static_cast<size_t>(size));
  size_t got = 0;
  while (got < out.size()) {
    // At most 1 GB per call: the Windows C library counts in unsigned int.
    const size_t want = std::min<size_t>(out.size() - got, size_t{1} << 30);
#ifdef _WIN32
    const int n = _read(fd, out.data() + got, static_cast<unsigned>(want));
#else
    const ssize_t n = ::read(fd, out.data() + got, want);
    if (n < 0 && errno == EINTR) continue;
#endif
    if (n < 0) {
      out.clear();
      return FileCheck::Unreadable;
    }
    if (n == 0) break;  // the file was shortened while it was read
    got += static_cast<size_t>(n);
  }
  out.resize(got);
  return FileCheck::Ok;
}

bool ReadWholeFile(const std::string& path, std::string& out) {
  try {
    return ReadDataFile(path, kListFileLimit, out) == FileCheck::Ok;
  } catch (const std::exception&) {
    out.clear();
    return false;  // out of memory
  }
}

bool ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
  std::string tmp = TempPathFor(path);
  UniqueFile f(std::fopen(tmp.c_str(), "wb"));
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size() &&
            FlushAndClose(f.release());
  if (!ok || !MoveOver(tmp, path)) {
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

size_t CountLines(std::string_view text) {
  size_t n = 0;
  ForEachLine(text, [&](std::string_view) { ++n; });
  return n;
}

namespace {

// Keeps the line room of a list ahead of a file being read: from the lines
// read so far and the share of the file they took, the whole file's lines
// are projected and room made for them at once, so that a list of a million
// lines is neither grown by doubling (a copy of everything at each step)
// nor counted in a pass of its own.
template <class Lines>
void ProjectLines(Lines& out, uint64_t done, uint64_t total) {
  const uint64_t lines = out.size();
  if (done == 0 || done >= total || lines == 0) return;
  const uint64_t projected = lines + lines * (total - done) / done;
  if (projected <= out.lineCapacity()) return;
  out.reserveLines(static_cast<size_t>(projected + projected / 32 + 64));
}

// The line handlers of the four lists: begin(bytes of the text), line(text
// of one line), piece(bytes read so far), end().
struct FolderSink {
  FolderLines& out;
  uint64_t total = 0;
  void begin(uint64_t bytes) {
    out.clear();
    total = bytes;
    // Paths and their line ends never take more than the file.
    out.reserve(0, static_cast<size_t>(bytes) + 1);
  }
  void line(std::string_view l) { out.append(l); }
  void piece(uint64_t done) { ProjectLines(out, done, total); }
  void end() { out.shrinkToFit(); }
};

struct FileSink {
  FileLines& out;
  uint64_t total = 0;
  void begin(uint64_t bytes) {
    out.clear();
    total = bytes;
    // Each name and its "\n" take no more bytes than its line and line end
    // in the file; one more for a last line without an end.
    out.reserve(0, static_cast<size_t>(bytes) + 1);
  }
  void line(std::string_view l) { out.appendText(l); }
  void piece(uint64_t done) { ProjectLines(out, done, total); }
  void end() { out.shrinkToFit(); }
};

struct InfoSink {
  InfoLines& out;
  uint64_t total = 0;
  void begin(uint64_t bytes) {
    out.clear();
    total = bytes;
  }
  void line(std::string_view l) { out.appendText(l); }
  void piece(uint64_t done) { ProjectLines(out, done, total); }
  void end() {}
};

template <class Sink>
void ParseWhole(std::string_view text, Sink sink) {
  sink.begin(text.size());
  ForEachLine(text, [&](std::string_view line) { sink.line(line); });
  sink.piece(text.size());
  sink.end();
}

// Reads an opened data file of `size` bytes piece by piece into one small
// buffer and hands its lines to the sink, exactly as ForEachLine would hand
// the lines of the whole text: the file's bytes are never held whole, and
// only the list's own buffers grow. A line longer than the buffer grows it.
template <class Sink>
FileCheck ParseFile(int fd, uint64_t size, Sink sink) {
  size_t cap = kListReadPiece;
  std::unique_ptr<char[]> buf(new char[cap]);
  size_t have = 0;  // bytes of an unfinished line carried over
  uint64_t done = 0;
  auto isEnd = [](char c) { return c == '\n' || c == '\r'; };
  sink.begin(size);
  for (;;) {
    if (have == cap) {
      std::unique_ptr<char[]> bigger(new char[cap * 2]);
      std::memcpy(bigger.get(), buf.get(), have);
      buf = std::move(bigger);
      cap *= 2;
    }
    // At most 1 GB per call: the Windows C library counts in unsigned int.
    const size_t want = std::min<size_t>(cap - have, size_t{1} << 30);
#ifdef _WIN32
    const int n = _read(fd, buf.get() + have, static_cast<unsigned>(want));
#else
    const ssize_t n = ::read(fd, buf.get() + have, want);
    if (n < 0 && errno == EINTR) continue;
#endif
    if (n < 0) return FileCheck::Unreadable;
    if (n == 0) break;  // the end, or the file was shortened while it was read
    have += static_cast<size_t>(n);
    done += static_cast<uint64_t>(n);
    // Hand over the lines that end in the buffer. A CR in its last byte may
    // be the first half of a CR LF: it waits for the next piece.
    size_t cut = have;
    if (buf[cut - 1] == '\r') --cut;
    while (cut > 0 && !isEnd(buf[cut - 1])) --cut;
    ForEachLine(std::string_view(buf.get(), cut), [&](std::string_view line) { sink.line(line); });
    std::memmove(buf.get(), buf.get() + cut, have - cut);
    have -= cut;
    sink.piece(done);
  }
  ForEachLine(std::string_view(buf.get(), have), [&](std::string_view line) { sink.line(line); });
  sink.end();
  return FileCheck::Ok;
}

}  // namespace

void ParseFolderLines(std::string_view text, FolderLines& out) {
  ParseWhole(text, FolderSink{out});
}

void ParseFileLines(std::string_view text, FileLines& out) {
  ParseWhole(text, FileSink{out});
}

void ParseInfoLines(std::string_view text, InfoLines& out) {
  ParseWhole(text, InfoSink{out});
}

void ParseDriveCounts(std::string_view text, DriveCounts& out) {
  out.clear();
  ForEachLine(text, [&](std::string_view line) {
    // "C=15234"; anything else is not a count and is left out.
    if (line.size() < 3 || line[1] != '=') return;
    uint64_t v = 0;
    for (char c : line.substr(2)) {
      if (!IsDigit(c) || v > 0xFFFFFFFFull) return;
      v = v * 10 + static_cast<unsigned>(c - '0');
    }
    if (v > 0xFFFFFFFFull) return;
    char letter = line[0];
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 32);
    out.add(letter, static_cast<uint32_t>(v));
  });
}

namespace {
template <class List>
std::string WholeText(const List& l) {
  std::string s;
  for (size_t i = 0; i < l.size(); ++i) {
    l.appendTextTo(i, s);
    s.append("\r\n");
  }
  return s;
}
}  // namespace

std::string FolderLinesText(const FolderLines& l) {
  std::string s;
  for (size_t i = 0; i < l.size(); ++i) {
    s.append(l.path(i));
    s.append("\r\n");
  }
  return s;
}
std::string FileLinesText(const FileLines& l) { return WholeText(l); }
std::string InfoLinesText(const InfoLines& l) { return WholeText(l); }
std::string DriveCountsText(const DriveCounts& c) {
  std::string s;
  for (const auto& e : c.entries()) {
    s.push_back(e.letter);
    s.push_back('=');
    s.append(std::to_string(e.count));
    s.append("\r\n");
  }
  return s;
}

std::string ListFilesResult::text() const {
  std::string t = file + ": ";
  switch (damage) {
    case ListDamage::None:
      return status == ListLoadStatus::Missing ? t + "missing" : std::string();
    case ListDamage::NotRegularFile:
      return t + "not a regular file";
    case ListDamage::TooLarge:
      return t + "too large (the largest list file is 4 GB)";
    case ListDamage::Unreadable:
      return t + "cannot be read";
    case ListDamage::OutOfMemory:
      return t + "too large to load into memory";
    case ListDamage::LineCountsDiffer:
      return t + std::to_string(lines) + " lines, but " + otherFile + " has " +
             std::to_string(otherLines) + " (they must match line for line)";
  }
  return t + "cannot be read";
}

ListFilesResult CheckListConsistency(const SearchList& list) {
  ListFilesResult r;
  auto differ = [&](const char* file, size_t lines, const char* other, size_t otherLines) {
    r.status = ListLoadStatus::Damaged;
    r.damage = ListDamage::LineCountsDiffer;
    r.file = file;
    r.lines = lines;
    r.otherFile = other;
    r.otherLines = otherLines;
    return r;
  };
  // The information file is named as the damaged one: its lines are the
  // ones that would be read for the wrong entry.
  if (list.FolderInfoList.size() != list.FolderList.size()) {
    return differ(ListFileNames::kFolderInfo, list.FolderInfoList.size(), ListFileNames::kFolders,
                  list.FolderList.size());
  }
  if (list.FileInfoList.size() != list.FileList.size()) {
    return differ(ListFileNames::kFileInfo, list.FileInfoList.size(), ListFileNames::kFiles,
                  list.FileList.size());
  }
  r.status = ListLoadStatus::Loaded;
  return r;
}

namespace {

// What reading one list file found: nothing wrong, not there, or damaged.
struct FileRead {
  bool missing = false;
  ListDamage damage = ListDamage::None;
};

// Reads list file k (in the order of LoadListFiles' names) into its list.
FileRead ReadListFile(int k, const std::string& path, SearchList& list) {
  FileRead r;
  try {
    int fd = -1;
    uint64_t size = 0;
    switch (OpenDataFile(path, kListFileLimit, &fd, &size)) {
      case FileCheck::Ok:
        break;
      case FileCheck::Missing:  // removed since it was found
        r.missing = true;
        return r;
      case FileCheck::NotRegularFile:
        r.damage = ListDamage::NotRegularFile;
        return r;
      case FileCheck::TooLarge:
        r.damage = ListDamage::TooLarge;
        return r;
      case FileCheck::Unreadable:
        r.damage = ListDamage::Unreadable;
        return r;
    }
    DescriptorCloser closer(fd);
    FileCheck read = FileCheck::Ok;
    switch (k) {
      case 0:
        read = ParseFile(fd, size, FolderSink{list.FolderList});
        break;
      case 1:
        read = ParseFile(fd, size, FileSink{list.FileList});
        break;
      case 2:
        read = ParseFile(fd, size, InfoSink{list.FolderInfoList});
        break;
      default:
        read = ParseFile(fd, size, InfoSink{list.FileInfoList});
        break;
    }
    if (read != FileCheck::Ok) r.damage = ListDamage::Unreadable;
  } catch (const std::exception&) {
    r.damage = ListDamage::OutOfMemory;  // or a list beyond 32-bit offsets
  }
  return r;
}

}  // namespace

ListFilesResult LoadListFiles(std::string_view dataFolder, SearchList& list) {
  list.clear();
  const char* names[] = {ListFileNames::kFolders, ListFileNames::kFiles,
                         ListFileNames::kFolderInfo, ListFileNames::kFileInfo};
  std::string paths[4];
  ListFilesResult r;
  // All four or none: with one missing there is no list to load.
  for (int k = 0; k < 4; ++k) {
    paths[k] = DataFilePath(dataFolder, names[k]);
    if (CheckDataFile(paths[k], kListFileLimit) == FileCheck::Missing) {
      r.file = names[k];
      return r;
    }
  }
  // The files' list is read here, and the three others on a second thread
  // meanwhile: each file fills lists of its own. The files' names are about
  // half of the reading of a list of a million entries; with the folders'
  // paths on this thread too, the second one waited for it a third of the
  // time, and on two cores that wait was the start's last step. Without a
  // thread to be had, all four are read here.
  FileRead reads[4];
  auto readOthers = [&] {
    for (int k : {0, 2, 3}) reads[k] = ReadListFile(k, paths[k], list);
  };
  std::thread second;
  try {
    second = std::thread(readOthers);
  } catch (const std::exception&) {
  }
  reads[1] = ReadListFile(1, paths[1], list);
  if (second.joinable()) {
    second.join();
  } else {
    readOthers();
  }
  // The first file in their order that is missing or damaged is named.
  for (int k = 0; k < 4; ++k) {
    if (reads[k].missing) {
      list.clear();
      r.file = names[k];
      return r;
    }
    if (reads[k].damage != ListDamage::None) {
      list.clear();
      r.status = ListLoadStatus::Damaged;
      r.damage = reads[k].damage;
      r.file = names[k];
      return r;
    }
  }
  r = CheckListConsistency(list);
  if (!r.loaded()) list.clear();
  return r;
}

FileCheck LoadDriveCounts(const std::string& path, DriveCounts& counts) {
  counts.clear();
  std::string text;
  const FileCheck check = ReadDataFile(path, kSmallFileLimit, text);
  if (check == FileCheck::Ok) ParseDriveCounts(text, counts);
  return check;
}

}  // namespace filvex
