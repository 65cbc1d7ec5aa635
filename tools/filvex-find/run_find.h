#pragma once
// filvex-find: the search of Filvex from a console. It loads a data folder's
// search list and settings, runs exactly the scan of the search window, sorts
// the hits as the window does after a search, and prints them.

#include <string>
#include <vector>

namespace filvex {

// Exit statuses.
constexpr int kFindHits = 0;
constexpr int kFindNoHits = 1;
constexpr int kFindUsageError = 2;

// Runs the client on its arguments (without the program name). Hits and the
// count go to out, as the list's own bytes; messages go to err. A data folder
// not given with --data is defaultDataFolder.
int RunFind(const std::vector<std::string>& args, const std::string& defaultDataFolder,
            std::string& out, std::string& err);

}  // namespace filvex
