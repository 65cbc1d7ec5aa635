// Maintenance commands of the search list (cleaning, the unknown-list
// check); their behaviour comes with the maintenance commands.
#include "app/vemko_searcher_win.h"

namespace filvex {

void TVemkoSearcher::N19Click() {}

void TVemkoSearcher::NotFileMenuClick() {}

}  // namespace filvex
