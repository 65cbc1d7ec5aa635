// Open, open-with, explore and properties of the selected row, the result
// list's keys, the popup menu's state and help. Their behaviour comes with
// the open commands.
#include <windows.h>

#include "app/vemko_searcher_win.h"
#include "results/row_text.h"

namespace filvex {

void TVemkoSearcher::ListView1DblClick() {}

void TVemkoSearcher::Explore1Click(int /*tag*/) {}

void TVemkoSearcher::Property1Click() {}

void TVemkoSearcher::PopupMenu1Popup() {}

void TVemkoSearcher::Help2Click() {}

int TVemkoSearcher::SelectedRow() const {
  return ListView_GetNextItem(ListView1, -1, LVNI_SELECTED);
}

std::string TVemkoSearcher::RowJoinedPath(int row) const {
  if (row < 0 || static_cast<size_t>(row) >= HitList.size()) return {};
  return filvex::RowJoinedPath(HitList[static_cast<size_t>(row)]);
}

std::string TVemkoSearcher::RowOpenPath(int row) const {
  if (row < 0 || static_cast<size_t>(row) >= HitList.size()) return {};
  return filvex::RowOpenPath(HitList[static_cast<size_t>(row)]);
}

void TVemkoSearcher::ShellOpen(HWND /*window*/, const std::string& /*path*/) {}

void TVemkoSearcher::ShowOpenWithDialog(HWND /*window*/, const std::string& /*path*/) {}

bool TVemkoSearcher::ListView1KeyDown(WPARAM /*key*/) {
  return false;
}

}  // namespace filvex
