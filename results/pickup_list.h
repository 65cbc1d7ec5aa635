#pragma once
// The pickup list: files and folders the user keeps across program runs.
//
// File data\hitkeep.txt: text in the ANSI code page, one full path per line,
// lines ended by CR LF on write, no header, no blank lines written. The paths
// are the rows' paths as they were added (files or folders), in the order of
// adding, each at most once (paths compare without regard to case). On read,
// CR LF, a lone CR or a lone LF ends a line, and blank lines are skipped.
//
// The file may be damaged or hostile. A read that finds anything but a small
// regular file of full paths is refused as a whole, with the reason, and a
// command that was refused its read never writes the file: what the user
// kept stays on disk for them to repair.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "searchlist/list_files.h"

namespace filvex {

// A pickup file is read whole on every pickup command; 4 MB are some tens of
// thousands of paths, far beyond what a user keeps by hand.
constexpr uint64_t kPickupFileLimit = kSmallFileLimit;
// No path the program shows is longer than the longest path the system
// accepts; a longer line is not a path.
constexpr size_t kPickupPathLimit = 32767;

// True for a full path that can be kept: "X:\..." or "\\server\...", no
// control characters, no characters that no path contains (< > " | * ?),
// no ":" after the drive, no cut double-byte character at the end. Bytes of
// double-byte characters are never taken for any of these.
bool IsPickupPath(std::string_view line);

enum class PickupRefusal {
  None,
  NotRegularFile,  // a folder, pipe or device under the file's name
  TooLarge,        // beyond kPickupFileLimit
  Unreadable,      // the file could not be opened or read
  NotAPath,        // a line that is not a full path (line number kept)
};

struct PickupReadResult {
  bool exists = false;  // false: no pickup file yet (an empty list, not a refusal)
  PickupRefusal refusal = PickupRefusal::None;
  size_t line = 0;  // NotAPath: the 1-based line number

  bool ok() const { return refusal == PickupRefusal::None; }
  // The reason in Japanese, for the message the user sees; empty when ok.
  std::string text() const;
};

// Splits the file's text into paths; refuses (NotAPath) at the first line
// that is not a full path, and then leaves `paths` empty.
PickupReadResult ParsePickupText(std::string_view text, std::vector<std::string>& paths);
// Reads and parses the pickup file; a missing file gives an empty list and
// exists == false. Unless the result is ok, `paths` is empty.
PickupReadResult LoadPickupFile(const std::string& path, std::vector<std::string>& paths);

// The file's text for a list: every path followed by CR LF.
std::string PickupText(const std::vector<std::string>& paths);
// Rewrites the whole file through ReplaceFileAtomically: on failure the
// previous file stays whole and false is returned.
bool SavePickupFile(const std::string& path, const std::vector<std::string>& paths);

// Index of path in paths, compared with the program's case fold (which never
// alters the trail byte of a double-byte character); npos when absent.
size_t FindPickupPath(const std::vector<std::string>& paths, std::string_view path);
// Appends path unless it is already kept or is no keepable path; true when
// it was appended.
bool AddPickupPath(std::vector<std::string>& paths, std::string_view path);
// Removes the kept line matching path; true when one was removed.
bool RemovePickupPath(std::vector<std::string>& paths, std::string_view path);

// The question asked before rows are taken out of the pickup list: with
// several rows "これらの N 個のファイル", with one its caption and a space,
// followed by "をピックアップリストから削除します。よろしいですか？".
std::string PickupRemovalQuestion(size_t selectedCount, std::string_view firstCaption);
// The title of that question.
std::string PickupRemovalTitle();

}  // namespace filvex
