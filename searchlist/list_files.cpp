#include "searchlist/list_files.h"

#include "searchlist/list_store.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <new>
#include <stdexcept>
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

void ParseFolderLines(std::string_view text, FolderLines& out) {
  out.clear();
  out.reserve(CountLines(text), text.size());
  ForEachLine(text, [&](std::string_view line) { out.append(line); });
}

void ParseFileLines(std::string_view text, FileLines& out) {
  out.clear();
  out.reserve(CountLines(text), text.size());
  ForEachLine(text, [&](std::string_view line) { out.appendText(line); });
}

void ParseInfoLines(std::string_view text, InfoLines& out) {
  out.clear();
  out.reserve(CountLines(text));
  ForEachLine(text, [&](std::string_view line) { out.appendText(line); });
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
  auto fail = [&](int k, ListDamage damage) {
    list.clear();
    r.status = ListLoadStatus::Damaged;
    r.damage = damage;
    r.file = names[k];
    return r;
  };
  std::string text;
  int k = 0;
  try {
    for (; k < 4; ++k) {
      switch (ReadDataFile(paths[k], kListFileLimit, text)) {
        case FileCheck::Ok:
          break;
        case FileCheck::Missing:  // removed since the check above
          list.clear();
          r.file = names[k];
          return r;
        case FileCheck::NotRegularFile:
          return fail(k, ListDamage::NotRegularFile);
        case FileCheck::TooLarge:
          return fail(k, ListDamage::TooLarge);
        case FileCheck::Unreadable:
          return fail(k, ListDamage::Unreadable);
      }
      switch (k) {
        case 0:
          ParseFolderLines(text, list.FolderList);
          break;
        case 1:
          ParseFileLines(text, list.FileList);
          break;
        case 2:
          ParseInfoLines(text, list.FolderInfoList);
          break;
        default:
          ParseInfoLines(text, list.FileInfoList);
          break;
      }
    }
  } catch (const std::exception&) {
    return fail(k, ListDamage::OutOfMemory);  // or a list beyond 32-bit offsets
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
