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

ListLoadResult TVemkoSearcher::LoadSearchList() {
  // All four files or none: with one missing or the four not fitting each
  // other, the live set stays empty and is never searched.
  const ListLoadResult loaded = LoadListFiles(DataFolder, LiveList);
  if (loaded && CountsNeedRecount) {
    // The count files could not be used: a drive-restricted search skips
    // whole drives by these counts, so they are computed from the list.
    CountEntriesPerDrive(LiveList, FolderCounts, FileCounts);
    CountsNeedRecount = false;
  }
  ShowListInfo();
  return loaded;
}

std::string TVemkoSearcher::DamagedListQuestion(const ListLoadResult& result) {
  std::string reason;
  switch (result.damage) {
    case ListDamage::NotRegularFile:
      reason = "通常のファイルではありません";
      break;
    case ListDamage::TooLarge:
    case ListDamage::OutOfMemory:
      reason = "ファイルが大きすぎます";
      break;
    case ListDamage::LineCountsDiffer:
      reason = "行数が " + result.otherFile + " と一致しません";
      break;
    case ListDamage::None:
    case ListDamage::Unreadable:
      reason = "読み込めません";
      break;
  }
  return "検索リストが壊れています（" + result.file + ": " + reason + "）。\n新しく作成しますか？";
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
