#include "about/version_box_win.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstdlib>
#include <vector>

#include "about/update_check.h"
#include "platform/com.h"
#include "platform/dialog_parts.h"
#include "platform/handles.h"
#include "platform/internet.h"
#include "platform/message_box.h"
#include "platform/shell_start.h"

namespace filvex {
namespace {

constexpr UINT_PTR kTimer1 = 1;     // the icon's animation, every 200 ms
constexpr UINT_PTR kShowTimer = 2;  // one tick after showing: the test hook
constexpr int kWidth = 330, kHeight = 196;
constexpr int kIconBox = 84;  // the icon's area: 64 pixels and the drift
constexpr char kUserAgent[] = "Vemko";

std::function<void(TVersionBox&)>& ShowHook() {
  static std::function<void(TVersionBox&)> hook;
  return hook;
}

std::function<std::optional<std::string>()>& FolderChooser() {
  static std::function<std::optional<std::string>()> chooser;
  return chooser;
}

// A random offset in [-range, range].
int Jitter(int range) {
  return range > 0 ? std::rand() % (2 * range + 1) - range : 0;
}

bool DeleteIfPresent(const std::string& path) {
  return DeleteFileA(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

}  // namespace

// ---- TAboutDialog ----------------------------------------------------------

void TAboutDialog::Execute(HWND owner) {
  if (open_) return;
  open_ = true;
  TVersionBox box;
  box.TitleText = ApplicationTitle + "  " + VerNo;
  box.VersionText = VerNoMain;
  box.ProgrammerText = "Programming by " + ProgramerName;
  box.YearText = Year;
  box.CorpText = Corp;
  box.TitleColor = TitleFontColor;
  box.VersionColor = VerFontColor;
  box.YearColor = DateColor;
  box.JumpXY = JumpXY;
  box.StretchMax = StretchMax;
  box.PageName = UpdateFileName.empty() ? "UpdateFilePage.html" : UpdateFileName;
  box.UpdateName = UpdateName;
  box.UpdateFolderName = UpdateFolderName;
  box.UpdateDownFolder = UpdateDownFolder;
  box.VerStr = VerStr;
  box.NoChkDownLoad = NoChkDownLoad;
  box.BaseAddress = UpdateBaseAddress(std::getenv("FILVEX_UPDATE_BASE"));
  // Few colours on the display: the pale panel colour would be dithered.
  win::WindowDC screen(nullptr);
  box.PanelColor = GetDeviceCaps(screen.get(), BITSPIXEL) <= 10 ? RGB(255, 255, 255) : BackColor;
  box.ShowModal(owner);
  open_ = false;
}

// ---- TVersionBox -----------------------------------------------------------

void TVersionBox::SetShowHookForTests(std::function<void(TVersionBox&)> hook) {
  ShowHook() = std::move(hook);
}

void TVersionBox::SetFolderChooserForTests(std::function<std::optional<std::string>()> chooser) {
  FolderChooser() = std::move(chooser);
}

void TVersionBox::ShowModal(HWND owner) {
  win::UniqueFont font = win::CreateMessageFont();
  font_ = font ? font.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  win::UniqueBrush brush(CreateSolidBrush(PanelColor));
  panelBrush_ = brush.get();
  // The dialog sizes itself when it is made.
  win::RunTemplateDialog(owner, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0,
                         DialogProc, reinterpret_cast<LPARAM>(this), WS_EX_TOPMOST);
  hwnd_ = nullptr;
}

void TVersionBox::Close() {
  if (hwnd_ && DownloadIdle == 1) EndDialog(hwnd_, IDOK);
}

void TVersionBox::InitDialog(HWND dlg) {
  hwnd_ = dlg;
  SetWindowTextA(dlg, "バージョン情報");
  const int textX = 16 + kIconBox + 12, textW = kWidth - textX - 12;
  iconRect_ = RECT{16, 16, 16 + kIconBox, 16 + kIconBox};
  HWND image = win::AddDialogChild(dlg, "STATIC", "", SS_OWNERDRAW | SS_NOTIFY, kImage1, 16, 16,
                                   kIconBox, kIconBox, font_);
  SetWindowSubclass(image, ImageProc, 1, reinterpret_cast<DWORD_PTR>(this));
  win::AddDialogChild(dlg, "STATIC", TitleText.c_str(), SS_LEFT, kStaticText1, textX, 18, textW, 20,
                      font_);
  win::AddDialogChild(dlg, "STATIC", VersionText.c_str(), SS_LEFT, kStaticText2, textX, 40, textW,
                      20, font_);
  win::AddDialogChild(dlg, "STATIC", YearText.c_str(), SS_LEFT, kLabel3, textX, 62, textW, 20,
                      font_);
  win::AddDialogChild(dlg, "STATIC", ProgrammerText.c_str(), SS_LEFT, kLabel2, textX, 84, textW, 20,
                      font_);
  win::AddDialogChild(dlg, "STATIC", CorpText.c_str(), SS_LEFT | SS_NOTIFY, kLabel4, textX, 106,
                      textW, 20, font_);
  HWND bar = win::AddDialogChild(dlg, PROGRESS_CLASSA, "", 0, kProgressBar, 16, 134, kWidth - 32,
                                 14, font_);
  ShowWindow(bar, SW_HIDE);
  HWND update = win::AddDialogChild(dlg, "BUTTON", "Update", BS_PUSHBUTTON | WS_TABSTOP,
                                    kUpdateChkBtn, 16, 158, 88, 26, font_);
  win::AddDialogChild(dlg, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, kWidth - 16 - 88,
                      158, 88, 26, font_);
  // The Update button's hint: its short part as the tooltip.
  HWND tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, "", WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0,
                             0, dlg, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (tip) {
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = dlg;
    tool.uId = reinterpret_cast<UINT_PTR>(update);
    tool.lpszText = const_cast<char*>("更新ファイルを確認する");
    SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }

  RECT rc{0, 0, kWidth, kHeight};
  AdjustWindowRectEx(&rc, static_cast<DWORD>(GetWindowLongPtrA(dlg, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrA(dlg, GWL_EXSTYLE)));
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  SetWindowPos(dlg, HWND_TOPMOST, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, 0);
  SetTimer(dlg, kTimer1, 200, nullptr);
  if (ShowHook()) SetTimer(dlg, kShowTimer, 10, nullptr);
}

INT_PTR CALLBACK TVersionBox::DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<TVersionBox*>(GetWindowLongPtrA(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dlg, DWLP_USER, lp);
      reinterpret_cast<TVersionBox*>(lp)->InitDialog(dlg);
      return TRUE;
    case WM_TIMER:
      if (!self) break;
      if (wp == kShowTimer) {
        KillTimer(dlg, kShowTimer);
        if (ShowHook()) ShowHook()(*self);
      } else if (wp == kTimer1) {
        self->Timer1Timer();
      }
      return TRUE;
    case WM_CTLCOLORDLG:
      return self ? reinterpret_cast<INT_PTR>(self->panelBrush_) : FALSE;
    case WM_CTLCOLORSTATIC: {
      if (!self) break;
      HDC dc = reinterpret_cast<HDC>(wp);
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lp));
      COLORREF color = self->VersionColor;
      if (id == kStaticText1) color = self->TitleColor;
      if (id == kLabel3) color = self->YearColor;
      if (id == kLabel4) color = RGB(0, 0, 255);  // a link
      SetTextColor(dc, color);
      SetBkColor(dc, self->PanelColor);
      return reinterpret_cast<INT_PTR>(self->panelBrush_);
    }
    case WM_DRAWITEM:
      if (self && wp == kImage1) {
        self->DrawImage(*reinterpret_cast<DRAWITEMSTRUCT*>(lp));
        return TRUE;
      }
      break;
    case WM_COMMAND:
      if (!self) break;
      switch (LOWORD(wp)) {
        case kUpdateChkBtn:
          if (HIWORD(wp) == BN_CLICKED) self->UpdateChkBtnClick();
          return TRUE;
        case kLabel4:
          if (HIWORD(wp) == STN_CLICKED) self->Label4Click();
          return TRUE;
        case IDOK:
        case IDCANCEL:
          // Escape or the close box during a download stops it; the window
          // closes once the download has returned.
          if (self->DownloadIdle == 0) {
            self->DownloadIdle = 1;
          } else {
            EndDialog(dlg, IDOK);
          }
          return TRUE;
        default:
          break;
      }
      break;
    case WM_DESTROY:
      KillTimer(dlg, kTimer1);
      break;
    default:
      break;
  }
  return FALSE;
}

// The icon's area follows the mouse: moving over it enlarges the icon,
// pressing on it shrinks it.
LRESULT CALLBACK TVersionBox::ImageProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                        DWORD_PTR selfPtr) {
  auto* self = reinterpret_cast<TVersionBox*>(selfPtr);
  switch (msg) {
    case WM_MOUSEMOVE:
      if (!self->hover_) {
        self->hover_ = true;
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, wnd, 0};
        TrackMouseEvent(&track);
        InvalidateRect(wnd, nullptr, TRUE);
      }
      break;
    case WM_MOUSELEAVE:
      self->hover_ = false;
      self->pressed_ = false;
      InvalidateRect(wnd, nullptr, TRUE);
      break;
    case WM_LBUTTONDOWN:
      self->pressed_ = true;
      InvalidateRect(wnd, nullptr, TRUE);
      break;
    case WM_LBUTTONUP:
      self->pressed_ = false;
      InvalidateRect(wnd, nullptr, TRUE);
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(wnd, ImageProc, id);
      break;
    default:
      break;
  }
  return DefSubclassProc(wnd, msg, wp, lp);
}

void TVersionBox::Timer1Timer() {
  frame_ ^= 1;
  InvalidateRect(GetDlgItem(hwnd_, kImage1), nullptr, TRUE);
}

// Two frames of 64 x 64: the program's icon, and the same icon lifted over
// its shadow. Each paint places it with a jitter of up to JumpXY pixels and
// a size drift of up to StretchMax pixels.
void TVersionBox::DrawImage(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  FillRect(dc, &item.rcItem, panelBrush_);
  int size = 64 + (StretchMax > 0 ? std::rand() % (StretchMax + 1) : 0);
  if (hover_) size += StretchMax;
  if (pressed_) size -= 2 * StretchMax;
  const int boxW = item.rcItem.right - item.rcItem.left;
  const int boxH = item.rcItem.bottom - item.rcItem.top;
  const int x = (boxW - size) / 2 + Jitter(JumpXY);
  const int y = (boxH - size) / 2 + Jitter(JumpXY);
  HICON icon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  if (frame_ == 1) {
    DrawIconEx(dc, x + 2, y + 2, icon, size, size, 0, nullptr, DI_MASK);
    DrawIconEx(dc, x - 1, y - 1, icon, size, size, 0, nullptr, DI_NORMAL);
  } else {
    DrawIconEx(dc, x, y, icon, size, size, 0, nullptr, DI_NORMAL);
  }
}

void TVersionBox::Message(const std::string& text) {
  win::ShowMessageBox(hwnd_, text, win::ApplicationTitle(), MB_OK | MB_ICONINFORMATION);
}

void TVersionBox::UpdateChkBtnClick() {
  if (DownloadIdle == 0) {
    DownloadIdle = 1;
    return;
  }
  const char* const kNoConnection = "インターネットに接続できません。";
  if (!win::InternetAvailable()) {
    Message(kNoConnection);
    return;
  }
  std::string page;
  {
    win::UniqueInternet session = win::OpenInternetSession(kUserAgent);
    win::UniqueInternet request =
        win::OpenUrl(session.get(), UpdatePageAddress(BaseAddress, UpdateFolderName, PageName));
    if (!request) {
      Message(kNoConnection);
      return;
    }
    const DWORD chunk = win::ReadChunkSize(request.get());
    std::vector<char> buffer(chunk);
    DWORD read = 0;
    // A page that cannot be read to its end is searched as far as it came.
    while (win::ReadChunk(request.get(), buffer.data(), chunk, read) && read > 0) {
      page.append(buffer.data(), read);
    }
  }
  const auto archive = FindReleaseArchive(page, UpdateName);
  if (!archive) {
    Message("アップデートファイルが有りません！");
    return;
  }
  FoundArchive = archive->name;
  if (OffersRelease(VerStr, archive->release, NoChkDownLoad)) {
    DownloadArchive();
  } else {
    Message("お使いのソフトは最新のバージョンです。");
  }
}

std::optional<std::string> TVersionBox::ChooseFolder() {
  if (FolderChooser()) return FolderChooser()();
  BROWSEINFOA info{};
  info.hwndOwner = hwnd_;
  char name[MAX_PATH] = {};
  info.pszDisplayName = name;
  info.lpszTitle = "保存先を選択して下さい";
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  win::ItemIdList list(SHBrowseForFolderA(&info));
  if (!list) return std::nullopt;
  char path[MAX_PATH] = {};
  if (!SHGetPathFromIDListA(list.get(), path)) return std::nullopt;
  return std::string(path);
}

void TVersionBox::DownloadArchive() {
  const std::string question = "最新のアップデートファイルが見つかりました。\n'" + FoundArchive +
                               "' をダウンロードしますか？";
  if (win::ShowMessageBox(hwnd_, question, "Update", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  std::optional<std::string> folder = ChooseFolder();
  if (!folder || folder->empty()) return;
  if (folder->back() != '\\') *folder += '\\';
  Download(*folder);
}

void TVersionBox::ServeMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (!IsDialogMessageA(hwnd_, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}

// The archive is written under FoundArchive + ".part" and renamed when every
// announced byte has arrived, so a stopped, failed or cut-short download
// never leaves a file with the archive's name; an older copy of the archive
// in the folder stays until the new one is whole.
void TVersionBox::Download(const std::string& folder) {
  win::UniqueInternet session = win::OpenInternetSession(kUserAgent);
  win::UniqueInternet request =
      win::OpenUrl(session.get(), ArchiveAddress(BaseAddress, UpdateDownFolder, FoundArchive));
  if (!request) return;
  unsigned long long length = 0;
  if (!win::ContentLength(request.get(), length)) return;
  const DWORD chunk = win::ReadChunkSize(request.get());

  const std::string target = folder + FoundArchive;
  const std::string partial = target + ".part";
  HWND bar = GetDlgItem(hwnd_, kProgressBar);
  HWND update = GetDlgItem(hwnd_, kUpdateChkBtn);
  HWND ok = GetDlgItem(hwnd_, IDOK);
  SendMessageA(bar, PBM_SETRANGE32, 0, DownloadSteps(length, chunk));
  SendMessageA(bar, PBM_SETPOS, 0, 0);
  ShowWindow(bar, SW_SHOW);
  ShowWindow(ok, SW_HIDE);
  SetWindowTextA(update, "中止");
  DownloadIdle = 0;

  bool failed = false;
  unsigned long long received = 0;
  {
    win::UniqueHandle file(CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    failed = !file;
    std::vector<char> buffer(chunk);
    while (!failed && DownloadIdle == 0) {
      DWORD read = 0;
      if (!win::ReadChunk(request.get(), buffer.data(), chunk, read)) {
        failed = true;
        break;
      }
      if (read == 0) break;
      DWORD written = 0;
      if (!WriteFile(file.get(), buffer.data(), read, &written, nullptr) || written != read) {
        failed = true;
        break;
      }
      received += read;
      SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(DownloadSteps(received, chunk)), 0);
      ServeMessages();
    }
  }
  request.reset();
  session.reset();
  const bool stopped = !failed && DownloadIdle == 1;
  // The server closing early ends the reads like the end of the data.
  if (!failed && !stopped && received != length) failed = true;
  if (!failed && !stopped &&
      !MoveFileExA(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    failed = true;
  }

  ShowWindow(bar, SW_HIDE);
  SetWindowTextA(update, "Update");
  ShowWindow(ok, SW_SHOW);
  DownloadIdle = 1;

  if (stopped || failed) {
    DeleteIfPresent(partial);
    Message(stopped ? "ダウンロードを中止しました。" : "down load error");
    return;
  }
  win::ShellExecuteCall(hwnd_, "open", folder.substr(0, folder.size() - 1), nullptr, SW_SHOWNORMAL);
}

void TVersionBox::Label4Click() {
  if (win::ShellExecuteCall(hwnd_, "open", "iexplore", BaseAddress.c_str(), SW_SHOWNORMAL) <= 32) {
    win::ShellExecuteCall(hwnd_, "open", BaseAddress, nullptr, SW_SHOWNORMAL);
  }
}

}  // namespace filvex
