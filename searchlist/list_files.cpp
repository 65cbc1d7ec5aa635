#include "searchlist/list_files.h"

#include "searchlist/list_store.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <vector>

#ifdef _WIN32
#include <io.h>
// Declared here rather than through windows.h, which the portable core never
// includes.
extern "C" __declspec(dllimport) unsigned long __stdcall GetFileAttributesA(const char*);
#else
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

bool ReadWholeFile(const std::string& path, std::string& out) {
  out.clear();
  UniqueFile f(std::fopen(path.c_str(), "rb"));
  if (!f) return false;
  if (std::fseek(f.get(), 0, SEEK_END) != 0) return false;
#ifdef _WIN32
  long long size = _ftelli64(f.get());
#else
  long long size = ftello(f.get());
#endif
  if (size < 0 || std::fseek(f.get(), 0, SEEK_SET) != 0) return false;
  out.resize(static_cast<size_t>(size));
  size_t got = size ? std::fread(out.data(), 1, out.size(), f.get()) : 0;
  if (got != out.size() || std::ferror(f.get())) {
    out.clear();
    return false;
  }
  return true;
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

bool LoadListFiles(std::string_view dataFolder, SearchList& list) {
  list.clear();
  const char* names[] = {ListFileNames::kFolders, ListFileNames::kFiles,
                         ListFileNames::kFolderInfo, ListFileNames::kFileInfo};
  std::string paths[4];
  for (int k = 0; k < 4; ++k) {
    paths[k] = DataFilePath(dataFolder, names[k]);
    if (!FileExists(paths[k])) return false;
  }
  std::string text;
  bool ok = true;
  try {
    ok = ReadWholeFile(paths[0], text);
    if (ok) ParseFolderLines(text, list.FolderList);
    ok = ok && ReadWholeFile(paths[1], text);
    if (ok) ParseFileLines(text, list.FileList);
    ok = ok && ReadWholeFile(paths[2], text);
    if (ok) ParseInfoLines(text, list.FolderInfoList);
    ok = ok && ReadWholeFile(paths[3], text);
    if (ok) ParseInfoLines(text, list.FileInfoList);
  } catch (const std::exception&) {
    ok = false;  // out of memory or a list beyond 32-bit offsets
  }
  if (!ok) list.clear();
  return ok;
}

void LoadDriveCounts(const std::string& path, DriveCounts& counts) {
  counts.clear();
  std::string text;
  if (FileExists(path) && ReadWholeFile(path, text)) ParseDriveCounts(text, counts);
}

}  // namespace filvex
