#include "results/row_icon_cache_win.h"

namespace filvex {

void RowIconCache::Clear() {
  keys_.clear();
  if (dc_ && oldBitmap_) SelectObject(dc_.get(), oldBitmap_);
  oldBitmap_ = nullptr;
  strip_.reset();
  dc_.reset();
  cx_ = cy_ = 0;
  imageCount_ = 0;
}

int RowIconCache::CellOf(const Key& key, HDC like) {
  int cx = 0, cy = 0;
  if (!ImageList_GetIconSize(key.images, &cx, &cy) || cx <= 0 || cy <= 0) return -1;
  const int count = ImageList_GetImageCount(key.images);
  // Images are only ever added to a list; fewer of them means the list was
  // made again, and its indexes may show other images now.
  if (cx != cx_ || cy != cy_ || count < imageCount_ ||
      (!keys_.empty() && keys_.front().images != key.images)) {
    Clear();
  }
  imageCount_ = count;
  for (size_t i = 0; i < keys_.size(); ++i) {
    const Key& k = keys_[i];
    if (k.index == key.index && k.overlay == key.overlay && k.background == key.background) {
      return static_cast<int>(i);
    }
  }
  if (keys_.size() >= static_cast<size_t>(kCells)) Clear();
  if (!dc_) {
    // A strip of 32-bit cells, so the copy keeps every colour the image list
    // drew, whatever the screen's depth.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = cx * kCells;
    info.bmiHeader.biHeight = -cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    win::UniqueMemoryDC dc(CreateCompatibleDC(like));
    win::UniqueBitmap strip(CreateDIBSection(like, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dc || !strip) return -1;
    oldBitmap_ = SelectObject(dc.get(), strip.get());
    dc_ = std::move(dc);
    strip_ = std::move(strip);
    cx_ = cx;
    cy_ = cy;
  }
  const int cell = static_cast<int>(keys_.size());
  if (!ImageList_DrawEx(key.images, key.index, dc_.get(), cell * cx_, 0, cx_, cy_, key.background,
                        CLR_DEFAULT,
                        ILD_NORMAL | INDEXTOOVERLAYMASK(static_cast<UINT>(key.overlay)))) {
    return -1;
  }
  keys_.push_back(key);
  return cell;
}

bool RowIconCache::Draw(HIMAGELIST images, int index, int overlay, COLORREF background, HDC dc,
                        int x, int y) {
  if (!images || !dc || index < 0 || overlay < 0 || overlay > 15) return false;
  const int cell = CellOf({images, index, overlay, background}, dc);
  if (cell < 0) return false;
  return BitBlt(dc, x, y, cx_, cy_, dc_.get(), cell * cx_, 0, SRCCOPY) != FALSE;
}

}  // namespace filvex
