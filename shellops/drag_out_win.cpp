// Dragging rows. Inside the window a row drag is the list view's own: the
// mouse stays captured by ListView1 and the list accepts nothing dropped on
// it. Once the mouse has left the main window (Timer2 looks every 500 ms),
// that drag is cancelled and the shell's drag-and-drop of the rows' files
// takes over, offering only the copy effect. Ctrl+C on the list is the copy
// command; its key comes through the same hook of the list view.
#include "shellops/drag_out_win.h"

#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>
#include <shlobj.h>

#include <string>
#include <utility>
#include <vector>

#include "app/vemko_searcher_win.h"
#include "platform/dir_enum_win.h"
#include "searchlist/mbcs.h"
#include "shellops/file_transfer.h"

namespace filvex {
namespace {

// Any number but TMyListView's, whose hook sits on the same list view.
constexpr UINT_PTR kRowDragSubclassId = 0x52445247;

std::function<HRESULT(IDataObject*, IDropSource*, DWORD)>& ShellDragRecorder() {
  static std::function<HRESULT(IDataObject*, IDropSource*, DWORD)> recorder;
  return recorder;
}

class FileDropSource final : public IDropSource {
 public:
  explicit FileDropSource(HWND mainWindow) : main_(mainWindow) {}
  FileDropSource(const FileDropSource&) = delete;
  FileDropSource& operator=(const FileDropSource&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropSource)) {
      *out = static_cast<IDropSource*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override {
    switch (DragStepOf(escapePressed != FALSE, keyState)) {
      case DragStep::Continue:
        return S_OK;
      case DragStep::Cancel:
        return DRAGDROP_S_CANCEL;
      case DragStep::DropUnlessOwnWindow:
        break;
    }
    return ReleasedOverOwnControl() ? DRAGDROP_S_CANCEL : DRAGDROP_S_DROP;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD /*effect*/) override {
    return DRAGDROP_S_USEDEFAULTCURSORS;
  }

 private:
  ~FileDropSource() = default;

  // True when the window under the cursor lies inside the main window: its
  // parent chain reaches it.
  bool ReleasedOverOwnControl() const {
    POINT p{};
    if (!GetCursorPos(&p)) return false;
    HWND under = WindowFromPoint(p);
    for (HWND w = under ? GetParent(under) : nullptr; w; w = GetParent(w)) {
      if (w == main_) return true;
    }
    return false;
  }

  volatile LONG refs_ = 1;
  HWND main_;
};

// The mouse moved during the in-window drag: the control under it is asked
// whether it takes the rows (only ListView1 has a drag-over handler, and it
// refuses), and the cursor says so.
void RowDragMoved(TVemkoSearcher& w) {
  POINT p{};
  GetCursorPos(&p);
  HWND under = WindowFromPoint(p);
  bool accept = false;
  if (under && (under == w.ListView1 || IsChild(w.ListView1, under))) {
    w.ListView1DragOver(w.ListView1, accept);
  }
  SetCursor(LoadCursor(nullptr, accept ? IDC_ARROW : IDC_NO));
}

LRESULT CALLBACK RowDragProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                             DWORD_PTR data) {
  auto& w = *reinterpret_cast<TVemkoSearcher*>(data);
  switch (msg) {
    case WM_KEYDOWN:
      if (wp == 'C' && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0 &&
          GetKeyState(VK_SHIFT) >= 0) {
        w.Copy1Click();
        return 0;
      }
      if (wp == VK_ESCAPE && w.RowDragCaptured) {
        w.EndRowDrag();
        return 0;
      }
      break;
    case WM_MOUSEMOVE:
      if (w.RowDragCaptured) {
        RowDragMoved(w);
        return 0;
      }
      break;
    case WM_LBUTTONUP:
      // Passed on as well: the list view ends its own tracking of the button.
      if (w.RowDragCaptured) w.EndRowDrag();
      break;
    case WM_CAPTURECHANGED:
      // Another window took the mouse: the drag cannot go on.
      if (w.RowDragCaptured) w.EndRowDrag();
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(wnd, &RowDragProc, id);
      break;
    default:
      break;
  }
  return DefSubclassProc(wnd, msg, wp, lp);
}

}  // namespace

win::ComPtr<IDropSource> NewFileDropSource(HWND mainWindow) {
  win::ComPtr<IDropSource> source;
  *source.put() = new FileDropSource(mainWindow);  // its one reference
  return source;
}

HRESULT StartShellDrag(IDataObject* data, IDropSource* source, DWORD allowedEffects) {
  if (ShellDragRecorder()) return ShellDragRecorder()(data, source, allowedEffects);
  DWORD effect = DROPEFFECT_NONE;
  return DoDragDrop(data, source, allowedEffects, &effect);
}

void SetShellDragRecorderForTests(
    std::function<HRESULT(IDataObject*, IDropSource*, DWORD)> recorder) {
  ShellDragRecorder() = std::move(recorder);
}

void TVemkoSearcher::HookRowDragAndCopyKey() {
  SetWindowSubclass(ListView1, &RowDragProc, kRowDragSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void TVemkoSearcher::ListView1BeginDrag() {
  if (RowDragCaptured || ListView_GetNextItem(ListView1, -1, LVNI_SELECTED) < 0) return;
  RowDragCaptured = true;
  SetCapture(ListView1);
  RowDragMoved(*this);
}

void TVemkoSearcher::ListView1DragOver(HWND source, bool& accept) {
  accept = false;
  if (source == ListView1) InternalDragActive = true;
}

void TVemkoSearcher::ListView1EndDrag() {
  InternalDragActive = false;
}

void TVemkoSearcher::EndRowDrag() {
  if (!RowDragCaptured) return;
  RowDragCaptured = false;  // first: releasing the capture reports back here
  if (GetCapture() == ListView1) ReleaseCapture();
  ListView1EndDrag();
}

void TVemkoSearcher::DragWatchTick() {
  if (!InternalDragActive) return;
  POINT p{};
  RECT r{};
  if (!GetCursorPos(&p) || !GetWindowRect(hwnd_, &r)) return;
  if (!OutsideWindow(r.left, r.top, r.right - r.left, r.bottom - r.top, p.x, p.y)) return;
  InternalDragActive = false;
  EndRowDrag();  // cancelled: nothing was dropped inside the window
  StartFileDrag();
}

void TVemkoSearcher::StartFileDrag() {
  for (int row = ListView_GetNextItem(ListView1, -1, LVNI_SELECTED); row >= 0;
       row = ListView_GetNextItem(ListView1, row, LVNI_SELECTED)) {
    WorkList.push_back(RowJoinedPath(row));
  }
  // Ends whatever mouse capture the in-window drag still holds.
  SendMessageA(hwnd_, WM_LBUTTONUP, 0, 0);
  win::ComPtr<IDataObject> data = BuildShellDataObject(WorkList);
  WorkList.clear();
  if (!data) return;
  win::ComPtr<IDropSource> source = NewFileDropSource(hwnd_);
  // The effect the target chose is not needed: the files are only copied.
  StartShellDrag(data.get(), source.get(), DROPEFFECT_COPY);
}

win::ComPtr<IDataObject> TVemkoSearcher::BuildShellDataObject(
    const std::vector<std::string>& paths) {
  // The shell names the items relative to one folder, the first item's.
  // Rows of other folders (search hits may mix them) are left out rather
  // than the drag refused: named in the first folder they would stand for
  // other files, or for none.
  if (paths.empty() || !ShellDesktopFolder) return {};
  const std::string folder(ContainingFolder(paths.front()));
  if (folder.empty()) return {};
  std::wstring wideFolder = WideFromAnsi(folder);
  win::ItemIdList folderList;
  if (FAILED(ShellDesktopFolder->ParseDisplayName(nullptr, nullptr, wideFolder.data(), nullptr,
                                                  folderList.put(), nullptr)) ||
      !folderList) {
    return {};
  }
  win::ComPtr<IShellFolder> shellFolder;
  if (FAILED(ShellDesktopFolder->BindToObject(folderList.get(), nullptr, IID_IShellFolder,
                                              shellFolder.put_void())) ||
      !shellFolder) {
    return {};
  }
  // Items the folder cannot name (gone since the row was made) are left out.
  std::vector<win::ItemIdList> children;
  std::vector<LPCITEMIDLIST> relative;
  for (const std::string& path : ItemsOfFirstFolder(paths)) {
    std::wstring name = WideFromAnsi(LastComponent(path));
    if (name.empty()) continue;
    win::ItemIdList child;
    if (FAILED(shellFolder->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, child.put(),
                                             nullptr)) ||
        !child) {
      continue;
    }
    relative.push_back(child.get());
    children.push_back(std::move(child));
  }
  if (relative.empty()) return {};
  win::ComPtr<IDataObject> data;
  if (FAILED(shellFolder->GetUIObjectOf(nullptr, static_cast<UINT>(relative.size()),
                                        relative.data(), IID_IDataObject, nullptr,
                                        data.put_void()))) {
    return {};
  }
  return data;
}

}  // namespace filvex
