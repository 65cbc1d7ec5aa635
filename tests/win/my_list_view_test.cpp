// The list view additions of the result list: the header window, its image
// list, the notice after a drag on the header, the header's procedure put
// back when the list view goes, and repaints kept to what changed.
#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "results/my_list_view_win.h"

namespace filvex {
namespace {

// Checks, while the list view is being destroyed (its WM_DESTROY, before the
// header goes), which procedure the header has once TMyListView is done.
WNDPROC g_headerProcAtDestroy = nullptr;
LRESULT CALLBACK WatchDestroy(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  const LRESULT r = DefSubclassProc(wnd, msg, wp, lp);  // TMyListView runs first
  if (msg == WM_DESTROY) {
    HWND header = ListView_GetHeader(wnd);
    g_headerProcAtDestroy = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(header, GWLP_WNDPROC));
  }
  return r;
}

TEST(MyListView, HeaderHookRaisesAfterCaptureAndIsUndoneOnDestroy) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_POPUP | LVS_REPORT | LVS_OWNERDATA, 0, 0, 300,
                              200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(list, nullptr);
  LVCOLUMNA col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH;
  col.cx = 100;
  col.pszText = const_cast<char*>("名前");
  SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&col));
  HWND header = ListView_GetHeader(list);
  const WNDPROC original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(header, GWLP_WNDPROC));

  ASSERT_EQ(TMyListView::Of(list), nullptr);
  TMyListView* view = TMyListView::Attach(list);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(TMyListView::Attach(list), view);
  EXPECT_EQ(TMyListView::Of(list), view);
  EXPECT_EQ(view->GetColumnHandle(), header);
  EXPECT_NE(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(header, GWLP_WNDPROC)), original);
  EXPECT_EQ(TMyListView::Attach(header), nullptr);  // not a list view

  // The image list: given once, kept when it is the same.
  HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR24, 2, 0);
  view->SetColumnImageList(images);
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageA(header, HDM_GETIMAGELIST, 0, 0)), images);
  view->SetColumnImageList(images);
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageA(header, HDM_GETIMAGELIST, 0, 0)), images);

  // Every message still reaches the header; a lost capture raises the event.
  int raised = 0;
  SendMessageA(header, WM_CAPTURECHANGED, 0, 0);
  EXPECT_EQ(raised, 0);  // nothing assigned: nothing raised
  view->OnCmChange = [&] { ++raised; };
  SendMessageA(header, WM_CAPTURECHANGED, 0, 0);
  SendMessageA(header, WM_MOUSEMOVE, 0, 0);
  EXPECT_EQ(raised, 1);
  EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 1);
  int resized = 0;
  view->OnResize = [&] { ++resized; };
  SetWindowPos(list, nullptr, 0, 0, 320, 220, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  EXPECT_GE(resized, 1);

  ASSERT_TRUE(SetWindowSubclass(list, &WatchDestroy, 1, 0));
  DestroyWindow(list);
  EXPECT_EQ(g_headerProcAtDestroy, original);
  ImageList_Destroy(images);
}

// Drags the right edge of a header item by dx, as the mouse does.
void DragColumnEdge(HWND header, int column, int dx) {
  RECT item{};
  SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&item));
  const int y = (item.top + item.bottom) / 2;
  SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(item.right - 1, y));
  SendMessageA(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(item.right - 1 + dx / 2, y));
  SendMessageA(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(item.right - 1 + dx, y));
  SendMessageA(header, WM_LBUTTONUP, 0, MAKELPARAM(item.right - 1 + dx, y));
}

TEST(MyListView, ColumnWidthsStayWithinTheirLimits) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_POPUP | WS_VISIBLE | LVS_REPORT, 0, 0, 600,
                              200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(list, nullptr);
  for (int i = 0; i < 3; ++i) {
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.cx = i == 1 ? 100 : 80;
    col.pszText = const_cast<char*>("c");
    SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
  }
  TMyListView* view = TMyListView::Attach(list);
  ASSERT_NE(view, nullptr);
  view->SetColumnWidthLimits(0, 50, 0);
  view->SetColumnWidthLimits(1, 20, 70);  // 100 is brought down at once
  EXPECT_EQ(ListView_GetColumnWidth(list, 1), 70);
  EXPECT_EQ(view->LimitedWidth(2, 5), 5);  // no limits
  EXPECT_EQ(view->LimitedWidth(9, 5), 5);  // no such column

  HWND header = view->GetColumnHandle();
  struct Case {
    bool drag;  // a drag of the edge by `change`, else a program's call of `change`
    int column, change, width;
  };
  const Case cases[] = {
      {true, 0, -60, 50}, {true, 0, 40, 90},    {true, 1, 30, 70}, {true, 1, -45, 25},
      {true, 1, -20, 20}, {true, 2, -70, 10},   {false, 0, 3, 50}, {false, 1, 500, 70},
      {false, 1, 33, 33}, {false, 2, 400, 400},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.drag << " " << c.column << " " << c.change);
    if (c.drag) {
      DragColumnEdge(header, c.column, c.change);
    } else {
      ListView_SetColumnWidth(list, c.column, c.change);
    }
    EXPECT_EQ(ListView_GetColumnWidth(list, c.column), c.width);
    HDITEMA item{};
    item.mask = HDI_WIDTH;
    SendMessageA(header, HDM_GETITEMA, c.column, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(item.cxy, c.width);  // the header agrees with the list view
  }
  DestroyWindow(list);
}

// The part of a window that waits for a repaint, as a rectangle list.
bool UpdateRegionIs(HWND wnd, const RECT* expected) {
  HRGN update = CreateRectRgn(0, 0, 0, 0);
  const int kind = GetUpdateRgn(wnd, update, FALSE);
  bool same = false;
  if (!expected) {
    same = kind == NULLREGION;
  } else {
    HRGN want = CreateRectRgnIndirect(expected);
    same = EqualRgn(update, want) != FALSE;
    DeleteObject(want);
  }
  DeleteObject(update);
  return same;
}

// A caption set alone repaints its own item; anything else (another of the
// item's values, a repaint already waiting) keeps the header's own choice,
// and the rows' repaints leave the header alone.
TEST(MyListView, RepaintsOnlyTheHeaderPartThatChanged) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  HWND list =
      CreateWindowExA(0, WC_LISTVIEWA, "", WS_POPUP | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA, 0, 0,
                      400, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(list, nullptr);
  for (int i = 0; i < 3; ++i) {
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.cx = 100;
    col.pszText = const_cast<char*>("名前");
    SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
  }
  ListView_SetItemCountEx(list, 50, 0);
  ASSERT_NE(TMyListView::Attach(list), nullptr);
  HWND header = ListView_GetHeader(list);
  RECT whole{};
  GetClientRect(header, &whole);

  enum Change { kCaption, kCaptionAndWidth, kRows };
  struct Case {
    const char* name;
    Change change;
    bool pending;   // the whole header waits for a repaint already
    bool itemOnly;  // else the whole header waits
  };
  const Case cases[] = {
      {"caption", kCaption, false, true},
      {"caption over a waiting repaint", kCaption, true, false},
      {"caption and width", kCaptionAndWidth, false, false},
      {"rows", kRows, false, false},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UpdateWindow(list);
    ASSERT_TRUE(UpdateRegionIs(header, nullptr));
    if (c.pending) InvalidateRect(header, nullptr, TRUE);
    const std::string caption = "名前  [ " + std::to_string(++n) + " ]";
    HDITEMA item{};
    item.pszText = const_cast<char*>(caption.c_str());
    item.cxy = 90 + n;
    switch (c.change) {
      case kCaption:
        item.mask = HDI_TEXT;
        SendMessageA(header, HDM_SETITEMA, 1, reinterpret_cast<LPARAM>(&item));
        break;
      case kCaptionAndWidth:
        item.mask = HDI_TEXT | HDI_WIDTH;
        SendMessageA(header, HDM_SETITEMA, 1, reinterpret_cast<LPARAM>(&item));
        break;
      case kRows:
        InvalidateRect(list, nullptr, TRUE);
        EXPECT_TRUE(UpdateRegionIs(header, nullptr));
        continue;
    }
    RECT itemRect{};
    SendMessageA(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&itemRect));
    EXPECT_TRUE(UpdateRegionIs(header, c.itemOnly ? &itemRect : &whole));
    char shown[64] = {};
    HDITEMA read{};
    read.mask = HDI_TEXT;
    read.pszText = shown;
    read.cchTextMax = sizeof shown;
    SendMessageA(header, HDM_GETITEMA, 1, reinterpret_cast<LPARAM>(&read));
    EXPECT_EQ(caption, shown);
  }
  DestroyWindow(list);
}

}  // namespace
}  // namespace filvex
