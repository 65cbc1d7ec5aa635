#pragma once
// Reading the stored search list while the window is still being made.
//
// Creating the window, its controls and the shell's image lists takes a
// few hundred milliseconds, most of it waiting on the system; reading a list
// of a million entries takes as long again. The read starts on a thread of
// its own as the window is created, and the first showing takes what it read
// instead of reading the files again: the list is loaded at the same step as
// before, it is only read earlier. When the files changed in between (a save
// of another window, a hand edit), take() reads them again, so what is
// loaded is always the set on disk at the time of take().

#include <string>
#include <string_view>
#include <thread>

#include "searchlist/list_store.h"
#include "searchlist/search_list.h"

namespace filvex {

class ListPreload {
 public:
  ListPreload() = default;
  ~ListPreload();  // waits for a read still running
  ListPreload(const ListPreload&) = delete;
  ListPreload& operator=(const ListPreload&) = delete;

  // Starts reading the list files of a data folder; once only.
  void start(const std::string& dataFolder);
  // Loads the list and both counts as LoadListStore(dataFolder, ...) would
  // now: with what the thread read when it read that folder and the files
  // are still the ones it read, else by reading them here. Later calls read
  // the files.
  ListLoadResult take(std::string_view dataFolder, SearchList& list, DriveCounts& folderCounts,
                      DriveCounts& fileCounts);

 private:
  std::thread thread_;
  bool started_ = false;
  bool finished_ = false;  // the thread read the files without throwing
  std::string folder_;
  SearchList list_;
  DriveCounts folderCounts_, fileCounts_;
  ListLoadResult result_;
};

}  // namespace filvex
