// The result list of the main window: the virtual list view's requests, the
// hit list, sorting and the header's sort image, the open-folder button and
// the view switch. The pickup list's commands are in pickup_list_win.cpp;
// the folder view, the drive list and the selection commands are in
// folder_view_win.cpp.
//
// ListView1 is an owner-data list view: it holds only a row count and asks
// for the texts, images and states of the rows it paints (LVN_GETDISPINFO),
// so every text is made here from the hit record at that moment, by the
// portable row-text functions.
#include "results/result_view_win.h"

#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>

#include <cstring>
#include <string>

#include "app/vemko_searcher_win.h"
#include "platform/path_exists.h"
#include "platform/window_text.h"
#include "results/my_list_view_win.h"
#include "results/row_text.h"
#include "results/sort.h"
#include "searchlist/mbcs.h"

namespace filvex {
namespace {

constexpr char kNoRedrawProp[] = "FilvexNoRedraw";
constexpr int kDescendingImage = 23;  // ImageList1; 24 is ascending
// In the icon view the open-folder button stands level with the pickup
// button's lower edge.
constexpr int kIconViewButtonTop = 25;

// The list view with its header hook, attached at the first use; the rows'
// cut and overlay states are asked of the window from then on.
TMyListView* ResultList(TVemkoSearcher& w) {
  // Attached when the columns are made (for their width limits); the rest is
  // set up here once.
  TMyListView* view = TMyListView::Attach(w.ListView1);
  if (!view || view->OnResize) return view;
  ListView_SetCallbackMask(w.ListView1, LVIS_CUT | LVIS_OVERLAYMASK);
  view->OnResize = [&w] { ListView1Resize(w); };
  return view;
}

// Copies a cell text into the list view's buffer, cut short at a character
// boundary (never between the two bytes of a double-byte character).
void CopyCellText(const std::string& text, char* out, int size) {
  if (!out || size <= 0) return;
  const size_t limit = static_cast<size_t>(size) - 1;
  size_t n = 0;
  while (n < text.size()) {
    const size_t len =
        IsLeadByte(static_cast<unsigned char>(text[n])) && n + 1 < text.size() ? 2 : 1;
    if (n + len > limit) break;
    n += len;
  }
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
}

// True when row's icon is drawn from w.RowIcons in the repaint under way:
// the report view, a row with an icon and nothing but the background around
// it (not selected, focused, drop-highlighted or cut; those the list view
// draws with their own blends). The list view's answer to the cell's image
// and the drawing after the row both ask this, in the same repaint.
bool DrawsCachedIcon(const TVemkoSearcher& w, int row) {
  const RowPaintState& paint = w.RowPaint;
  if (!paint.active || !w.CachedRowIcons || row < 0 ||
      static_cast<size_t>(row) >= w.HitList.size() || row == paint.focused) {
    return false;
  }
  const HitRecord& r = w.HitList[static_cast<size_t>(row)];
  if (r.ImageIndex < 0 || r.OverlayIndex < -1 || r.OverlayIndex >= 15 || ShowsCut(r)) return false;
  // No row is ever drop-highlighted by this program: that state is only
  // asked along with a selection, which needs a question per row anyway.
  return !paint.anySelected ||
         ListView_GetItemState(w.ListView1, row, LVIS_SELECTED | LVIS_DROPHILITED) == 0;
}

// Reads what the rows of a repaint share; false when no icon can come from
// the cache in it.
bool StartRowPaint(TVemkoSearcher& w) {
  RowPaintState& paint = w.RowPaint;
  paint = {};
  if (!w.CachedRowIcons || !IsReportView(w.ListView1)) return false;
  paint.images = ListView_GetImageList(w.ListView1, LVSIL_SMALL);
  if (!paint.images) return false;
  paint.noImage = ImageList_GetImageCount(paint.images) + 0x10000;
  const COLORREF text = ListView_GetTextBkColor(w.ListView1);
  paint.background = text != CLR_NONE ? text : ListView_GetBkColor(w.ListView1);
  paint.focused = ListView_GetNextItem(w.ListView1, -1, LVNI_FOCUSED);
  paint.anySelected = ListView_GetSelectedCount(w.ListView1) > 0;
  paint.active = true;
  return true;
}

// Draws a row's icon from the cache in the middle of its place; the place
// is asked of the list view once a repaint and follows the row's top after.
// False when the icon could not be drawn.
bool DrawCachedIcon(TVemkoSearcher& w, int row, const NMCUSTOMDRAW& item) {
  RowPaintState& paint = w.RowPaint;
  int cx = 0, cy = 0;
  if (!ImageList_GetIconSize(paint.images, &cx, &cy)) return false;
  const bool rowKnown = item.rc.bottom > item.rc.top;
  if (!paint.placeKnown || !rowKnown) {
    RECT place{};
    if (!ListView_GetItemRect(w.ListView1, row, &place, LVIR_ICON)) return false;
    paint.iconLeft = place.left + (place.right - place.left - cx) / 2;
    paint.iconTop = place.top + (place.bottom - place.top - cy) / 2 - item.rc.top;
    paint.placeKnown = rowKnown;
  }
  const HitRecord& r = w.HitList[static_cast<size_t>(row)];
  return w.RowIcons.Draw(paint.images, r.ImageIndex, r.OverlayIndex + 1, paint.background, item.hdc,
                         paint.iconLeft, item.rc.top + paint.iconTop);
}

// ListView1CustomDraw: the stages of a repaint of the report view. The rows
// whose icon comes from the cache get it once the list view has drawn the
// rest of the row.
LRESULT ListView1CustomDraw(TVemkoSearcher& w, const NMLVCUSTOMDRAW& draw) {
  const int row = static_cast<int>(draw.nmcd.dwItemSpec);
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return StartRowPaint(w) ? CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT : CDRF_DODEFAULT;
    case CDDS_ITEMPREPAINT:
      return DrawsCachedIcon(w, row) ? CDRF_NOTIFYPOSTPAINT : CDRF_DODEFAULT;
    case CDDS_ITEMPOSTPAINT:
      if (DrawsCachedIcon(w, row) && !DrawCachedIcon(w, row, draw.nmcd)) {
        // No cell (no memory for one) or no place: the list view draws
        // every icon from now on, this row's at the next repaint.
        w.CachedRowIcons = false;
        ListView_RedrawItems(w.ListView1, row, row);
      }
      return CDRF_DODEFAULT;
    case CDDS_POSTPAINT:
      w.RowPaint.active = false;
      return CDRF_DODEFAULT;
    default:
      return CDRF_DODEFAULT;
  }
}

// ListView1Data: one row's cell, image and states, as the list view asks.
void ListView1Data(TVemkoSearcher& w, LVITEMA& item) {
  if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= w.HitList.size()) {
    // A row the hit list does not hold (asked for by another program, or
    // while the rows are replaced): blank, never another row's text.
    if (item.mask & LVIF_TEXT) CopyCellText({}, item.pszText, item.cchTextMax);
    return;
  }
  const HitRecord& r = w.HitList[static_cast<size_t>(item.iItem)];
  if (item.mask & LVIF_TEXT) {
    const RowOptions options{w.Settings.sizekb, w.Settings.chk};
    // The existence test opens the file: only for the one column that shows
    // it, and only when chk asks for it.
    const bool exists = item.iSubItem != kColumnAttr || !NeedsExistenceTest(r, options) ||
                        win::PathExists(r.Path.c_str());
    CopyCellText(ColumnText(r, item.iSubItem, options, exists), item.pszText, item.cchTextMax);
  }
  if ((item.mask & LVIF_IMAGE) && item.iSubItem == 0) {
    // A row whose icon is drawn from the cache gets an index its image list
    // does not hold: the list view keeps the icon's place and draws nothing.
    item.iImage = DrawsCachedIcon(w, item.iItem) ? w.RowPaint.noImage : r.ImageIndex;
  }
  if (item.mask & LVIF_STATE) {
    // The virtual list takes the overlay only from this answer.
    item.state &= ~(LVIS_CUT | LVIS_OVERLAYMASK);
    item.state |= INDEXTOOVERLAYMASK(static_cast<UINT>(r.OverlayIndex + 1));
    if (ShowsCut(r)) item.state |= LVIS_CUT;
    item.stateMask |= LVIS_CUT | LVIS_OVERLAYMASK;
  }
}

// ListView1DataHint: the rows about to be painted, and their icons.
void ListView1DataHint(TVemkoSearcher& w, int first, int last) {
  w.VisibleFirst = first;
  w.VisibleLast = last;
  const int rows = static_cast<int>(w.HitList.size());
  if (rows == 0 || first < 0 || first >= rows) return;
  w.FetchPaintedIcons(first, last < rows ? last : rows - 1);
}

std::string AnsiText(const wchar_t* text) {
  const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, out.data(), n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n) - 1);
  return out;
}

bool SelectionChanged(UINT oldState, UINT newState) {
  return ((oldState ^ newState) & LVIS_SELECTED) != 0;
}

}  // namespace

// ---- painting, view, header ----------------------------------------------

void SuspendListUpdates(HWND listView) {
  if (ListUpdatesSuspended(listView)) return;
  SetPropA(listView, kNoRedrawProp, reinterpret_cast<HANDLE>(1));
  SendMessageA(listView, WM_SETREDRAW, FALSE, 0);
}

void ResumeListUpdates(HWND listView) {
  if (!ListUpdatesSuspended(listView)) return;
  RemovePropA(listView, kNoRedrawProp);
  SendMessageA(listView, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(listView, nullptr, TRUE);
}

bool ListUpdatesSuspended(HWND listView) {
  return GetPropA(listView, kNoRedrawProp) != nullptr;
}

bool IsReportView(HWND listView) {
  return (GetWindowLongPtrA(listView, GWL_STYLE) & LVS_TYPEMASK) == LVS_REPORT;
}

void ShowNewRows(TVemkoSearcher& w) {
  const int rows = static_cast<int>(w.HitList.size());
  // Setting the count lays out the scroll bars and draws them again, even
  // for the count the list has (about 10 ms under Wine): an owner-data list
  // keeps nothing of its rows but their states, cleared by the caller, so
  // the same count needs only the repaint below.
  if (ListView_GetItemCount(w.ListView1) != rows) w.SetRowCount(rows);
  // An unchanged count keeps the scroll position of the rows replaced.
  if (rows > 0 && (ListView_GetTopIndex(w.ListView1) > 0 || !IsReportView(w.ListView1))) {
    ListView_EnsureVisible(w.ListView1, 0, /*partialOK=*/FALSE);
  }
  InvalidateRect(w.ListView1, nullptr, TRUE);
}

void ShowHitCount(TVemkoSearcher& w) {
  const HitCountTexts texts =
      HitCountText(w.HitList.size(), w.WithinLimit,
                   static_cast<size_t>(w.TotalMatches > 0 ? w.TotalMatches : 0));
  w.SetListColumnCaption(kColumnName, texts.caption);
  w.SetStatusText(0, texts.status);
}

void SetSortImage(TVemkoSearcher& w, int column, int direction) {
  TMyListView* view = ResultList(w);
  HWND header = view ? view->GetColumnHandle() : nullptr;
  if (!header) return;
  view->SetColumnImageList(w.ImageList1.get());
  HDITEMA item{};
  item.mask = HDI_FORMAT | HDI_IMAGE;
  if (!SendMessageA(header, HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item))) return;
  const HDITEMA shown = item;
  if (direction < 0) {
    item.fmt &= ~(HDF_IMAGE | HDF_BITMAP_ON_RIGHT);
    item.iImage = 0;
  } else {
    item.fmt |= HDF_IMAGE | HDF_BITMAP_ON_RIGHT;
    item.iImage = kDescendingImage + (direction ? 1 : 0);
  }
  // Every search ends by putting the arrow back on the name column, where it
  // mostly is already: an unchanged header is not set (and repainted) again.
  const bool noImage = direction < 0 && !(shown.fmt & HDF_IMAGE);
  if (item.fmt == shown.fmt && (noImage || item.iImage == shown.iImage)) return;
  item.mask = HDI_FORMAT | HDI_IMAGE;
  SendMessageA(header, HDM_SETITEMA, column, reinterpret_cast<LPARAM>(&item));
}

int SortImageOf(const TVemkoSearcher& w, int column) {
  HWND header = ListView_GetHeader(w.ListView1);
  HDITEMA item{};
  item.mask = HDI_FORMAT | HDI_IMAGE;
  if (!header || !SendMessageA(header, HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item))) {
    return -1;
  }
  return (item.fmt & HDF_IMAGE) ? item.iImage : -1;
}

void ListView1ColumnClick(TVemkoSearcher& w, int column) {
  if (w.SearchStopFlag.load() == 0) return;  // the hit list is not complete yet
  if (column < 0 || column >= kColumnCount) return;
  uint8_t& toggle = column == kColumnName ? w.NameSortToggle : w.ColumnSortToggles[column - 1];
  const uint8_t ascending = toggle;
  SortHitList(w.HitList, column, ascending != 0, w.ColumnSortRoom);
  toggle = ascending ? 0 : 1;
  if (column != w.SortColumn) SetSortImage(w, w.SortColumn, -1);
  w.SortColumn = column;
  w.SortAscending = ascending;
  SetSortImage(w, column, ascending);
  InvalidateRect(w.ListView1, nullptr, FALSE);  // the rows' texts are asked for again
}

void ListView1Resize(TVemkoSearcher& w) {
  if (w.IsVisible()) SetSortImage(w, w.SortColumn, w.SortAscending);
}

void ListView1SelectItem(TVemkoSearcher& w, int row, bool selected) {
  if (w.SuppressSelectEvents) return;
  w.PlaceOpenFolderButton(row);
  if (!selected || row < 0 || static_cast<size_t>(row) >= w.HitList.size()) return;
  HitRecord& r = w.HitList[static_cast<size_t>(row)];
  r.Unknown = !win::PathExists(r.Path.c_str());
  if (!w.Settings.ico && !win::IsChecked(w.HitListSpBtn) && !r.IconSet) {
    w.FetchVisibleIcons();
    if (static_cast<size_t>(row) >= w.HitList.size()) return;  // the fetch served messages
  }
  w.SetStatusText(1, PathColumnText(w.HitList[static_cast<size_t>(row)]));
}

int ListView1DataFind(const TVemkoSearcher& w, const std::string& text, int start, bool wrap) {
  return FindRowByName(w.HitList, text, start, wrap);
}

// ---- members ---------------------------------------------------------------

bool TVemkoSearcher::ListView1Notify(NMHDR* header, LRESULT* result) {
  switch (header->code) {
    case LVN_BEGINDRAG:  // left button; the drag-out is shellops/drag_out_win.cpp
      ListView1BeginDrag();
      *result = 0;
      return true;
    case NM_CUSTOMDRAW:
      *result = ListView1CustomDraw(*this, *reinterpret_cast<NMLVCUSTOMDRAW*>(header));
      return true;
    case LVN_GETDISPINFOA:
      ListView1Data(*this, reinterpret_cast<NMLVDISPINFOA*>(header)->item);
      *result = 0;
      return true;
    case LVN_ODCACHEHINT: {
      const auto* hint = reinterpret_cast<NMLVCACHEHINT*>(header);
      ListView1DataHint(*this, hint->iFrom, hint->iTo);
      *result = 0;
      return true;
    }
    case LVN_ODFINDITEMA: {
      const auto* find = reinterpret_cast<NMLVFINDITEMA*>(header);
      const bool byText = (find->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) && find->lvfi.psz;
      *result = byText ? ListView1DataFind(*this, find->lvfi.psz, find->iStart,
                                           (find->lvfi.flags & LVFI_WRAP) != 0)
                       : -1;
      return true;
    }
    case LVN_ODFINDITEMW: {
      // Some list views ask in UTF-16 whatever their parent speaks; the
      // names are compared in the ANSI code page all the same.
      const auto* find = reinterpret_cast<NMLVFINDITEMW*>(header);
      const bool byText = (find->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) && find->lvfi.psz;
      *result = byText ? ListView1DataFind(*this, AnsiText(find->lvfi.psz), find->iStart,
                                           (find->lvfi.flags & LVFI_WRAP) != 0)
                       : -1;
      return true;
    }
    case LVN_ITEMCHANGED: {
      const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
      if ((change->uChanged & LVIF_STATE) &&
          SelectionChanged(change->uOldState, change->uNewState)) {
        // Row -1 stands for every row (select all, clear all).
        const int row =
            change->iItem >= 0 ? change->iItem : ListView_GetNextItem(ListView1, -1, LVNI_SELECTED);
        ListView1SelectItem(*this, row, (change->uNewState & LVIS_SELECTED) != 0);
      }
      *result = 0;
      return true;
    }
    case LVN_ODSTATECHANGED: {
      const auto* change = reinterpret_cast<NMLVODSTATECHANGE*>(header);
      if (SelectionChanged(change->uOldState, change->uNewState)) {
        const bool selected = (change->uNewState & LVIS_SELECTED) != 0;
        ListView1SelectItem(*this, change->iFrom == change->iTo ? change->iFrom : -1,
                            selected && change->iFrom == change->iTo);
      }
      *result = 0;
      return true;
    }
    case LVN_COLUMNCLICK:
      ListView1ColumnClick(*this, reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
      *result = 0;
      return true;
    case NM_DBLCLK:
      ListView1DblClick();
      *result = 0;
      return true;
    case LVN_KEYDOWN:
      ListView1KeyDown(reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey,
                       /*ctrl=*/GetKeyState(VK_CONTROL) < 0);
      *result = 0;
      return true;
    default:
      return false;
  }
}

void TVemkoSearcher::SetRowCount(int rows, DWORD flags) {
  if (rows > 0) EnsureSystemImages();
  ListView_SetItemCountEx(ListView1, rows, flags);
}

void TVemkoSearcher::ClearHitList() {
  // Row count first, then the records: the list view never asks for a row
  // whose record is gone. The count change repaints the list; suspending
  // its painting around it would only add the cost of the resume, which
  // lays out the list again (about 10 ms under Wine).
  ResultList(*this);
  // An empty list stays as painted: setting the count it has would only
  // draw its scroll bars again.
  if (ListView_GetItemCount(ListView1) != 0) ListView_SetItemCountEx(ListView1, 0, 0);
  KeepHitRoom(HitList);
  PlaceOpenFolderButton(-1);
}

void TVemkoSearcher::KeepHitRoom(filvex::HitList& hits) {
  filvex::ClearHitRecords(hits);
  if (hits.capacity() > SpareHits.capacity()) SpareHits.swap(hits);
  filvex::HitList().swap(hits);
}

void TVemkoSearcher::ClearRowSelection() {
  if (ListView_GetSelectedCount(ListView1) > 0 ||
      ListView_GetNextItem(ListView1, -1, LVNI_FOCUSED) >= 0) {
    const bool suppressed = SuppressSelectEvents;
    SuppressSelectEvents = true;
    ListView_SetItemState(ListView1, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    SuppressSelectEvents = suppressed;
  }
  ListView_SetSelectionMark(ListView1, -1);
  PlaceOpenFolderButton(-1);
}

void TVemkoSearcher::PlaceOpenFolderButton(int row) {
  bool placeable = false;
  if (row >= 0 && row < ListView_GetItemCount(ListView1)) {
    RECT button;
    GetWindowRect(SpeedButton1, &button);
    MapWindowPoints(nullptr, Panel4, reinterpret_cast<POINT*>(&button), 2);
    int top = kIconViewButtonTop;
    if (IsReportView(ListView1)) {
      // Beside the row, while the whole row lies below the header and above
      // the list's lower edge.
      RECT rc{};
      rc.left = LVIR_BOUNDS;
      RECT client;
      GetClientRect(ListView1, &client);
      RECT headerRect{};
      HWND header = ListView_GetHeader(ListView1);
      if (header && IsWindowVisible(header)) GetWindowRect(header, &headerRect);
      const int headerHeight = headerRect.bottom - headerRect.top;
      if (SendMessageA(ListView1, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rc)) &&
          rc.top >= headerHeight && rc.bottom <= client.bottom) {
        POINT p{0, rc.top};
        MapWindowPoints(ListView1, Panel4, &p, 1);
        top = p.y + ((rc.bottom - rc.top) - (button.bottom - button.top)) / 2;
        placeable = true;
      }
    } else {
      placeable = true;
    }
    if (placeable) {
      SetWindowPos(SpeedButton1, nullptr, button.left, top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  const bool show = placeable && ListView_GetSelectedCount(ListView1) == 1;
  ShowWindow(SpeedButton1, show ? SW_SHOWNA : SW_HIDE);
}

void TVemkoSearcher::SpeedButton5Click() {
  // Down: large icons; up: the report view, with the arrow of the last sort.
  const LONG_PTR style = GetWindowLongPtrA(ListView1, GWL_STYLE);
  const LONG_PTR view = win::IsChecked(SpeedButton5) ? LVS_ICON : LVS_REPORT;
  SetWindowLongPtrA(ListView1, GWL_STYLE, (style & ~LVS_TYPEMASK) | view);
  if (view == LVS_REPORT) SetSortImage(*this, SortColumn, SortAscending);
  PlaceOpenFolderButton(ListView_GetNextItem(ListView1, -1, LVNI_SELECTED));
  // The list does not repaint by itself when its view changes: the rows of
  // the old view would stay until the next search.
  RedrawWindow(ListView1, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

}  // namespace filvex
