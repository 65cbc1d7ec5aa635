// Loading and saving the live set of the search list, and the list
// information shown beside the search panel. The file formats are those of
// searchlist/list_files.h; how the six files are saved and read as one set is
// in searchlist/list_store.h.
#include <windows.h>

#include "app/number_text.h"
#include "app/vemko_searcher_win.h"
#include "platform/file_time.h"
#include "platform/message_box.h"
#include "searchlist/list_files.h"
#include "searchlist/list_store.h"

namespace filvex {

ListLoadResult TVemkoSearcher::LoadSearchList() {
  // All four files or none: with one missing, damaged or the four not
  // fitting each other, the live set stays empty and is never searched. The
  // counts are read with the list, so that both come from the same save even
  // when another window saves meanwhile.
  // The first load takes what was read while the window was made.
  const ListLoadResult loaded = ListPreloader.take(DataFolder, LiveList, FolderCounts, FileCounts);
  if (loaded.outcome == ListLoadOutcome::Loaded && !loaded.countsUsable()) {
    // The count files are missing or could not be used: they are computed
    // from the list, so that the next save writes sound ones. (A search
    // finds the drive blocks from the list itself and does not read them.)
    CountEntriesPerDrive(LiveList, FolderCounts, FileCounts);
  }
  ShowListInfo();
  switch (loaded.recovery) {
    case ListRecovery::Completed:
      win::ShowMessage(hwnd_,
                       "前回の検索リストの保存が途中で中断されていたため、保存を完了しました。\n"
                       "保存された検索リストを読み込みました。");
      break;
    case ListRecovery::Discarded:
      win::ShowMessage(hwnd_,
                       "前回の検索リストの保存が途中で中断されていました。\n"
                       "その前に保存された検索リストを読み込みました。");
      break;
    case ListRecovery::None:
      break;
  }
  switch (loaded.outcome) {
    case ListLoadOutcome::Busy:
      win::ShowError(hwnd_, "検索リストは別のウィンドウが保存中のため、読み込めませんでした。");
      break;
    case ListLoadOutcome::Damaged:  // named in the start-up question (FormShow)
    case ListLoadOutcome::Loaded:
    case ListLoadOutcome::NoList:
      break;
  }
  return loaded;
}

std::string TVemkoSearcher::DamagedListQuestion(const ListLoadResult& result) {
  const ListFilesResult& files = result.files;
  std::string reason;
  switch (files.damage) {
    case ListDamage::NotRegularFile:
      reason = "通常のファイルではありません";
      break;
    case ListDamage::TooLarge:
    case ListDamage::OutOfMemory:
      reason = "ファイルが大きすぎます";
      break;
    case ListDamage::LineCountsDiffer:
      reason = "行数が " + files.otherFile + " と一致しません";
      break;
    case ListDamage::None:
    case ListDamage::Unreadable:
      reason = "読み込めません";
      break;
  }
  if (files.status != ListLoadStatus::Damaged) {
    // The files read well, but an interrupted save left them in a state it
    // cannot complete (a new file of the wrong size).
    return "検索リストが壊れています（中断された保存を完了できません）。\n新しく作成しますか？";
  }
  return "検索リストが壊れています（" + files.file + ": " + reason + "）。\n新しく作成しますか？";
}

bool TVemkoSearcher::SaveSearchList(bool serveMessages) {
  std::string caption(static_cast<size_t>(GetWindowTextLengthA(hwnd_)) + 1, '\0');
  caption.resize(
      static_cast<size_t>(GetWindowTextA(hwnd_, caption.data(), static_cast<int>(caption.size()))));
  SetWindowTextA(hwnd_, (win::ApplicationTitle() + " [ 変更内容の保存中... ]").c_str());
  // Serving messages paints the caption; right after a build it is left out,
  // as a click served here could start another build that empties the list
  // while it is written.
  if (serveMessages) ProcessMessages();
  HCURSOR previous = SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
  // Every file is written in full beside the old one before any is replaced,
  // so a failure (disk full, a file in use) leaves the stored list as it was;
  // see searchlist/list_store.h.
  const ListSaveResult saved = SaveListStore(DataFolder, LiveList, FolderCounts, FileCounts);
  SetCursor(previous ? previous : LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
  SetWindowTextA(hwnd_, caption.c_str());
  switch (saved.outcome) {
    case ListSaveOutcome::Saved:
      ListDirty = 0;
      break;
    case ListSaveOutcome::Unfinished:
      win::ShowError(hwnd_,
                     "検索リストの保存を完了できませんでした。\n"
                     "新しい検索リストは次に読み込むときに完成します。");
      break;
    case ListSaveOutcome::NotSaved:
    case ListSaveOutcome::Stopped:
      win::ShowError(
          hwnd_,
          "検索リストを保存できませんでした。\n保存されていた検索リストはそのまま残っています。");
      break;
  }
  return saved.outcome == ListSaveOutcome::Saved;
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
