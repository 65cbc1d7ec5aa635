// Files between the result list and the desktop as a user meets them: copy
// to the clipboard (read back while this process keeps the clipboard alive),
// paste into the shown folder or the selected sub-folder, files dropped on
// the list, the drag source's answers, and a row drag that becomes a shell
// drag once the mouse leaves the window.
#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/vemko_searcher_win.h"
#include "platform/system_info.h"
#include "shellops/drag_out_win.h"
#include "shellops/file_transfer.h"
#include "tests/core/test_util.h"
#include "tests/win/win_test_util.h"
#include "tests/win/window_test_util.h"

namespace filvex {
namespace {

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The bytes of a clipboard format; empty when the clipboard has none.
std::string ClipboardBytes(HWND owner, UINT format) {
  std::string bytes;
  if (!OpenClipboard(owner)) return bytes;
  if (HANDLE h = GetClipboardData(format)) {
    if (const void* p = GlobalLock(h)) {
      bytes.assign(static_cast<const char*>(p), GlobalSize(h));
      GlobalUnlock(h);
    }
  }
  CloseClipboard();
  return bytes;
}

std::vector<std::string> DropNames(HDROP drop) {
  std::vector<std::string> names;
  const UINT n = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < n; ++i) {
    char name[MAX_PATH] = {};
    DragQueryFileA(drop, i, name, MAX_PATH);
    names.push_back(name);
  }
  return names;
}

// The file names a data object offers as CF_HDROP.
std::vector<std::string> DataObjectFiles(IDataObject* data) {
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (FAILED(data->GetData(&format, &medium))) return {};
  std::vector<std::string> names = DropNames(static_cast<HDROP>(medium.hGlobal));
  ReleaseStgMedium(&medium);
  return names;
}

// A drop handle as the system makes one: DROPFILES at `clientPoint` of the
// receiving window, then the ANSI names.
HDROP MakeDrop(POINT clientPoint, const std::vector<std::string>& names) {
  std::string list;
  for (const auto& n : names) list += n + "\r\n";
  std::string block = HdropBlock(list);
  auto* files = reinterpret_cast<DROPFILES*>(block.data());
  files->pt = clientPoint;
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, block.size());
  std::memcpy(GlobalLock(h), block.data(), block.size());
  GlobalUnlock(h);
  return static_cast<HDROP>(h);
}

class ClipboardWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    boxes_ = test::RecordMessageBoxes(boxTexts_, IDYES);
    base_ = test::FreshFolder("clip");
    w_ = test::OpenSmallListWindow("clip", &program_);
    ASSERT_FALSE(HasFailure());
  }

  void TearDown() override { SetShellDragRecorderForTests({}); }

  // A folder with files of the given names, each holding its own name.
  std::string FolderWith(const std::string& tag, const std::vector<std::string>& files) {
    const std::string folder = base_ + "\\" + tag;
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const auto& f : files) test::WriteFile(folder + "\\" + f, f);
    return folder;
  }

  // Rows of the given items, with the given rows selected.
  void ShowRows(const std::vector<std::string>& paths, const std::vector<int>& selected) {
    test::ShowRows(*w_, paths, selected);
  }

  // The folder view of `folder` as the open command leaves it.
  void ShowFolder(const std::string& folder, const std::vector<std::string>& rows,
                  const std::vector<int>& selected) {
    ShowRows(rows, selected);
    w_->CurrentFolder = folder;
    w_->ShowsSearchHits = false;
  }

  POINT ScreenCentre(HWND control) const {
    RECT r;
    GetWindowRect(control, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }

  POINT OutsideMainWindow() const {
    RECT r;
    GetWindowRect(w_->Handle(), &r);
    return {r.right + 20 < GetSystemMetrics(SM_CXSCREEN) ? r.right + 20 : r.left - 20,
            (r.top + r.bottom) / 2};
  }

  void MoveCursor(POINT p) {
    SetCursorPos(p.x, p.y);
    test::Pump();
  }

  std::string base_, program_;
  std::vector<std::string> boxTexts_;
  std::unique_ptr<win::ScopedMessageBoxHook> boxes_;
  std::unique_ptr<TVemkoSearcher> w_;
};

TEST_F(ClipboardWindowTest, CopyPutsTheShellFileListWithTheCopyEffect) {
  using namespace std::string_literals;
  const UINT effectFormat = RegisterClipboardFormatA("Preferred DropEffect");
  ShowRows({"C:\\A\\x.txt", "C:\\B\\skipped.txt", "D:\\y.txt"}, {0, 2});
  w_->Copy1Click();
  const std::string block = ClipboardBytes(w_->Handle(), CF_HDROP);
  EXPECT_EQ(block.size(), 42u);
  EXPECT_EQ(block, "\x14\0\0\0"s + std::string(16, '\0') + "C:\\A\\x.txt\0D:\\y.txt\0\0\0"s);
  EXPECT_EQ(ClipboardBytes(w_->Handle(), effectFormat), "\x01\0\0\0"s);
  EXPECT_EQ(w_->ReadClipboardFiles(), "C:\\A\\x.txt\r\nD:\\y.txt\r\n");
  EXPECT_TRUE(w_->WorkList.empty());

  // Without a selection the clipboard keeps what it had.
  ShowRows({"C:\\A\\x.txt"}, {});
  w_->Copy1Click();
  EXPECT_EQ(ClipboardBytes(w_->Handle(), CF_HDROP), block);

  // Ctrl+C on the list is the same command; C alone is not.
  ShowRows({"C:\\A\\x.txt", "E:\\z.txt"}, {1});
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  SendMessageA(w_->ListView1, WM_KEYDOWN, 'C', 0);
  EXPECT_EQ(ClipboardBytes(w_->Handle(), CF_HDROP), block);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  SendMessageA(w_->ListView1, WM_KEYDOWN, 'C', 0);
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ(w_->ReadClipboardFiles(), "E:\\z.txt\r\n");
}

TEST_F(ClipboardWindowTest, PasteCopiesIntoTheSelectedSubFolderOrTheShownFolder) {
  const std::string src = FolderWith("src", {"a.txt", "b.txt"});
  const std::string dst = FolderWith("dst", {"note.txt"});
  const std::string sub = dst + "\\Sub";
  CreateDirectoryA(sub.c_str(), nullptr);
  ShowRows({src + "\\a.txt", src + "\\b.txt"}, {0, 1});
  w_->Copy1Click();

  // A folder row selected: into that folder, and the shown folder gains no row.
  ShowFolder(dst, {dst + "\\note.txt", sub}, {1});
  w_->Paste1Click();
  EXPECT_EQ(test::ReadFile(sub + "\\a.txt"), "a.txt");
  EXPECT_EQ(test::ReadFile(sub + "\\b.txt"), "b.txt");
  EXPECT_FALSE(Exists(dst + "\\a.txt"));
  EXPECT_EQ(w_->HitList.size(), 2u);
  EXPECT_EQ(ListView_GetItemCount(w_->ListView1), 2);
  EXPECT_TRUE(w_->WorkList.empty());

  // A file row selected: into the shown folder.
  ShowFolder(dst, {dst + "\\note.txt", sub}, {0});
  w_->Paste1Click();
  EXPECT_EQ(test::ReadFile(dst + "\\a.txt"), "a.txt");
  EXPECT_EQ(test::ReadFile(dst + "\\b.txt"), "b.txt");
  EXPECT_EQ(ListView_GetItemCount(w_->ListView1), static_cast<int>(w_->HitList.size()));
  EXPECT_TRUE(w_->WorkList.empty());

  // An empty clipboard copies nothing.
  ASSERT_TRUE(OpenClipboard(w_->Handle()));
  EmptyClipboard();
  CloseClipboard();
  const std::string other = FolderWith("other", {});
  ShowFolder(other, {}, {});
  w_->Paste1Click();
  EXPECT_EQ(test::ReadFile(other + "\\a.txt"), "");
}

TEST_F(ClipboardWindowTest, PasteWithoutAShownFolderCopiesNothing) {
  // With no folder shown and no folder row selected there is no destination;
  // the bare names must not land in the root of the current drive.
  const std::string src = FolderWith("src", {"clip-stray-paste.txt"});
  ShowRows({src + "\\clip-stray-paste.txt"}, {0});
  w_->Copy1Click();
  ShowRows({src + "\\clip-stray-paste.txt"}, {0});
  w_->CurrentFolder.clear();
  w_->Paste1Click();
  EXPECT_FALSE(Exists("C:\\clip-stray-paste.txt"));
  EXPECT_FALSE(Exists("D:\\clip-stray-paste.txt"));
  EXPECT_TRUE(w_->WorkList.empty());
}

TEST_F(ClipboardWindowTest, RowsAreRefreshedOnlyForItemsInTheShownFolder) {
  // Items are looked up where a copy would stand: a source that was not
  // copied (declined, failed) gets no row, and a name already listed keeps
  // its one row.
  const std::string src = FolderWith("refresh-src", {"note.txt", "uncopied.txt"});
  const std::string dst = FolderWith("refresh-dst", {"note.txt"});
  ShowFolder(dst, {dst + "\\note.txt"}, {});
  w_->RefreshCopiedRows({src + "\\uncopied.txt", src + "\\note.txt"});
  EXPECT_EQ(w_->HitList.size(), 1u);
  EXPECT_EQ(w_->HitList[0].Path, dst + "\\note.txt");
  EXPECT_EQ(ListView_GetItemCount(w_->ListView1), 1);
}

// The system's own drag loop: released over the program's list (no button
// is down here), the drag ends at once instead of waiting for the mouse.
TEST_F(ClipboardWindowTest, ShellDragReleasedOverTheListEndsAtOnce) {
  const std::string f = FolderWith("drag-real", {"x.txt"});
  ShowRows({f + "\\x.txt"}, {0});
  MoveCursor(ScreenCentre(w_->ListView1));
  w_->StartFileDrag();
  EXPECT_TRUE(Exists(f + "\\x.txt"));
  EXPECT_TRUE(w_->WorkList.empty());
}

TEST_F(ClipboardWindowTest, DropCopiesOnlyOntoTheListOfAShownFolder) {
  const std::string src = FolderWith("drop-src", {"d.txt"});
  struct Case {
    const char* name;
    bool folderShown;
    bool onList;
    bool copied;
  } cases[] = {
      {"folder shown, on the list", true, true, true},
      {"search hits, on the list", false, true, false},
      {"folder shown, on the query box", true, false, false},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string dst = FolderWith("drop-dst" + std::to_string(++n), {});
    if (c.folderShown) {
      ShowFolder(dst, {}, {});
    } else {
      ShowRows({}, {});
      w_->CurrentFolder.clear();
      w_->ShowsSearchHits = true;
    }
    POINT p = ScreenCentre(c.onList ? w_->ListView1 : w_->Edit1);
    ScreenToClient(w_->Handle(), &p);
    SendMessageA(w_->Handle(), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(MakeDrop(p, {src + "\\d.txt"})), 0);
    EXPECT_EQ(Exists(dst + "\\d.txt"), c.copied);
    EXPECT_EQ(Exists(src + "\\d.txt"), true) << "a drop copies, never moves";
    EXPECT_TRUE(w_->WorkList.empty());
  }
}

TEST_F(ClipboardWindowTest, DropSourceAnswers) {
  win::ComPtr<IDropSource> source = NewFileDropSource(w_->Handle());
  ASSERT_TRUE(source);
  struct Interface {
    const IID* iid;
    HRESULT result;
  } interfaces[] = {
      {&IID_IUnknown, S_OK}, {&IID_IDropSource, S_OK}, {&IID_IDataObject, E_NOINTERFACE}};
  for (const auto& i : interfaces) {
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(source->QueryInterface(*i.iid, &out), i.result);
    EXPECT_EQ(out != nullptr, i.result == S_OK);
    if (out) static_cast<IUnknown*>(out)->Release();
  }
  EXPECT_EQ(source->AddRef(), 2u);
  EXPECT_EQ(source->Release(), 1u);

  enum Where { OverList, Outside };
  struct Case {
    BOOL escape;
    DWORD keys;
    Where where;
    HRESULT answer;
  } cases[] = {
      {TRUE, MK_LBUTTON, Outside, DRAGDROP_S_CANCEL},
      {TRUE, 0, Outside, DRAGDROP_S_CANCEL},
      {FALSE, MK_LBUTTON | MK_RBUTTON, Outside, DRAGDROP_S_CANCEL},
      {FALSE, MK_LBUTTON, OverList, S_OK},
      {FALSE, MK_RBUTTON, Outside, S_OK},
      // Released: over the program's own list it is refused, elsewhere dropped.
      {FALSE, 0, OverList, DRAGDROP_S_CANCEL},
      {FALSE, MK_SHIFT, OverList, DRAGDROP_S_CANCEL},
      {FALSE, 0, Outside, DRAGDROP_S_DROP},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.escape << " " << c.keys << " " << c.where);
    MoveCursor(c.where == OverList ? ScreenCentre(w_->ListView1) : OutsideMainWindow());
    EXPECT_EQ(source->QueryContinueDrag(c.escape, c.keys), c.answer);
  }
  for (DWORD effect : {DROPEFFECT_NONE, DROPEFFECT_COPY}) {
    EXPECT_EQ(source->GiveFeedback(effect), DRAGDROP_S_USEDEFAULTCURSORS);
  }
}

TEST_F(ClipboardWindowTest, RowDragBecomesAShellDragOnlyOutsideTheWindow) {
  const std::string f = FolderWith("drag-f", {"x.txt", "y.txt"});
  const std::string g = FolderWith("drag-g", {"z.txt"});
  struct Drag {
    DWORD allowed;
    std::vector<std::string> files;
  };
  std::vector<Drag> drags;
  SetShellDragRecorderForTests([&](IDataObject* data, IDropSource* source, DWORD allowed) {
    EXPECT_TRUE(source);
    drags.push_back({allowed, DataObjectFiles(data)});
    return DRAGDROP_S_DROP;
  });
  auto beginDrag = [&] {
    NMLISTVIEW begin{};
    begin.hdr = {w_->ListView1, static_cast<UINT_PTR>(GetDlgCtrlID(w_->ListView1)),
                 static_cast<UINT>(LVN_BEGINDRAG)};
    begin.iItem = 0;
    SendMessageA(w_->Handle(), WM_NOTIFY, begin.hdr.idFrom, reinterpret_cast<LPARAM>(&begin));
  };
  // Rows of two folders: the item of the other folder is left out.
  ShowRows({f + "\\x.txt", g + "\\z.txt", f + "\\y.txt"}, {0, 1, 2});

  // Released inside the window: no shell drag.
  MoveCursor(ScreenCentre(w_->ListView1));
  beginDrag();
  EXPECT_TRUE(w_->InternalDragActive);
  EXPECT_EQ(GetCapture(), w_->ListView1);
  w_->Timer2Timer();
  EXPECT_TRUE(w_->InternalDragActive);
  SendMessageA(w_->ListView1, WM_LBUTTONUP, 0, 0);
  EXPECT_FALSE(w_->InternalDragActive);
  EXPECT_NE(GetCapture(), w_->ListView1);
  MoveCursor(OutsideMainWindow());
  w_->Timer2Timer();
  EXPECT_TRUE(drags.empty());

  // Escape ends the in-window drag too.
  MoveCursor(ScreenCentre(w_->ListView1));
  beginDrag();
  SendMessageA(w_->ListView1, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_FALSE(w_->InternalDragActive);

  // Leaving the window: the in-window drag ends and the files go to the shell.
  beginDrag();
  ASSERT_TRUE(w_->InternalDragActive);
  MoveCursor(OutsideMainWindow());
  w_->Timer2Timer();
  ASSERT_EQ(drags.size(), 1u);
  EXPECT_EQ(drags[0].allowed, static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(drags[0].files, (std::vector<std::string>{f + "\\x.txt", f + "\\y.txt"}));
  EXPECT_FALSE(w_->InternalDragActive);
  EXPECT_FALSE(w_->RowDragCaptured);
  EXPECT_NE(GetCapture(), w_->ListView1);
  EXPECT_TRUE(w_->WorkList.empty());

  // Rows whose folder is gone: no drag starts.
  ShowRows({base_ + "\\gone\\x.txt"}, {0});
  MoveCursor(ScreenCentre(w_->ListView1));
  beginDrag();
  MoveCursor(OutsideMainWindow());
  w_->Timer2Timer();
  EXPECT_EQ(drags.size(), 1u);
  EXPECT_FALSE(w_->InternalDragActive);
}

}  // namespace
}  // namespace filvex
