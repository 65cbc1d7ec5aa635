#pragma once
// Pieces of the search run that other parts of the window use: the trigger of
// a repeated search, the guard against scanning a list that a build is
// filling, and the reading of the search panel.

#include <windows.h>

#include <functional>

#include "search/match.h"

namespace filvex {

class TVemkoSearcher;

// The control a repeated search passes to StartSearch, so that the mode
// stays: CheckBox3 in AttributeSearch, ComboBox1 in DateSearch, ComboBox2 in
// SizeSearch; in NameSearch none for the re-search button, and Edit1 after a
// build, so that with the incremental toggle up a build starts no search.
HWND SearchAgainTrigger(const TVemkoSearcher& w, bool afterBuild);

// True while a build fills the live set itself (upmode off): a scan must not
// read it then. upmode cannot change during a build (the options dialog is
// disabled), so its value now is its value at the build's start.
bool BuildFillsLiveList(const TVemkoSearcher& w);

// The values a search takes from the panel (user-interface thread): query
// text, drive letters, target, AND and head boxes, attribute boxes, date and
// size filters, the mode and the settings max, maxstop and recy.
SearchQuery SearchQueryFromPanel(const TVemkoSearcher& w);

// For tests: a function that the search worker runs just before each scan
// (empty in the program); a throw from it stands for a scan that fails.
void SetScanFaultForTests(std::function<void()> fault);

}  // namespace filvex
