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

#include <cstring>
#include <string>
#include <string_view>

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
// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& out);
// Writes bytes to a temporary file beside path, flushes it and replaces path
// with it; on any failure the previous file stays whole and false is returned.
bool ReplaceFileAtomically(const std::string& path, std::string_view bytes);

// Calls fn(line) for every line of text, with CR LF, CR or LF as line ends.
// Lines are found with memchr, which matters for files of tens of megabytes.
template <class Fn>
void ForEachLine(std::string_view text, Fn&& fn) {
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end) {
    const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
    const char* stop = lf ? lf : end;
    // A lone CR also ends a line; CR LF ends one line, not two.
    bool crlf = false;
    while (const char* cr =
               static_cast<const char*>(std::memchr(p, '\r', static_cast<size_t>(stop - p)))) {
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

// Parsing and writing of whole lists (used by the loader, the tests and fuzzing).
void ParseFolderLines(std::string_view text, FolderLines& out);
void ParseFileLines(std::string_view text, FileLines& out);
void ParseInfoLines(std::string_view text, InfoLines& out);
void ParseDriveCounts(std::string_view text, DriveCounts& out);
std::string FolderLinesText(const FolderLines& l);
std::string FileLinesText(const FileLines& l);
std::string InfoLinesText(const InfoLines& l);
std::string DriveCountsText(const DriveCounts& c);

// Loads the four list files when all four exist and can be read (true);
// otherwise leaves `list` empty and returns false.
bool LoadListFiles(std::string_view dataFolder, SearchList& list);
// Loads one count file when it exists; `counts` is emptied first.
void LoadDriveCounts(const std::string& path, DriveCounts& counts);
// Writes the four list files and the two count files as one set through
// SaveListStore (searchlist/list_store.h, which also documents how a save is
// made safe against a kill and against readers); true only when the new set
// is in place. Defined in list_store.cpp.
bool SaveListFiles(std::string_view dataFolder, const SearchList& list,
                   const DriveCounts& folderCounts, const DriveCounts& fileCounts);

}  // namespace filvex
