#pragma once
// TMyListView: what the result list needs of its list view beyond a plain
// one: the header window, an image list on the header (the sort marks), and
// events for the end of a drag on the header and for a resize.
//
// It is attached to an existing list view window and lives exactly as long
// as that window: it replaces the header's window procedure with its own
// (which passes every message on) and puts the previous one back when the
// list view is destroyed, then deletes itself.
//
// Repaints are kept to what changed: a caption set alone (the text, nothing
// else of the item) repaints that caption's item, not the whole header, and
// a repaint of the rows leaves the header alone (the list view clips its
// children). Under Wine every header item costs about 1.5 ms to paint, and
// the first column's caption changes twice at every search.
//
// Columns may carry width limits: a width asked of a column outside its
// limits (by a drag of a column edge, a double-click on it, or a program's
// call) is refused and the nearest limit is set instead.

#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>

#include <functional>
#include <vector>

namespace filvex {

class TMyListView {
 public:
  // The object of a list view, attached at the first call; nullptr for a
  // window that is not a list view.
  static TMyListView* Attach(HWND listView);
  // The object already attached to a list view, or nullptr.
  static TMyListView* Of(HWND listView);

  HWND Handle() const { return listView_; }
  // The header control (LVM_GETHEADER), taken once; nullptr when the list
  // view has none.
  HWND GetColumnHandle();
  // Gives the header the image list, unless it already has that one.
  void SetColumnImageList(HIMAGELIST images);

  // Keeps a column's width between minWidth and maxWidth (0: no limit on
  // that side). The present width is brought inside the limits at once.
  void SetColumnWidthLimits(int column, int minWidth, int maxWidth);
  // The width a column takes when `width` is asked of it.
  int LimitedWidth(int column, int width) const;

  // Raised after the header lost the mouse capture (the end of a drag of a
  // column edge or a column); nothing is raised when it is empty.
  std::function<void()> OnCmChange;
  // Raised after the list view changed its size.
  std::function<void()> OnResize;

  TMyListView(const TMyListView&) = delete;
  TMyListView& operator=(const TMyListView&) = delete;

 private:
  explicit TMyListView(HWND listView);
  ~TMyListView() = default;
  void HookHeader();
  void UnhookHeader();
  static LRESULT CALLBACK ListProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                   DWORD_PTR self);
  static LRESULT CALLBACK HeaderProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  // Leaves only the item's own rectangle of the header waiting for a repaint
  // after its caption was set, unless another repaint was pending before.
  static void RepaintCaptionOnly(HWND header, int item, bool pendingBefore);
  // A header's width change about to happen; true when it is refused and the
  // limited width was set in its place.
  bool LimitWidthChange(const NMHEADERA& change);

  struct WidthLimits {
    int minWidth = 0;
    int maxWidth = 0;
  };
  std::vector<WidthLimits> limits_;  // by column
  bool settingLimitedWidth_ = false;

  HWND listView_ = nullptr;
  HWND header_ = nullptr;
  WNDPROC previousHeaderProc_ = nullptr;
  bool headerUnicode_ = false;
};

}  // namespace filvex
