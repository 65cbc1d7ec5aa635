#pragma once
// What the search run and the window tests use of the result list beyond the
// members of TVemkoSearcher: suspending its painting, the hit count, the sort
// image of the header, the column sort and the view in use.

#include <windows.h>

#include <string>

namespace filvex {

class TVemkoSearcher;

// Suspends and resumes the painting of a list view (WM_SETREDRAW). Not
// counted: suspending twice needs one resume, and resuming a list that is not
// suspended does nothing. A resume invalidates the list, so it paints afresh.
void SuspendListUpdates(HWND listView);
void ResumeListUpdates(HWND listView);
bool ListUpdatesSuspended(HWND listView);

// True while the list shows the report view (columns and header).
bool IsReportView(HWND listView);

// Shows a hit list that replaced the rows shown: the row count set in one
// step (the scroll bars change only when the number of rows needs it), the
// first row at the top, every row painted anew.
void ShowNewRows(TVemkoSearcher& w);

// Caption of result column 0 and status panel 0 from the hit list, the
// refused matches included ("名前  [ 500 < 12,345 ]", "500").
void ShowHitCount(TVemkoSearcher& w);

// The header image of a column: direction 1 ascending, 0 descending, -1 none.
void SetSortImage(TVemkoSearcher& w, int column, int direction);
// The image shown on a column's header: 23 + direction, or -1 for none.
int SortImageOf(const TVemkoSearcher& w, int column);

// A click on a column header: sorts the hit list by that column in the
// column's next direction, moves the sort image and repaints. Ignored while a
// search runs.
void ListView1ColumnClick(TVemkoSearcher& w, int column);

// The selection handler of the result list (row -1: none or many).
void ListView1SelectItem(TVemkoSearcher& w, int row, bool selected);

// Keyboard find: the row whose name is text exactly, from start, wrapping to
// the top when asked; -1 when none.
int ListView1DataFind(const TVemkoSearcher& w, const std::string& text, int start, bool wrap);

// Re-shows the sort image after a resize of the list (its header is laid out
// anew); only while the main window is visible.
void ListView1Resize(TVemkoSearcher& w);

}  // namespace filvex
