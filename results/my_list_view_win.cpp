#include "results/my_list_view_win.h"

namespace filvex {
namespace {

constexpr UINT_PTR kSubclassId = 0x4D4C56;  // "MLV"
// The object is found from either window through a property.
constexpr char kOwnerProp[] = "FilvexMyListView";

bool IsListView(HWND wnd) {
  char cls[64] = {};
  GetClassNameA(wnd, cls, sizeof cls);
  return lstrcmpiA(cls, WC_LISTVIEWA) == 0;
}

}  // namespace

TMyListView::TMyListView(HWND listView) : listView_(listView) {}

TMyListView* TMyListView::Of(HWND listView) {
  if (!listView || !IsListView(listView)) return nullptr;
  return static_cast<TMyListView*>(GetPropA(listView, kOwnerProp));
}

TMyListView* TMyListView::Attach(HWND listView) {
  if (TMyListView* existing = Of(listView)) return existing;
  if (!listView || !IsWindow(listView) || !IsListView(listView)) return nullptr;
  auto* view = new TMyListView(listView);
  if (!SetWindowSubclass(listView, &TMyListView::ListProc, kSubclassId,
                         reinterpret_cast<DWORD_PTR>(view))) {
    delete view;
    return nullptr;
  }
  SetPropA(listView, kOwnerProp, view);
  // The list view's own repaints (a new row count, new rows) then never take
  // the header along: the header covers its part of the list and repaints
  // itself whenever its items change.
  SetWindowLongPtrA(listView, GWL_STYLE, GetWindowLongPtrA(listView, GWL_STYLE) | WS_CLIPCHILDREN);
  view->GetColumnHandle();
  return view;
}

HWND TMyListView::GetColumnHandle() {
  if (!header_) {
    header_ = ListView_GetHeader(listView_);
    if (header_) HookHeader();
  }
  return header_;
}

void TMyListView::SetColumnImageList(HIMAGELIST images) {
  HWND header = GetColumnHandle();
  if (!header) return;
  if (reinterpret_cast<HIMAGELIST>(SendMessageA(header, HDM_GETIMAGELIST, 0, 0)) == images) return;
  SendMessageA(header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
}

void TMyListView::SetColumnWidthLimits(int column, int minWidth, int maxWidth) {
  if (column < 0) return;
  if (static_cast<size_t>(column) >= limits_.size())
    limits_.resize(static_cast<size_t>(column) + 1);
  limits_[static_cast<size_t>(column)] = {minWidth > 0 ? minWidth : 0, maxWidth > 0 ? maxWidth : 0};
  const int width = ListView_GetColumnWidth(listView_, column);
  const int limited = LimitedWidth(column, width);
  if (limited != width) ListView_SetColumnWidth(listView_, column, limited);
}

int TMyListView::LimitedWidth(int column, int width) const {
  if (column < 0 || static_cast<size_t>(column) >= limits_.size()) return width;
  const WidthLimits& l = limits_[static_cast<size_t>(column)];
  if (l.maxWidth > 0 && width > l.maxWidth) width = l.maxWidth;
  if (l.minWidth > 0 && width < l.minWidth) width = l.minWidth;
  return width;
}

bool TMyListView::LimitWidthChange(const NMHEADERA& change) {
  if (settingLimitedWidth_ || !change.pitem || !(change.pitem->mask & HDI_WIDTH)) return false;
  const int limited = LimitedWidth(change.iItem, change.pitem->cxy);
  if (limited == change.pitem->cxy) return false;
  // The header stores the width it was asked for, not one changed in the
  // notification: the change is refused and the limited width set through
  // the list view, which keeps its own column sizes in step with the header.
  settingLimitedWidth_ = true;
  if (ListView_GetColumnWidth(listView_, change.iItem) != limited) {
    ListView_SetColumnWidth(listView_, change.iItem, limited);
  }
  settingLimitedWidth_ = false;
  return true;
}

void TMyListView::HookHeader() {
  // The header is a window of the common controls, usually a Unicode one:
  // its procedure is replaced and called in its own character set, so no
  // message is translated on the way.
  headerUnicode_ = IsWindowUnicode(header_) != FALSE;
  SetPropA(header_, kOwnerProp, this);
  const LONG_PTR proc = reinterpret_cast<LONG_PTR>(&TMyListView::HeaderProc);
  previousHeaderProc_ =
      reinterpret_cast<WNDPROC>(headerUnicode_ ? SetWindowLongPtrW(header_, GWLP_WNDPROC, proc)
                                               : SetWindowLongPtrA(header_, GWLP_WNDPROC, proc));
}

void TMyListView::UnhookHeader() {
  if (!header_ || !previousHeaderProc_) return;
  const LONG_PTR proc = reinterpret_cast<LONG_PTR>(previousHeaderProc_);
  if (headerUnicode_) {
    SetWindowLongPtrW(header_, GWLP_WNDPROC, proc);
  } else {
    SetWindowLongPtrA(header_, GWLP_WNDPROC, proc);
  }
  RemovePropA(header_, kOwnerProp);
  previousHeaderProc_ = nullptr;
}

void TMyListView::RepaintCaptionOnly(HWND header, int item, bool pendingBefore) {
  RECT itemRect{};
  if (pendingBefore || !SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(item),
                                     reinterpret_cast<LPARAM>(&itemRect))) {
    return;
  }
  // The header asks for a repaint of all of itself; everything outside the
  // item is taken off again, so the erase the header chose stays as it is.
  RECT client{};
  GetClientRect(header, &client);
  HRGN outside = CreateRectRgnIndirect(&client);
  HRGN inside = CreateRectRgnIndirect(&itemRect);
  if (outside && inside && CombineRgn(outside, outside, inside, RGN_DIFF) != ERROR) {
    ValidateRgn(header, outside);
  }
  if (inside) DeleteObject(inside);
  if (outside) DeleteObject(outside);
}

LRESULT CALLBACK TMyListView::HeaderProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = static_cast<TMyListView*>(GetPropA(wnd, kOwnerProp));
  if (!self) return DefWindowProcA(wnd, msg, wp, lp);  // not reached: the prop outlives the hook
  const WNDPROC previous = self->previousHeaderProc_;
  if (msg == WM_NCDESTROY) {
    // The header goes before the list view: its procedure is put back now.
    self->UnhookHeader();
    self->header_ = nullptr;
  }
  // A caption alone: HDITEMA and HDITEMW hold the mask at the same place.
  const bool captionOnly = (msg == HDM_SETITEMA || msg == HDM_SETITEMW) && lp &&
                           reinterpret_cast<const HDITEMA*>(lp)->mask == HDI_TEXT;
  const bool pendingBefore = captionOnly && GetUpdateRect(wnd, nullptr, FALSE);
  const LRESULT result = self->headerUnicode_ ? CallWindowProcW(previous, wnd, msg, wp, lp)
                                              : CallWindowProcA(previous, wnd, msg, wp, lp);
  if (captionOnly && result) RepaintCaptionOnly(wnd, static_cast<int>(wp), pendingBefore);
  if (msg == WM_CAPTURECHANGED && self->OnCmChange) self->OnCmChange();
  return result;
}

LRESULT CALLBACK TMyListView::ListProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                       DWORD_PTR ref) {
  auto* self = reinterpret_cast<TMyListView*>(ref);
  if (msg == WM_DESTROY) {
    // Sent before the children are destroyed: the header still has our
    // procedure, which goes back to the previous one here.
    self->UnhookHeader();
  } else if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(wnd, &TMyListView::ListProc, id);
    RemovePropA(wnd, kOwnerProp);
    delete self;
    return DefSubclassProc(wnd, msg, wp, lp);
  }
  if (msg == WM_NOTIFY) {
    // The header tells its parent, the list view, before a width changes.
    // Both character sets: the width is at the same place in either.
    const auto* change = reinterpret_cast<const NMHEADERA*>(lp);
    if (change->hdr.hwndFrom == self->header_ &&
        (change->hdr.code == HDN_ITEMCHANGINGA || change->hdr.code == HDN_ITEMCHANGINGW) &&
        self->LimitWidthChange(*change)) {
      return TRUE;
    }
  }
  const LRESULT result = DefSubclassProc(wnd, msg, wp, lp);
  if (msg == WM_SIZE && self->OnResize) self->OnResize();
  return result;
}

}  // namespace filvex
