#include "searchlist/list_preload.h"

#include <exception>
#include <utility>

namespace filvex {

ListPreload::~ListPreload() {
  if (thread_.joinable()) thread_.join();
}

void ListPreload::start(const std::string& dataFolder) {
  if (started_) return;
  started_ = true;
  folder_ = dataFolder;
  try {
    thread_ = std::thread([this] {
      try {
        result_ = LoadListStore(folder_, list_, folderCounts_, fileCounts_);
        finished_ = true;
      } catch (const std::exception&) {
        list_.clear();  // take() reads the files itself
      }
    });
  } catch (const std::exception&) {
    // No thread to be had: take() reads the files itself.
  }
}

ListLoadResult ListPreload::take(std::string_view dataFolder, SearchList& list,
                                 DriveCounts& folderCounts, DriveCounts& fileCounts) {
  if (thread_.joinable()) thread_.join();
  const bool early = finished_ && folder_ == dataFolder && !result_.fingerprint.state.empty() &&
                     result_.fingerprint == ListSetFingerprintOf(dataFolder);
  const ListRecovery recovered = result_.recovery;
  finished_ = false;
  if (early) {
    list = std::move(list_);
    list_.clear();
    if (result_.outcome == ListLoadOutcome::Loaded) {
      folderCounts = std::move(folderCounts_);
      fileCounts = std::move(fileCounts_);
    }
    ListLoadResult result = std::move(result_);
    result_ = {};
    return result;
  }
  list_.clear();
  ListLoadResult result = LoadListStore(dataFolder, list, folderCounts, fileCounts);
  // A save that the early read completed or discarded is still worth saying.
  if (result.recovery == ListRecovery::None) result.recovery = recovered;
  result_ = {};
  return result;
}

}  // namespace filvex
