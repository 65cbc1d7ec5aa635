#pragma once
// filvex-find: the search of Filvex from a console. It loads a data folder's
// search list and settings, runs exactly the scan of the search window, sorts
// the hits as the window does after a search, and prints them.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace filvex {

// Exit statuses.
constexpr int kFindHits = 0;
constexpr int kFindNoHits = 1;
constexpr int kFindUsageError = 2;

// What stands in the output for a byte sequence of the list that is not
// valid CP932 (a damaged list) or has no form in the terminal's code set. "?"
// can be no part of a Windows file name, so it never reads as one.
constexpr char kReplacementChar = '?';

// The terminal's side of the client's texts (codeset.h has the native one).
class TerminalText {
 public:
  virtual ~TerminalText() = default;
  // The list's bytes (CP932) for text typed in the terminal; false when it
  // holds a character that CP932 lacks or bytes invalid in the terminal.
  virtual bool ToList(std::string_view typed, std::string& listBytes) = 0;
  // The terminal's text for the list's bytes; returns how many byte sequences
  // had no form there and were replaced by a visible mark.
  virtual size_t FromList(std::string_view listBytes, std::string& shown) = 0;
};

// Runs the client on its arguments (without the program name). Hits and the
// count go to out; messages go to err. A data folder not given with --data is
// defaultDataFolder. With a terminal, the query is converted from its text to
// the list's bytes, and the output back unless --raw asks for the list's own
// bytes; without one (the Windows client, the C locale) bytes pass unchanged.
int RunFind(const std::vector<std::string>& args, const std::string& defaultDataFolder,
            std::string& out, std::string& err, TerminalText* terminal = nullptr);

}  // namespace filvex
