#pragma once
// Path lists handed to the shell and the clipboard. A list's text form holds
// each path followed by CR LF; its byte form (DoubleNulList) ends each path
// with one NUL and the whole list with two more, as SHFileOperation and
// CF_HDROP expect: the paths A and B give A, NUL, B, NUL, NUL, NUL.

#include <string>
#include <string_view>
#include <vector>

namespace filvex {

// The text form of a list: every path followed by CR LF.
std::string ListText(const std::vector<std::string>& paths);

// The lines of a text form; any line end (CR LF, CR, LF) ends a line, and
// empty lines are dropped (an empty path names nothing).
std::vector<std::string> ListLines(std::string_view text);

// The byte form of a text form: each CR LF becomes one NUL, then two NULs are
// appended. Its size is the text's size minus the number of paths plus 2.
std::string DoubleNulList(std::string_view listText);
inline std::string DoubleNulList(const std::vector<std::string>& paths) {
  return DoubleNulList(ListText(paths));
}

}  // namespace filvex
