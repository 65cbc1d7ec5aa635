// Loading and saving the live set of the search list, and the list
// information shown beside the search panel. The file formats are those of
// searchlist/list_files.h.
#include <windows.h>

#include "app/number_text.h"
#include "app/vemko_searcher_win.h"
#include "platform/file_time.h"
#include "platform/message_box.h"
#include "searchlist/list_files.h"

namespace filvex {

bool TVemkoSearcher::LoadSearchList() {
  // All four files or none: with one missing, the live set stays empty.
  const bool loaded = LoadListFiles(DataFolder, LiveList);
  ShowListInfo();
  return loaded;
}

bool TVemkoSearcher::SaveSearchList() {
  SetWindowTextA(hwnd_, (win::ApplicationTitle() + " [ 変更内容の保存中... ]").c_str());
  ProcessMessages();  // so that the caption is painted
  HCURSOR previous = SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
  // Every file is written in full beside the old one before any is replaced,
  // so a failure (disk full, a file in use) leaves the stored list as it was.
  const bool saved = SaveListFiles(DataFolder, LiveList, FolderCounts, FileCounts);
  SetCursor(previous ? previous : LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
  if (saved) {
    ListDirty = 0;
  } else {
    win::ShowError(hwnd_,
                   "検索リストを保存できませんでした。\n保存されていた検索リストはそのまま残っています。");
  }
  return saved;
}

void TVemkoSearcher::ShowListInfo() {
  // Counts as "###,###,###": no digit at all for zero.
  const std::string text = " Folder: " + GroupedNumber(LiveList.FolderList.size(), 0) +
                           "  File: " + GroupedNumber(LiveList.FileList.size(), 0);
  SetWindowTextA(StaticText1, text.c_str());
  std::string hint = "検索リストの情報";
  std::string written;
  if (win::LastWriteTimeText(FolderListPath, &written)) {
    hint += "|リストを更新した日時 " + written;
  }
  controls_[StaticText1].hint = hint;
}

}  // namespace filvex
