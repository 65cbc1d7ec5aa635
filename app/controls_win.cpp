#include "app/controls_win.h"

#include "platform/handles.h"

namespace filvex {
namespace {

constexpr char kPanelClass[] = "TPanel";
constexpr char kSpinClass[] = "TCSpinButton";

struct PanelData {
  COLORREF color = CLR_DEFAULT;
  win::UniqueBrush brush;
  PanelAlignment alignment = PanelAlignment::Center;
  bool doubleBuffered = false;
  HFONT font = nullptr;  // owned by whoever set it
};

PanelData* DataOf(HWND wnd) {
  return reinterpret_cast<PanelData*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
}

HBRUSH BackgroundBrush(PanelData* d) {
  return d && d->brush ? d->brush.get() : GetSysColorBrush(COLOR_BTNFACE);
}

void PaintPanel(HWND wnd, HDC dc, const RECT& rc) {
  PanelData* d = DataOf(wnd);
  FillRect(dc, &rc, BackgroundBrush(d));
  RECT edge = rc;
  DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT);
  char text[512];
  const int n = GetWindowTextA(wnd, text, sizeof text);
  if (n <= 0) return;
  win::SelectInDC font(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(wnd, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  RECT box = rc;
  InflateRect(&box, -4, -1);
  UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
  const PanelAlignment a = d ? d->alignment : PanelAlignment::Center;
  format |= a == PanelAlignment::Left ? DT_LEFT : a == PanelAlignment::Right ? DT_RIGHT : DT_CENTER;
  DrawTextA(dc, text, n, &box, format);
}

LRESULT CALLBACK PanelProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCCREATE:
      SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new PanelData));
      break;
    case WM_NCDESTROY:
      delete DataOf(wnd);
      SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
      break;
    case WM_SETFONT:
      if (PanelData* d = DataOf(wnd)) d->font = reinterpret_cast<HFONT>(wp);
      if (LOWORD(lp)) InvalidateRect(wnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT: {
      PanelData* d = DataOf(wnd);
      return reinterpret_cast<LRESULT>(d ? d->font : nullptr);
    }
    case WM_SETTEXT: {
      const LRESULT r = DefWindowProcA(wnd, msg, wp, lp);
      InvalidateRect(wnd, nullptr, FALSE);
      return r;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(wnd, &ps);
      RECT rc;
      GetClientRect(wnd, &rc);
      PanelData* d = DataOf(wnd);
      if (d && d->doubleBuffered && rc.right > 0 && rc.bottom > 0) {
        win::UniqueMemoryDC mem(CreateCompatibleDC(dc));
        win::UniqueBitmap bmp(CreateCompatibleBitmap(dc, rc.right, rc.bottom));
        {
          win::SelectInDC sel(mem.get(), bmp.get());
          PaintPanel(wnd, mem.get(), rc);
          BitBlt(dc, 0, 0, rc.right, rc.bottom, mem.get(), 0, 0, SRCCOPY);
        }
      } else {
        PaintPanel(wnd, dc, rc);
      }
      EndPaint(wnd, &ps);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      PanelData* d = DataOf(wnd);
      if (d && d->brush) {
        SetBkColor(reinterpret_cast<HDC>(wp), d->color);
        return reinterpret_cast<LRESULT>(d->brush.get());
      }
      break;
    }
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
      return SendMessageA(GetParent(wnd), msg, wp, lp);
    default:
      break;
  }
  return DefWindowProcA(wnd, msg, wp, lp);
}

struct SpinData {
  int pressed = 0;  // 0 none, 1 up, 2 down
  bool repeating = false;
};

SpinData* SpinOf(HWND wnd) {
  return reinterpret_cast<SpinData*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
}

int HalfAt(HWND wnd, int y) {
  RECT rc;
  GetClientRect(wnd, &rc);
  return y < rc.bottom / 2 ? 1 : 2;
}

void SpinReport(HWND wnd, int half) {
  SendMessageA(GetParent(wnd), WM_COMMAND,
               MAKEWPARAM(GetDlgCtrlID(wnd), half == 1 ? kSpinUpClick : kSpinDownClick),
               reinterpret_cast<LPARAM>(wnd));
}

void SpinRelease(HWND wnd) {
  SpinData* d = SpinOf(wnd);
  if (!d || !d->pressed) return;
  d->pressed = 0;
  d->repeating = false;
  KillTimer(wnd, 1);
  InvalidateRect(wnd, nullptr, FALSE);
}

LRESULT CALLBACK SpinProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCCREATE:
      SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new SpinData));
      break;
    case WM_NCDESTROY:
      delete SpinOf(wnd);
      SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
      break;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(wnd, &ps);
      RECT rc;
      GetClientRect(wnd, &rc);
      const SpinData* d = SpinOf(wnd);
      const UINT disabled = IsWindowEnabled(wnd) ? 0 : DFCS_INACTIVE;
      RECT up = rc, down = rc;
      up.bottom = rc.bottom / 2;
      down.top = up.bottom;
      DrawFrameControl(dc, &up, DFC_SCROLL,
                       DFCS_SCROLLUP | disabled | (d && d->pressed == 1 ? DFCS_PUSHED : 0));
      DrawFrameControl(dc, &down, DFC_SCROLL,
                       DFCS_SCROLLDOWN | disabled | (d && d->pressed == 2 ? DFCS_PUSHED : 0));
      EndPaint(wnd, &ps);
      return 0;
    }
    case WM_ENABLE:
      InvalidateRect(wnd, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      SpinData* d = SpinOf(wnd);
      d->pressed = HalfAt(wnd, static_cast<short>(HIWORD(lp)));
      SetCapture(wnd);
      InvalidateRect(wnd, nullptr, FALSE);
      SetTimer(wnd, 1, 400, nullptr);
      SpinReport(wnd, d->pressed);
      return 0;
    }
    case WM_TIMER: {
      SpinData* d = SpinOf(wnd);
      if (wp != 1 || !d->pressed) return 0;
      if (!d->repeating) {
        d->repeating = true;
        SetTimer(wnd, 1, 100, nullptr);
      }
      // Only while the pointer is still over the button that was pressed.
      POINT pt;
      GetCursorPos(&pt);
      ScreenToClient(wnd, &pt);
      RECT rc;
      GetClientRect(wnd, &rc);
      if (PtInRect(&rc, pt) && HalfAt(wnd, pt.y) == d->pressed) SpinReport(wnd, d->pressed);
      return 0;
    }
    case WM_LBUTTONUP:
      SpinRelease(wnd);
      if (GetCapture() == wnd) ReleaseCapture();
      return 0;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      SpinRelease(wnd);
      break;
    default:
      break;
  }
  return DefWindowProcA(wnd, msg, wp, lp);
}

}  // namespace

void RegisterControlClasses() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  WNDCLASSA wc{};
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.lpfnWndProc = PanelProc;
  wc.lpszClassName = kPanelClass;
  RegisterClassA(&wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = SpinProc;
  wc.lpszClassName = kSpinClass;
  RegisterClassA(&wc);
}

HWND CreatePanel(HWND parent, const std::string& caption, int x, int y, int w, int h,
                 bool visible) {
  const DWORD style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0);
  return CreateWindowExA(WS_EX_CONTROLPARENT, kPanelClass, caption.c_str(), style, x, y, w, h,
                         parent, nullptr, GetModuleHandleA(nullptr), nullptr);
}

void SetPanelColor(HWND panel, COLORREF color) {
  PanelData* d = DataOf(panel);
  if (!d) return;
  d->color = color;
  d->brush.reset(color == CLR_DEFAULT ? nullptr : CreateSolidBrush(color));
  InvalidateRect(panel, nullptr, TRUE);
}

void SetPanelAlignment(HWND panel, PanelAlignment alignment) {
  if (PanelData* d = DataOf(panel)) d->alignment = alignment;
  InvalidateRect(panel, nullptr, FALSE);
}

void SetPanelDoubleBuffered(HWND panel, bool on) {
  if (PanelData* d = DataOf(panel)) d->doubleBuffered = on;
}

HWND CreateNumberEdit(HWND parent, int id, int x, int y, int w, int h, int alignment,
                      bool numberOnly) {
  DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
  style |= static_cast<DWORD>(alignment) & (ES_CENTER | ES_RIGHT);
  if (numberOnly) style |= ES_NUMBER;
  return CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", style, x, y, w, h, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleA(nullptr), nullptr);
}

HWND CreateSpinButton(HWND parent, int id, int x, int y, int w, int h) {
  return CreateWindowExA(0, kSpinClass, "", WS_CHILD | WS_VISIBLE, x, y, w, h, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleA(nullptr), nullptr);
}

}  // namespace filvex
