// The send-to submenu of the result list. Its behaviour comes with the
// send-to menu.
#include <windows.h>

#include "app/vemko_searcher_win.h"

namespace filvex {

void TVemkoSearcher::SendToMenuBuild() {}

void TVemkoSearcher::SendToMenuFree() {
  PopupMenu1.RemoveItems(SendToMenu);
}

}  // namespace filvex
