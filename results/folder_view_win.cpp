// The folder view, the drive list and the selection commands of the result
// list. Their behaviour comes with the folder view.
#include <windows.h>

#include "app/vemko_searcher_win.h"

namespace filvex {

void TVemkoSearcher::OpenFolderView(const std::string& /*path*/) {}

void TVemkoSearcher::ListFolderContents(const std::string& /*path*/) {}

bool TVemkoSearcher::PassesAttributeBoxes(uint32_t /*attributes*/) const {
  return true;
}

int TVemkoSearcher::AddEntryRow(const std::string& /*path*/, bool /*isFile*/, bool /*fetchNow*/,
                                int row, const DirEntry& /*entry*/) {
  return row;
}

void TVemkoSearcher::ShowDriveList() {}

std::string TVemkoSearcher::DriveDisplayName(const std::string& /*drive*/) {
  return {};
}

TVemkoSearcher::DriveSpace TVemkoSearcher::DriveCapacity(const std::string& /*drive*/) const {
  return {};
}

void TVemkoSearcher::SelectRowByName(const std::string& /*name*/, bool /*scroll*/) {}

void TVemkoSearcher::GoUpOneFolder() {}

void TVemkoSearcher::SelectRows(int /*tag*/) {}

void TVemkoSearcher::Edit2Click() {}

}  // namespace filvex
