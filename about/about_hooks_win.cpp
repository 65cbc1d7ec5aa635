// The version box of the main window; its behaviour comes with the about box.
#include "app/vemko_searcher_win.h"

namespace filvex {

void TVemkoSearcher::N1Click() {}

}  // namespace filvex
