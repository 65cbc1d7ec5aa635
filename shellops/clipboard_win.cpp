// Copy to the clipboard, paste, files dropped on the list and the drag-out
// of rows. Their behaviour comes with the clipboard commands; a drop is
// released at once so nothing leaks.
#include <windows.h>
#include <shellapi.h>

#include "app/vemko_searcher_win.h"

namespace filvex {

void TVemkoSearcher::Copy1Click() {}

void TVemkoSearcher::Paste1Click() {}

void TVemkoSearcher::WMDropFiles(HDROP drop) {
  DragFinish(drop);
}

void TVemkoSearcher::DragWatchTick() {}

void TVemkoSearcher::CopyPathsTo(const std::string& /*target*/, const std::string& /*listText*/) {}

void TVemkoSearcher::RefreshCopiedRows(const std::vector<std::string>& /*paths*/) {}

}  // namespace filvex
