#pragma once
// Helpers of the tests that drive a whole main window: waiting for a search
// to end, and a small stored list to start from.

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/vemko_searcher_win.h"
#include "platform/message_box.h"
#include "platform/system_info.h"
#include "searchlist/search_list.h"
#include "tests/core/test_util.h"
#include "tests/win/win_test_util.h"

namespace filvex::test {

// Serves messages until no search runs and the last search worker (if one
// was started) has run its end handler. Never asserts a time; the limit only
// keeps a broken search from hanging the run.
inline ::testing::AssertionResult WaitForSearch(TVemkoSearcher& w) {
  const DWORD start = GetTickCount();
  for (;;) {
    Pump();
    if (w.SearchStopFlag.load() == 1 && (!w.SearchThread || w.SearchThread->Finished())) {
      return ::testing::AssertionSuccess();
    }
    if (GetTickCount() - start > 120000) {
      return ::testing::AssertionFailure() << "the search did not end";
    }
    Sleep(1);
  }
}

// Answers every message box with `answer` instead of showing it, and keeps
// its text in `texts`, for as long as the returned hook lives.
inline std::unique_ptr<win::ScopedMessageBoxHook> RecordMessageBoxes(
    std::vector<std::string>& texts, int answer) {
  return std::make_unique<win::ScopedMessageBoxHook>(
      [&texts, answer](HWND, const std::string& text, const std::string&, UINT) {
        texts.push_back(text);
        return answer;
      });
}

// Writes the six files of a small stored list into `dataFolder` (with a
// trailing "\"): the drive root C:, the folder C:\old and its file old.txt.
inline void WriteSmallStoredList(const std::string& dataFolder) {
  WriteFile(dataFolder + "sach.txt", "C:\r\nC:\\old\r\n");
  WriteFile(dataFolder + "sachinfo1.txt",
            std::string(kRootInfoLine) + "\r\n2003/07/14 09:052003/07/14 09:0520\r\n");
  WriteFile(dataFolder + "sachfile.txt", "1=old.txt\r\n");
  WriteFile(dataFolder + "sachinfo2.txt", "2003/07/14 09:052003/07/14 09:05101\r\n");
  WriteFile(dataFolder + "folderdat.txt", "C=2\r\n");
  WriteFile(dataFolder + "filedat.txt", "C=1\r\n");
}

// A main window over a fresh program folder `name` + "-program" (set into
// *programFolder, with a trailing "\\") whose data folder holds the small
// stored list, shown without taking the focus, with its start-up search done.
// No launcher folder exists, so no companion state is involved.
inline std::unique_ptr<TVemkoSearcher> OpenSmallListWindow(const std::string& name,
                                                           std::string* programFolder) {
  const std::string program = FreshFolder(name + "-program") + "\\";
  CreateDirectoryA((program + "data").c_str(), nullptr);
  WriteSmallStoredList(program + "data\\");
  StartOptions options;
  options.programFolder = program;
  options.launcherFolder = program + "no-launcher";
  auto w = std::make_unique<TVemkoSearcher>(options);
  w->Show(SW_SHOWNOACTIVATE);
  Pump();
  EXPECT_TRUE(WaitForSearch(*w));
  if (programFolder) *programFolder = program;
  return w;
}

// Rows of the given paths as a search would leave them (a folder row where
// a folder exists, else a file row), with exactly the given rows selected.
inline void ShowRows(TVemkoSearcher& w, const std::vector<std::string>& paths,
                     const std::vector<int>& selected) {
  w.ClearHitList();
  for (const auto& p : paths) {
    HitRecord r;
    r.Path = p;
    r.Name = p.substr(p.rfind('\\') + 1);
    r.Kind = win::DirectoryExists(p) ? kKindFolder : kKindFile;
    w.HitList.push_back(r);
  }
  ListView_SetItemCountEx(w.ListView1, static_cast<int>(paths.size()), 0);
  ListView_SetItemState(w.ListView1, -1, 0, LVIS_SELECTED);
  for (int r : selected) ListView_SetItemState(w.ListView1, r, LVIS_SELECTED, LVIS_SELECTED);
}

// The text of one cell, as the list view gives it to anybody who asks.
inline std::string CellText(HWND list, int row, int column) {
  char text[512] = {};
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  return text;
}

// The selected rows, in list order.
inline std::vector<int> SelectedRows(const TVemkoSearcher& w) {
  std::vector<int> v;
  for (int r = ListView_GetNextItem(w.ListView1, -1, LVNI_SELECTED); r >= 0;
       r = ListView_GetNextItem(w.ListView1, r, LVNI_SELECTED))
    v.push_back(r);
  return v;
}

}  // namespace filvex::test
