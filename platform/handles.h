#pragma once
// RAII owners of the Windows handles the program keeps. Each type closes its
// handle with the one function that matches how it was obtained.

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace filvex::win {

// Owns a handle of type H and releases it with Close::operator() unless it is
// one of the two "no handle" values (null and INVALID_HANDLE_VALUE for kernel
// handles).
template <class H, class Close>
class UniqueResource {
 public:
  UniqueResource() = default;
  explicit UniqueResource(H h) : h_(h) {}
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& o) noexcept : h_(std::exchange(o.h_, H{})) {}
  UniqueResource& operator=(UniqueResource&& o) noexcept {
    if (this != &o) reset(std::exchange(o.h_, H{}));
    return *this;
  }
  ~UniqueResource() { reset(); }

  H get() const { return h_; }
  explicit operator bool() const { return Close::Valid(h_); }
  H release() { return std::exchange(h_, H{}); }
  void reset(H h = H{}) {
    if (Close::Valid(h_)) Close{}(h_);
    h_ = h;
  }

 private:
  H h_{};
};

struct CloseKernelHandle {
  static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  void operator()(HANDLE h) const { CloseHandle(h); }
};
struct CloseFindHandle {
  static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  void operator()(HANDLE h) const { FindClose(h); }
};
struct DeleteGdiObject {
  static bool Valid(HGDIOBJ h) { return h != nullptr; }
  void operator()(HGDIOBJ h) const { DeleteObject(h); }
};
struct DestroyImageList {
  static bool Valid(HIMAGELIST h) { return h != nullptr; }
  void operator()(HIMAGELIST h) const { ImageList_Destroy(h); }
};
struct DestroyMenuHandle {
  static bool Valid(HMENU h) { return h != nullptr; }
  void operator()(HMENU h) const { DestroyMenu(h); }
};
struct UnhookHook {
  static bool Valid(HHOOK h) { return h != nullptr; }
  void operator()(HHOOK h) const { UnhookWindowsHookEx(h); }
};
struct DeleteMemoryDC {
  static bool Valid(HDC h) { return h != nullptr; }
  void operator()(HDC h) const { DeleteDC(h); }
};
struct FreeGlobalMemory {
  static bool Valid(HGLOBAL h) { return h != nullptr; }
  void operator()(HGLOBAL h) const { GlobalFree(h); }
};

// A kernel object handle (thread, file, event) closed with CloseHandle.
using UniqueHandle = UniqueResource<HANDLE, CloseKernelHandle>;
// A directory enumeration handle closed with FindClose.
using UniqueFindHandle = UniqueResource<HANDLE, CloseFindHandle>;
// A GDI object (bitmap, brush, font, pen) deleted with DeleteObject; it must
// not be selected into a device context at that moment.
template <class T>
using UniqueGdi = UniqueResource<T, DeleteGdiObject>;
using UniqueBitmap = UniqueGdi<HBITMAP>;
using UniqueBrush = UniqueGdi<HBRUSH>;
using UniqueFont = UniqueGdi<HFONT>;
// An image list the program created itself (never a system image list).
using UniqueImageList = UniqueResource<HIMAGELIST, DestroyImageList>;
// A menu that is not attached to a window (attached menus die with it).
using UniqueMenu = UniqueResource<HMENU, DestroyMenuHandle>;
// A windows hook installed with SetWindowsHookEx.
using UniqueHook = UniqueResource<HHOOK, UnhookHook>;
// A memory device context made with CreateCompatibleDC.
using UniqueMemoryDC = UniqueResource<HDC, DeleteMemoryDC>;
// A global memory block from GlobalAlloc, freed unless it was handed on
// (release) to the clipboard, which then owns it.
using UniqueGlobal = UniqueResource<HGLOBAL, FreeGlobalMemory>;

// Selects a GDI object into a device context for one scope and puts the
// previous object back at its end.
class SelectInDC {
 public:
  SelectInDC(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
  SelectInDC(const SelectInDC&) = delete;
  SelectInDC& operator=(const SelectInDC&) = delete;
  ~SelectInDC() { SelectObject(dc_, old_); }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// The window's client-area device context for one scope (GetDC/ReleaseDC).
class WindowDC {
 public:
  explicit WindowDC(HWND wnd) : wnd_(wnd), dc_(GetDC(wnd)) {}
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  ~WindowDC() {
    if (dc_) ReleaseDC(wnd_, dc_);
  }
  HDC get() const { return dc_; }

 private:
  HWND wnd_;
  HDC dc_;
};

}  // namespace filvex::win
