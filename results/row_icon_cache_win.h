#pragma once
// RowIconCache: the small icons of the result rows, drawn from finished
// cells instead of through the image list at every repaint.
//
// Under Wine every image-list draw costs about 0.3 ms (it asks the display
// for its colour depth several times), so the icons of one page of rows cost
// more than all their texts. A cell holds one image with its overlay, drawn
// once by the image list over a background colour exactly as the list view
// draws it over an unselected row; later draws copy the cell (a few
// microseconds). Cells are kept per image list, image, overlay and
// background, up to kCells of them; the next one after that starts afresh.

#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>

#include <vector>

#include "platform/handles.h"

namespace filvex {

// What a repaint of the report view tells about all its rows, read once at
// its start: each message to the list view costs tens of microseconds under
// Wine, too much to ask per row.
struct RowPaintState {
  bool active = false;  // a repaint of the report view is under way
  HIMAGELIST images = nullptr;
  // An index `images` does not hold, even after the icons a repaint may add
  // for its own rows: the list view keeps the icon's place and draws nothing.
  int noImage = 0;
  COLORREF background = 0;  // what an unselected row is filled with
  int focused = -1;
  bool anySelected = false;
  // The icon's place relative to its row's top, from the first row drawn.
  bool placeKnown = false;
  int iconLeft = 0, iconTop = 0;
};

class RowIconCache {
 public:
  static constexpr int kCells = 128;

  RowIconCache() = default;
  ~RowIconCache() { Clear(); }
  RowIconCache(const RowIconCache&) = delete;
  RowIconCache& operator=(const RowIconCache&) = delete;

  // Draws image `index` of `images` with overlay `overlay` (1-based, 0 for
  // none) at (x, y) of dc, opaque over `background`, as ImageList_DrawEx
  // with that background does. False when nothing could be drawn.
  bool Draw(HIMAGELIST images, int index, int overlay, COLORREF background, HDC dc, int x, int y);

  // Forgets every cell (the next draws go through the image list again).
  void Clear();
  // Cells made since the last Clear.
  int CellCount() const { return static_cast<int>(keys_.size()); }

 private:
  struct Key {
    HIMAGELIST images;
    int index;
    int overlay;
    COLORREF background;
  };
  // The cell of a key, made when missing; -1 when none can be made.
  int CellOf(const Key& key, HDC like);

  win::UniqueMemoryDC dc_;
  win::UniqueBitmap strip_;  // kCells cells side by side
  HGDIOBJ oldBitmap_ = nullptr;
  int cx_ = 0, cy_ = 0;
  int imageCount_ = 0;  // of the image list the cells were made from
  std::vector<Key> keys_;
};

}  // namespace filvex
