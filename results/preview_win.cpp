// The image preview: a grey panel over the result list that shows the
// selected row's file as a thumbnail, follows the selection, and jumps to
// the other side of the list when the mouse comes over it.
#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <string>

#include "app/controls_win.h"
#include "app/vemko_searcher_win.h"
#include "platform/com.h"
#include "platform/dir_enum_win.h"
#include "platform/handles.h"
#include "platform/system_dll.h"
#include "platform/system_info.h"
#include "platform/window_text.h"
#include "results/fit_rectangle.h"
#include "searchlist/mbcs.h"

namespace filvex {
namespace {

constexpr int kPanel6Width = 381, kPanel6Height = 271;
constexpr int kImage1Width = 361, kImage1Height = 251;
constexpr COLORREF kPreviewGrey = RGB(128, 128, 128);
constexpr char kImageClass[] = "FilvexPreviewImage";
constexpr UINT_PTR kListSubclassId = 0x5056;  // "PV"

TVemkoSearcher* OwnerOf(HWND image) {
  return reinterpret_cast<TVemkoSearcher*>(GetWindowLongPtrA(image, GWLP_USERDATA));
}

// Image1: paints the preview picture (the main window's PreviewPicture) at
// its top-left corner, the grey of the panel where there is none.
void PaintImage(HWND wnd, HDC dc) {
  RECT rc;
  GetClientRect(wnd, &rc);
  TVemkoSearcher* owner = OwnerOf(wnd);
  HBITMAP picture = owner ? owner->PreviewPicture.get() : nullptr;
  if (!picture) {
    win::UniqueBrush grey(CreateSolidBrush(kPreviewGrey));
    FillRect(dc, &rc, grey.get());
    return;
  }
  win::UniqueMemoryDC memory(CreateCompatibleDC(dc));
  win::SelectInDC select(memory.get(), picture);
  BitBlt(dc, 0, 0, rc.right, rc.bottom, memory.get(), 0, 0, SRCCOPY);
}

LRESULT CALLBACK ImageProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<CREATESTRUCTA*>(lp);
      SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(wnd, &ps);
      PaintImage(wnd, dc);
      EndPaint(wnd, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintImage(wnd, reinterpret_cast<HDC>(wp));
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE:
      if (TVemkoSearcher* owner = OwnerOf(wnd)) owner->Image1MouseMove();
      return 0;
    default:
      break;
  }
  return DefWindowProcA(wnd, msg, wp, lp);
}

void RegisterImageClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSA wc{};
  wc.lpfnWndProc = ImageProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.lpszClassName = kImageClass;
  registered = RegisterClassA(&wc) != 0;
}

// The list's presses and released arrow keys update the preview once the
// list has handled them (so the selection is already the new one).
LRESULT CALLBACK PreviewListProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                 DWORD_PTR ref) {
  auto* self = reinterpret_cast<TVemkoSearcher*>(ref);
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(wnd, PreviewListProc, id);
    return DefSubclassProc(wnd, msg, wp, lp);
  }
  const LRESULT result = DefSubclassProc(wnd, msg, wp, lp);
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      self->ListView1MouseDown();
      break;
    case WM_KEYUP:
      self->ListView1KeyUp(wp);
      break;
    default:
      break;
  }
  return result;
}

std::string LowerExtension(const std::string& path) {
  const std::string_view name = LastComponent(path);
  const size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string() : Lowered(name.substr(dot));
}

// The flat GDI+ functions the thumbnails use. GDI+ is loaded at the first
// preview of an image (platform/system_dll.h), started then, and never shut
// down (it is a system library; shutting it down while a bitmap of it lives
// would be worse than keeping it).
struct GdiplusFunctions {
  template <class F>
  static F Find(const char* name) {
    return win::SystemFunction<F>("gdiplus.dll", name);
  }
  decltype(&Gdiplus::GdiplusStartup) Startup = Find<decltype(Startup)>("GdiplusStartup");
  decltype(&Gdiplus::DllExports::GdipLoadImageFromFile) LoadImageFromFile =
      Find<decltype(LoadImageFromFile)>("GdipLoadImageFromFile");
  decltype(&Gdiplus::DllExports::GdipGetImageWidth) GetImageWidth =
      Find<decltype(GetImageWidth)>("GdipGetImageWidth");
  decltype(&Gdiplus::DllExports::GdipGetImageHeight) GetImageHeight =
      Find<decltype(GetImageHeight)>("GdipGetImageHeight");
  decltype(&Gdiplus::DllExports::GdipGetImageThumbnail) GetImageThumbnail =
      Find<decltype(GetImageThumbnail)>("GdipGetImageThumbnail");
  decltype(&Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap) CreateHBITMAPFromBitmap =
      Find<decltype(CreateHBITMAPFromBitmap)>("GdipCreateHBITMAPFromBitmap");
  decltype(&Gdiplus::DllExports::GdipDisposeImage) DisposeImage =
      Find<decltype(DisposeImage)>("GdipDisposeImage");

  bool complete() const {
    return Startup && LoadImageFromFile && GetImageWidth && GetImageHeight && GetImageThumbnail &&
           CreateHBITMAPFromBitmap && DisposeImage;
  }
};

// GDI+ loaded and started; null when it cannot be.
const GdiplusFunctions* GdiplusReady() {
  static const GdiplusFunctions* ready = []() -> const GdiplusFunctions* {
    static const GdiplusFunctions f;
    if (!f.complete()) return nullptr;
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    return f.Startup(&token, &input, nullptr) == Gdiplus::Ok ? &f : nullptr;
  }();
  return ready;
}

// A thumbnail of an image file from GDI+ (BMP, PNG, JPEG, GIF, TIFF, ICO):
// the picture shrunk to fit width x height with its proportions kept, a
// smaller one at its own size, over white. Null for what GDI+ cannot read.
HBITMAP GdiplusThumbnail(const std::string& path, int width, int height) {
  const GdiplusFunctions* gdip = GdiplusReady();
  if (!gdip) return nullptr;
  const std::wstring wide = WideFromAnsi(path);
  Gdiplus::GpImage* image = nullptr;
  if (gdip->LoadImageFromFile(wide.c_str(), &image) != Gdiplus::Ok) return nullptr;
  UINT w = 0, h = 0;
  gdip->GetImageWidth(image, &w);
  gdip->GetImageHeight(image, &h);
  HBITMAP result = nullptr;
  if (w > 0 && h > 0) {
    UINT tw = w, th = h;
    if (tw > static_cast<UINT>(width) || th > static_cast<UINT>(height)) {
      // The smaller of the two ratios, in integers: width/w against height/h.
      if (static_cast<unsigned long long>(width) * h <=
          static_cast<unsigned long long>(height) * w) {
        tw = static_cast<UINT>(width);
        th = static_cast<UINT>(std::max<unsigned long long>(1, 1ULL * h * width / w));
      } else {
        th = static_cast<UINT>(height);
        tw = static_cast<UINT>(std::max<unsigned long long>(1, 1ULL * w * height / h));
      }
    }
    Gdiplus::GpImage* thumb = nullptr;
    if (gdip->GetImageThumbnail(image, tw, th, &thumb, nullptr, nullptr) == Gdiplus::Ok) {
      gdip->CreateHBITMAPFromBitmap(static_cast<Gdiplus::GpBitmap*>(thumb), &result, 0xFFFFFFFF);
      gdip->DisposeImage(thumb);
    }
  }
  gdip->DisposeImage(image);
  return result;
}

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info{};
  GetObjectA(bitmap, sizeof info, &info);
  return SIZE{info.bmWidth, info.bmHeight};
}

}  // namespace

void TVemkoSearcher::CreatePreviewPanel() {
  RegisterImageClass();
  Panel6 = AddControl(CreatePanel(hwnd_, "", 40, 110, kPanel6Width, kPanel6Height), "Panel6");
  SetPanelColor(Panel6, kPreviewGrey);
  Image1 = AddControl(
      CreateWindowExA(0, kImageClass, "", WS_CHILD | WS_VISIBLE, 10, 10, kImage1Width,
                      kImage1Height, Panel6, NextControlId(), GetModuleHandleA(nullptr), this),
      "Image1");
  ShowWindow(Panel6, SW_HIDE);
  // The list paints around the panel that lies over it.
  SetWindowLongPtrA(ListView1, GWL_STYLE,
                    GetWindowLongPtrA(ListView1, GWL_STYLE) | WS_CLIPSIBLINGS);
  SetWindowSubclass(ListView1, PreviewListProc, kListSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void TVemkoSearcher::SpeedButton6Click() {
  ShowPreview();
}

void TVemkoSearcher::ListView1MouseDown() {
  ShowPreview();
}

void TVemkoSearcher::ListView1KeyUp(WPARAM key) {
  if (key == VK_UP || key == VK_DOWN) ShowPreview();
}

void TVemkoSearcher::HidePreview() {
  if (Panel6) ShowWindow(Panel6, SW_HIDE);
}

void TVemkoSearcher::ShowPreview() {
  const int row = SelectedRow();
  const std::string path =
      row >= 0 && row < static_cast<int>(HitList.size()) ? HitList[row].Path.str() : std::string();
  if (!win::IsChecked(SpeedButton6) || SystemKind == 0 ||
      (!path.empty() && win::DirectoryExists(path))) {
    HidePreview();
    return;
  }
  const int maxW = kImage1Width - 2, maxH = kImage1Height - 2;
  const bool dib = LowerExtension(path) == ".dib";
  win::UniqueBitmap picture;
  if (path.empty()) {
    // No row: nothing to load.
  } else if (dib) {
    picture.reset(static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                                  LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
  } else {
    picture.reset(ShellThumbnail(path, maxW, maxH));
  }
  if (!picture) {
    HidePreview();
    return;
  }
  const SIZE size = BitmapSize(picture.get());
  const FitRect fit = FitRectangle(kImage1Width, kImage1Height, size.cx, size.cy);

  win::WindowDC screen(nullptr);
  win::UniqueBitmap canvas(CreateCompatibleBitmap(screen.get(), kImage1Width, kImage1Height));
  {
    win::UniqueMemoryDC target(CreateCompatibleDC(screen.get()));
    win::UniqueMemoryDC source(CreateCompatibleDC(screen.get()));
    win::SelectInDC selectTarget(target.get(), canvas.get());
    win::SelectInDC selectSource(source.get(), picture.get());
    // A fresh canvas is white; the picture is copied onto it as it is.
    PatBlt(target.get(), 0, 0, kImage1Width, kImage1Height, WHITENESS);
    if (dib) {
      SetStretchBltMode(target.get(), HALFTONE);
      SetBrushOrgEx(target.get(), 0, 0, nullptr);
      StretchBlt(target.get(), fit.left + 1, fit.top + 1, fit.width - 1, fit.height - 1,
                 source.get(), 0, 0, size.cx, size.cy, SRCCOPY);
    } else if (size.cx < maxW && size.cy < maxH) {
      SetStretchBltMode(target.get(), COLORONCOLOR);
      StretchBlt(target.get(), fit.left + 1, fit.top + 1, fit.width - 2, fit.height - 2,
                 source.get(), 0, 0, size.cx, size.cy, SRCCOPY);
    } else {
      BitBlt(target.get(), fit.left + 1, fit.top + 1, size.cx, size.cy, source.get(), 0, 0,
             SRCCOPY);
    }
  }
  PreviewPicture = std::move(canvas);
  InvalidateRect(Image1, nullptr, FALSE);
  if (!IsWindowVisible(Panel6)) {
    SetWindowPos(Panel6, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  }
}

// The shell's thumbnail (IExtractImage) where the shell offers one for the
// file; otherwise (Wine offers none) a GDI+ thumbnail of the file.
HBITMAP TVemkoSearcher::ShellThumbnail(const std::string& path, int width, int height) {
  HBITMAP bitmap = nullptr;
  win::ComPtr<IShellFolder> desktop;
  win::ComPtr<IMalloc> allocator;
  if (SUCCEEDED(SHGetDesktopFolder(desktop.put())) && SUCCEEDED(SHGetMalloc(allocator.put()))) {
    std::wstring folderName = WideFromAnsi(ContainingFolder(path));
    std::wstring itemName = WideFromAnsi(LastComponent(path));
    win::ItemIdList folderList;
    if (!folderName.empty() && !itemName.empty() &&
        SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, folderName.data(), nullptr,
                                            folderList.put(), nullptr))) {
      win::ComPtr<IShellFolder> folder;
      if (SUCCEEDED(desktop->BindToObject(folderList.get(), nullptr, IID_IShellFolder,
                                          folder.put_void()))) {
        win::ItemIdList child;
        if (SUCCEEDED(folder->ParseDisplayName(nullptr, nullptr, itemName.data(), nullptr,
                                               child.put(), nullptr))) {
          win::ComPtr<IExtractImage> extract;
          LPCITEMIDLIST items[1] = {child.get()};
          if (SUCCEEDED(folder->GetUIObjectOf(nullptr, 1, items, IID_IExtractImage, nullptr,
                                              extract.put_void()))) {
            wchar_t location[MAX_PATH] = {};
            DWORD priority = 0;
            SIZE size{width, height};
            DWORD flags = IEIFLAG_ORIGSIZE | IEIFLAG_QUALITY;
            // Only a plain S_OK: a handler that wants to extract later
            // (E_PENDING) gives no picture now.
            if (extract->GetLocation(location, MAX_PATH, &priority, &size, 32, &flags) == S_OK) {
              if (FAILED(extract->Extract(&bitmap))) bitmap = nullptr;
            }
          }
        }
      }
    }
  }
  if (bitmap) {
    // A handler that reports success with an empty picture is no thumbnail.
    const SIZE size = BitmapSize(bitmap);
    if (size.cx <= 1 && size.cy <= 1) {
      DeleteObject(bitmap);
      bitmap = nullptr;
    }
  }
  if (!bitmap) bitmap = GdiplusThumbnail(path, width, height);
  return bitmap;
}

void TVemkoSearcher::Image1MouseMove() {
  RECT panel;
  GetWindowRect(Panel6, &panel);
  MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&panel), 2);
  const int panelW = panel.right - panel.left, panelH = panel.bottom - panel.top;
  int left = panel.left;
  left = left <= 50 ? left + panelW + 32 : left - panelW - 32;
  RECT list;
  GetWindowRect(ListView1, &list);
  MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&list), 2);
  const int top = list.top + (list.bottom - list.top) / 2 - panelH / 2;
  SetWindowPos(Panel6, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace filvex
