// Icons and type names of the result rows: the look-ups through the shell,
// the fetch for the rows about to be painted and on screen, and the folder
// view's background fetch.

#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>
#include <shellapi.h>

#include <exception>
#include <string>

#include "app/vemko_searcher_win.h"
#include "platform/com.h"
#include "platform/shell_icon_win.h"
#include "platform/ui_call.h"
#include "platform/window_text.h"
#include "results/icon_rules.h"

namespace filvex {

namespace {

// The rules bound to the window's type cache and hand-back values; made per
// call (a few pointers), the shell folder is shared.
struct WindowIcons {
  explicit WindowIcons(TVemkoSearcher& w)
      : shell(w.ShellDesktopFolder),
        rules(shell, w.SystemKind, w.SpecialIconExtensions, w.TypeCache, w.LastTypeName,
              w.LastOverlay) {}
  win::WinIconShell shell;
  IconRules rules;
};

}  // namespace

int TVemkoSearcher::LookupIcon(const std::string& path, bool useCache) {
  return WindowIcons(*this).rules.LookupIcon(path, useCache);
}

int TVemkoSearcher::ShellIconOf(const std::string& path) {
  return WindowIcons(*this).rules.ShellIconOf(path);
}

int TVemkoSearcher::FileInfoIcon(const std::string& path) {
  return WindowIcons(*this).rules.FileInfoIcon(path);
}

void TVemkoSearcher::StartSystemImagesFetch() {
  if (SystemImagesAttached || ShellImagesWarmUp.joinable()) return;
  // The shell makes its system image lists at their first use, and sets up
  // its folder names at the first look at a path's attributes. Asked here on
  // a thread of its own, the same questions on the window thread then cost
  // next to nothing (the lists are the process's own).
  const std::string folder = ProgramFolder;
  try {
    ShellImagesWarmUp = std::jthread([folder] {
      const win::ComInitGuard com;
      const std::string root = folder.substr(0, 3);
      SHFILEINFOA info{};
      SHGetFileInfoA(root.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
      SHGetFileInfoA(root.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX);
      SHGetFileInfoA(folder.c_str(), 0, &info, sizeof info,
                     SHGFI_SYSICONINDEX | SHGFI_ATTRIBUTES | SHGFI_TYPENAME);
    });
  } catch (const std::exception&) {
    // No thread to be had: EnsureSystemImages asks the shell itself.
  }
}

void TVemkoSearcher::EnsureSystemImages() {
  if (SystemImagesAttached) return;
  SystemImagesAttached = true;
  if (ShellImagesWarmUp.joinable()) ShellImagesWarmUp.join();
  // The system image lists, found through the root of the program's drive.
  const std::string root = ProgramFolder.substr(0, 3);
  SHFILEINFOA info{};
  SystemSmallImages = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoA(root.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  SystemLargeImages = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoA(root.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX));
  if (SystemSmallImages && SystemLargeImages) {
    ListView_SetImageList(ListView1, SystemLargeImages, LVSIL_NORMAL);
    ListView_SetImageList(ListView1, SystemSmallImages, LVSIL_SMALL);
  }
  // The default icons of new folder and file rows.
  FolderIconIndex = FileInfoIcon(ProgramFolder);
  FileIconIndex = FileInfoIcon("*.dat");
}

void TVemkoSearcher::FetchPaintedIcons(int first, int last) {
  const bool pickupShown = win::IsChecked(HitListSpBtn);
  if (!Settings.ico && !pickupShown) return;
  WindowIcons icons(*this);
  filvex::FetchPaintedIcons(HitList, first, last, icons.rules);
}

void TVemkoSearcher::FetchVisibleIcons() {
  ProcessMessages();  // the selection is painted first
  if (HitList.empty()) return;
  const bool report =
      (GetWindowLongPtrA(ListView1, GWL_STYLE) & LVS_TYPEMASK) == static_cast<LONG_PTR>(LVS_REPORT);
  int first = 0, last = 0;
  if (!ShownRows(report, ListView_GetTopIndex(ListView1), ListView_GetCountPerPage(ListView1),
                 VisibleFirst, VisibleLast, static_cast<int>(HitList.size()), &first, &last)) {
    return;
  }
  WindowIcons icons(*this);
  FetchShownIcons(HitList, first, last, icons.rules);
  // One repaint of the page, double-buffered so the rows do not flicker.
  const DWORD oldStyle = ListView_GetExtendedListViewStyle(ListView1);
  ListView_SetExtendedListViewStyleEx(ListView1, LVS_EX_DOUBLEBUFFER, LVS_EX_DOUBLEBUFFER);
  ListView_RedrawItems(ListView1, first, last);
  UpdateWindow(ListView1);
  ListView_SetExtendedListViewStyleEx(ListView1, LVS_EX_DOUBLEBUFFER, oldStyle);
}

void TVemkoSearcher::StartIconFetch() {
  if (IconThread) return;  // callers stop the previous fetch first
  IconStop.store(0);
  SetCursor(LoadCursor(nullptr, IDC_WAIT));
  IconThread = std::make_unique<win::WorkerThread>(
      [this] {
        // Each row is looked at on the user-interface thread, so the worker
        // never reads a record that window code may be changing; rows that
        // already have their icon cost a hand-over each, which the folder
        // view (all rows new) never has.
        bool more = true;
        for (size_t i = 0; more && IconStop.load() == 0; ++i) {
          win::RunOnUiThread([&] {
            if (i >= HitList.size()) {
              more = false;
              return;
            }
            HitRecord& r = HitList[i];
            if (r.IconSet) return;
            WindowIcons icons(*this);
            FetchOneIcon(r, icons.rules);
            ListView_RedrawItems(ListView1, static_cast<int>(i), static_cast<int>(i));
          });
        }
      },
      [] { SetCursor(LoadCursor(nullptr, IDC_ARROW)); });
  if (!IconThread->Start()) IconThread.reset();
}

void TVemkoSearcher::StopIconFetch() {
  if (!IconThread) return;
  IconStop.store(1);
  if (IconThread->Started()) IconThread->Wait();  // serves its pending hand-over
  IconThread.reset();
}

}  // namespace filvex
