// The version box of the main window (Help → 「バージョン」).
#include "app/vemko_searcher_win.h"

namespace filvex {

void TVemkoSearcher::N1Click() {
  AboutDialog1.Execute(hwnd_);
}

}  // namespace filvex
