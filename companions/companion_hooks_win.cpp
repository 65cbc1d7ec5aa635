// Messages and menu commands of the companion programs; their behaviour
// comes with the companion integration. Every WM_COPYDATA is answered with 1.
#include <windows.h>

#include "app/vemko_searcher_win.h"

namespace filvex {

LRESULT TVemkoSearcher::WMCopyData(HWND /*sender*/, const COPYDATASTRUCT* /*data*/) { return 1; }

void TVemkoSearcher::Timer1Timer() { EnableTimer(Timer1, 0, false); }

void TVemkoSearcher::N10Click() {}

void TVemkoSearcher::N12Click() {}

void TVemkoSearcher::Brontal1Click() {}

void TVemkoSearcher::SendBinderMenuClick() {}

void TVemkoSearcher::Pexwick1Click() {}

}  // namespace filvex
