#pragma once
// The six search-list files of the data folder, and the file primitives they
// share with every other data file.
//
// Format (all six files): text in the ANSI code page, one list line per text
// line, every line ended by CR LF on write; on read CR LF, a lone CR or a lone
// LF ends a line, and a last line without an end still counts. An empty list
// is an empty file. No header, version or checksum.
//   sach.txt       FolderList      full folder path ("C:" for a drive root,
//                                  empty for a removed folder)
//   sachinfo1.txt  FolderInfoList  created(16) written(16) attr(2 hex)
//   sachfile.txt   FileList        folder number "=" file name
//   sachinfo2.txt  FileInfoList    created(16) written(16) attr(2 hex) sizeKB
//   folderdat.txt  FolderCounts    drive letter "=" folder lines of the drive
//   filedat.txt    FileCounts      drive letter "=" file lines of the drive
// Dates are "yyyy/mm/dd hh:nn" local time; a drive root's information line is
// the literal "yyyy/mm/dd hh:nnyyyy/mm/dd hh:nn00".

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "searchlist/find_byte.h"
#include "searchlist/search_list.h"

namespace filvex {

struct ListFileNames {
  static constexpr const char* kFolders = "sach.txt";
  static constexpr const char* kFiles = "sachfile.txt";
  static constexpr const char* kFolderInfo = "sachinfo1.txt";
  static constexpr const char* kFileInfo = "sachinfo2.txt";
  static constexpr const char* kFolderCounts = "folderdat.txt";
  static constexpr const char* kFileCounts = "filedat.txt";
};

// Joins the data folder (with or without a trailing separator) and a file name.
std::string DataFilePath(std::string_view dataFolder, std::string_view fileName);

bool FileExists(const std::string& path);
// Reads a whole file; false when it cannot be opened or read, or when it is
// not a regular file of at most kListFileLimit bytes.
bool ReadWholeFile(const std::string& path, std::string& out);

// What a data file turned out to be when it was about to be read. Every file
// of the data folder may be damaged or hostile: a folder or a pipe where a
// file should be, or a file far larger than the program ever writes (a sparse
// file of 100 GB costs nothing on disk but would be read into memory whole).
enum class FileCheck { Ok, Missing, NotRegularFile, TooLarge, Unreadable };
// "not a regular file", "too large", ...: for messages in English.
const char* FileCheckText(FileCheck check);

// Plausible sizes. The settings file holds nine short keys and the count
// files one line per drive; 4 MB leaves room for any hand-edited file and
// still reads at once. A list file is held in buffers addressed by 32-bit
// offsets, so no list file can be larger than that.
constexpr uint64_t kSmallFileLimit = uint64_t{4} << 20;
constexpr uint64_t kListFileLimit = 0xFFFFFFFFull;

// Reads a whole data file after checking, on the opened file itself, that it
// is a regular file of at most `limit` bytes. The file is opened without
// waiting, so a pipe placed under the name never blocks the reader. `out` is
// empty unless the result is Ok.
FileCheck ReadDataFile(const std::string& path, uint64_t limit, std::string& out);
// The same check without reading, for files that another reader opens (the
// profile functions of the window).
FileCheck CheckDataFile(const std::string& path, uint64_t limit);
// Writes bytes to a temporary file beside path, flushes it and replaces path
// with it; on any failure the previous file stays whole and false is returned.
bool ReplaceFileAtomically(const std::string& path, std::string_view bytes);

// Calls fn(line) for every line of text, with CR LF, CR or LF as line ends.
// Line ends are found 16 bytes at a time (FindByte), which matters for files
// of tens of megabytes.
template <class Fn>
void ForEachLine(std::string_view text, Fn&& fn) {
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end) {
    const char* lf = FindByte(p, '\n', static_cast<size_t>(end - p));
    const char* stop = lf ? lf : end;
    // A lone CR also ends a line; CR LF ends one line, not two.
    bool crlf = false;
    while (const char* cr = FindByte(p, '\r', static_cast<size_t>(stop - p))) {
      fn(std::string_view(p, static_cast<size_t>(cr - p)));
      p = cr + 1;
      if (p == lf) {
        crlf = true;
        break;
      }
    }
    if (crlf) {
      p = lf + 1;
    } else if (lf) {
      fn(std::string_view(p, static_cast<size_t>(lf - p)));
      p = lf + 1;
    } else {
      if (p < end) fn(std::string_view(p, static_cast<size_t>(end - p)));
      p = end;
    }
  }
}
size_t CountLines(std::string_view text);

// LoadListFiles reads each list file through a buffer of this many bytes.
// Under Windows a heap block of a megabyte or more is memory of its own,
// fresh pages each time, and every file's buffer cost 256 page faults (about
// 1,400 of a million-entry list's 14,000 under Wine); a block of this size
// comes from the heap's own pages, which the next file's read reuses, and
// reads as fast.
constexpr size_t kListReadPiece = size_t{256} << 10;

// Parsing and writing of whole lists held in memory (the tests and fuzzing;
// LoadListFiles reads the files a piece at a time by the same rules).
void ParseFolderLines(std::string_view text, FolderLines& out);
void ParseFileLines(std::string_view text, FileLines& out);
void ParseInfoLines(std::string_view text, InfoLines& out);
void ParseDriveCounts(std::string_view text, DriveCounts& out);
std::string FolderLinesText(const FolderLines& l);
std::string FileLinesText(const FileLines& l);
std::string InfoLinesText(const InfoLines& l);
std::string DriveCountsText(const DriveCounts& c);

// What loading the four list files found. A list that is Missing was never
// there (or not whole): the program offers to build one. A Damaged list is
// there but cannot be trusted; it is never searched, and its files are left
// as they are until a new list is saved over them.
enum class ListLoadStatus { Loaded, Missing, Damaged };
enum class ListDamage {
  None,
  NotRegularFile,    // a folder, pipe or device under a list file's name
  TooLarge,          // beyond kListFileLimit
  Unreadable,        // the file could not be opened or read
  OutOfMemory,       // the lists do not fit into memory
  LineCountsDiffer,  // a list and its information list disagree in length
};
struct ListFilesResult {
  ListLoadStatus status = ListLoadStatus::Missing;
  ListDamage damage = ListDamage::None;
  std::string file;                  // the missing or damaged file's name, e.g. "sachinfo2.txt"
  std::string otherFile;             // LineCountsDiffer: the file it disagrees with
  size_t lines = 0, otherLines = 0;  // LineCountsDiffer: the two line counts

  bool loaded() const { return status == ListLoadStatus::Loaded; }
  explicit operator bool() const { return loaded(); }
  // One line in English naming the file and what is wrong with it, e.g.
  // "sachinfo2.txt: 5 lines, but sachfile.txt has 4 (they must match line for
  // line)"; empty when loaded.
  std::string text() const;
};

// Loads the four list files. Missing when any of the four does not exist
// (nothing is loaded); Damaged when one cannot be read (see ListDamage) or
// the loaded lists fail CheckListConsistency. Unless the result is Loaded,
// `list` is left empty.
ListFilesResult LoadListFiles(std::string_view dataFolder, SearchList& list);
// Checks the four lists of one set against each other. A file cut short by a
// crash or a full disk, or a stray line end (CR CR LF reads as two lines),
// shifts every later line against its information line, so that paths,
// dates and attributes would belong to other entries: FolderList and
// FolderInfoList, and FileList and FileInfoList, must have the same number of
// lines. Loaded or Damaged (LineCountsDiffer).
ListFilesResult CheckListConsistency(const SearchList& list);

// Loads one count file; `counts` is emptied first. Missing when the file does
// not exist; any other result but Ok means the counts cannot be used and
// should be recomputed from the list (CountEntriesPerDrive).
FileCheck LoadDriveCounts(const std::string& path, DriveCounts& counts);
// Writes the four list files and the two count files as one set through
// SaveListStore (searchlist/list_store.h, which also documents how a save is
// made safe against a kill and against readers); true only when the new set
// is in place. Defined in list_store.cpp.
bool SaveListFiles(std::string_view dataFolder, const SearchList& list,
                   const DriveCounts& folderCounts, const DriveCounts& fileCounts);

}  // namespace filvex
