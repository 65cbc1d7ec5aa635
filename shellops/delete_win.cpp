// The delete command: files to the recycle bin, rows out of the pickup list.
// Its behaviour comes with the delete command.
#include <windows.h>

#include "app/vemko_searcher_win.h"

namespace filvex {

void TVemkoSearcher::Delete1Click() {}

}  // namespace filvex
