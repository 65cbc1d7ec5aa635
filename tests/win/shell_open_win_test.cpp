// Open, open-with, explore, properties, the list's keys, the popup menu and
// help as a user meets them on the main window. The shell's starts are
// recorded, never made; shortcuts and the shell's namespace are real.
#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>
#include <shlobj.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/vemko_searcher_win.h"
#include "platform/shell_start.h"
#include "platform/window_text.h"
#include "tests/core/test_util.h"
#include "tests/win/win_test_util.h"
#include "tests/win/window_test_util.h"

namespace filvex {
namespace {

bool SamePath(const std::string& a, const std::string& b) {
  return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

class ShellOpenWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::SetShellStartRecorderForTests([this](const win::ShellStart& s) {
      starts_.push_back(s);
      const size_t i = starts_.size() - 1;
      return i < answers_.size() ? answers_[i] : INT_PTR{42};
    });
    base_ = test::FreshFolder("open");
    file_ = base_ + "\\a.txt";
    folder_ = base_ + "\\Docs";
    test::WriteFile(file_, "a");
    CreateDirectoryA(folder_.c_str(), nullptr);
    w_ = test::OpenSmallListWindow("open", &program_);
    ASSERT_FALSE(HasFailure());
    starts_.clear();
  }

  void TearDown() override {
    w_.reset();
    win::SetShellStartRecorderForTests({});
  }

  // Rows as a search leaves them (files, folders by a trailing "\"), the
  // first one selected when `select` is set.
  void ShowRows(const std::vector<std::string>& paths, bool select = true) {
    w_->ClearHitList();
    for (std::string p : paths) {
      HitRecord r;
      r.Kind = kKindFile;
      if (p.back() == '\\') {
        p.pop_back();
        r.Kind = kKindFolder;
      }
      r.Path = p;
      r.Name = p.substr(p.rfind('\\') + 1);
      w_->HitList.push_back(r);
    }
    ListView_SetItemCountEx(w_->ListView1, static_cast<int>(paths.size()), 0);
    w_->ShowsSearchHits = true;
    if (select) Select(1);
  }

  void ShowDriveRow() {
    w_->ClearHitList();
    HitRecord r;
    r.Kind = kKindDrive;
    r.Path = "C:\\";
    r.Name = " (C:)";
    w_->HitList.push_back(r);
    ListView_SetItemCountEx(w_->ListView1, 1, 0);
    Select(1);
  }

  void Select(int count) {
    ListView_SetItemState(w_->ListView1, -1, 0, LVIS_SELECTED);
    for (int r = 0; r < count; ++r)
      ListView_SetItemState(w_->ListView1, r, LVIS_SELECTED, LVIS_SELECTED);
  }

  bool ShowsFolder(const std::string& folder) const {
    return SamePath(w_->CurrentFolder, folder) &&
           ListView_GetBkColor(w_->ListView1) == RGB(253, 255, 232) &&
           ListView_GetTextBkColor(w_->ListView1) == RGB(253, 255, 232) &&
           IsWindowEnabled(w_->SpeedButton4);
  }

  std::string base_, file_, folder_, program_;
  std::vector<win::ShellStart> starts_;
  std::vector<INT_PTR> answers_;  // results of the recorded starts, in order
  std::unique_ptr<TVemkoSearcher> w_;
};

const std::string kOpenWith = "shell32.dll,OpenAs_RunDLL ";

TEST_F(ShellOpenWindowTest, OpensFilesAndOffersOpenWithOnlyForAMissingAssociation) {
  const std::string upper = base_ + "\\X.LNK";  // not a shortcut: case matters
  test::WriteFile(upper, "not a shortcut");
  struct Case {
    const char* what;
    std::string row;
    std::vector<INT_PTR> answers;
    std::vector<std::string> files, parameters;
  } cases[] = {
      {"a file", file_, {}, {file_}, {""}},
      {"no application", file_, {SE_ERR_NOASSOC}, {file_, "rundll32.exe"}, {"", kOpenWith + file_}},
      {"another failure", file_, {SE_ERR_FNF}, {file_}, {""}},
      {"upper-case .LNK", upper, {}, {upper}, {""}},
  };
  for (const auto& c : cases) {
    starts_.clear();
    answers_ = c.answers;
    ShowRows({c.row});
    w_->ListView1DblClick();
    ASSERT_EQ(starts_.size(), c.files.size()) << c.what;
    for (size_t i = 0; i < starts_.size(); ++i) {
      EXPECT_EQ(starts_[i].verb, i == 0 ? "open" : "") << c.what;
      EXPECT_EQ(starts_[i].file, c.files[i]) << c.what;
      EXPECT_EQ(starts_[i].parameters, c.parameters[i]) << c.what;
      EXPECT_EQ(starts_[i].show, SW_SHOWNORMAL) << c.what;
      EXPECT_FALSE(starts_[i].viaEx) << c.what;
    }
    EXPECT_TRUE(w_->CurrentFolder.empty()) << c.what;
  }
}

TEST_F(ShellOpenWindowTest, OpeningAFolderShowsItInTheListAndStartsNothing) {
  ShowRows({folder_ + "\\"});
  EXPECT_FALSE(IsWindowEnabled(w_->SpeedButton4));
  w_->ListView1DblClick();
  EXPECT_TRUE(ShowsFolder(folder_));
  EXPECT_TRUE(starts_.empty());

  // A drive row opens its root.
  ShowDriveRow();
  w_->ListView1DblClick();
  EXPECT_EQ(w_->CurrentFolder, "C:\\");
  EXPECT_TRUE(starts_.empty());
}

TEST_F(ShellOpenWindowTest, FollowsShortcutsToFoldersAndFiles) {
  const std::string toFolder =
      w_->ShellLink1.CreateLink2(folder_, nullptr, base_, L"to folder", /*overwrite=*/false);
  const std::string toFile =
      w_->ShellLink1.CreateLink2(file_, nullptr, base_, L"to file", /*overwrite=*/false);
  ASSERT_EQ(toFolder, base_ + "\\to folder.lnk");
  ASSERT_EQ(toFile, base_ + "\\to file.lnk");
  const std::string broken = base_ + "\\broken.lnk";
  test::WriteFile(broken, "no shortcut inside");

  ShowRows({toFile});
  w_->ListView1DblClick();
  ASSERT_EQ(starts_.size(), 1u);
  EXPECT_TRUE(SamePath(starts_[0].file, file_)) << starts_[0].file;
  EXPECT_TRUE(w_->CurrentFolder.empty());

  starts_.clear();
  ShowRows({broken});
  w_->ListView1DblClick();
  EXPECT_TRUE(starts_.empty()) << "a shortcut that does not load opens nothing";
  EXPECT_TRUE(w_->CurrentFolder.empty());

  ShowRows({toFolder});
  w_->ListView1DblClick();
  EXPECT_TRUE(ShowsFolder(folder_)) << w_->CurrentFolder;
  EXPECT_TRUE(starts_.empty());
}

TEST_F(ShellOpenWindowTest, VanishedRowsAndNoSelectionOpenNothing) {
  ShowRows({base_ + "\\gone.txt"});
  w_->ListView1DblClick();
  ShowRows({file_}, /*select=*/false);
  w_->ListView1DblClick();
  w_->Explore1Click(0);
  w_->Explore1Click(1);
  w_->Property1Click();
  EXPECT_TRUE(w_->ListView1KeyDown(VK_RETURN));
  EXPECT_TRUE(starts_.empty());
  EXPECT_TRUE(w_->CurrentFolder.empty());
}

TEST_F(ShellOpenWindowTest, ExploreOpensTheFolderAndOpenWithTheChooser) {
  struct Case {
    const char* what;
    int tag;
    std::string row;
    std::string verb, file, parameters;
    int show;
  } cases[] = {
      {"file row", 0, file_, "open", base_, "", SW_SHOW},
      {"folder row", 0, folder_ + "\\", "open", folder_, "", SW_SHOW},
      {"open with, file", 1, file_, "", "rundll32.exe", kOpenWith + file_, SW_SHOWNORMAL},
      {"open with, folder", 1, folder_ + "\\", "", "rundll32.exe", kOpenWith + folder_,
       SW_SHOWNORMAL},
  };
  for (const auto& c : cases) {
    starts_.clear();
    ShowRows({c.row});
    w_->Explore1Click(c.tag);
    ASSERT_EQ(starts_.size(), 1u) << c.what;
    EXPECT_EQ(starts_[0].verb, c.verb) << c.what;
    EXPECT_EQ(starts_[0].file, c.file) << c.what;
    EXPECT_EQ(starts_[0].parameters, c.parameters) << c.what;
    EXPECT_EQ(starts_[0].show, c.show) << c.what;
  }
  // The open-folder button beside the row is explore.
  starts_.clear();
  ShowRows({file_});
  SendMessageA(w_->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(w_->SpeedButton1), BN_CLICKED),
               reinterpret_cast<LPARAM>(w_->SpeedButton1));
  ASSERT_EQ(starts_.size(), 1u);
  EXPECT_EQ(starts_[0].file, base_);
}

TEST_F(ShellOpenWindowTest, ExploreOnADriveRowOpensItsRoot) {
  ShowDriveRow();
  w_->Explore1Click(0);
  ASSERT_EQ(starts_.size(), 1u);
  EXPECT_EQ(starts_[0].file, "C:\\");
}

TEST_F(ShellOpenWindowTest, PropertiesGoToTheShellAsAnItemIdList) {
  for (bool drive : {false, true}) {
    starts_.clear();
    if (drive)
      ShowDriveRow();
    else
      ShowRows({file_});
    w_->Property1Click();
    ASSERT_EQ(starts_.size(), 1u) << drive;
    EXPECT_TRUE(starts_[0].viaEx);
    EXPECT_TRUE(starts_[0].idList) << "the path was parsed into an item identifier list";
    EXPECT_EQ(starts_[0].verb, "properties");
    EXPECT_EQ(starts_[0].file, "");
    EXPECT_EQ(starts_[0].parameters, "");
    EXPECT_EQ(starts_[0].mask, 0x4Cu);
    EXPECT_EQ(starts_[0].show, SW_SHOWNORMAL);
  }
  starts_.clear();
  ShowRows({base_ + "\\gone.txt"});
  w_->Property1Click();
  EXPECT_TRUE(starts_.empty()) << "a path the shell cannot parse shows nothing";
}

TEST_F(ShellOpenWindowTest, KeysOfTheList) {
  ShowRows({file_});
  // Enter, as the list view reports it.
  SendMessageA(w_->ListView1, WM_KEYDOWN, VK_RETURN, 0);
  ASSERT_EQ(starts_.size(), 1u);
  EXPECT_EQ(starts_[0].verb, "open");
  EXPECT_EQ(starts_[0].file, file_);
  // Alt+Enter arrives as a system key.
  starts_.clear();
  SendMessageA(w_->ListView1, WM_SYSKEYDOWN, VK_RETURN, 1 << 29);
  ASSERT_EQ(starts_.size(), 1u);
  EXPECT_EQ(starts_[0].verb, "properties");
  // Backspace while one folder up is disabled: nothing moves.
  starts_.clear();
  w_->CurrentFolder = folder_;
  EnableWindow(w_->SpeedButton4, FALSE);
  EXPECT_FALSE(w_->ListView1KeyDown(VK_BACK));
  SendMessageA(w_->ListView1, WM_KEYDOWN, VK_BACK, 0);
  EXPECT_EQ(w_->CurrentFolder, folder_);
  EXPECT_TRUE(starts_.empty());
  EXPECT_FALSE(w_->ListView1KeyDown('A')) << "A without Ctrl is the list's own";
}

TEST_F(ShellOpenWindowTest, PopupItemsFollowTheSelection) {
  struct Case {
    int selected;
    bool rowCommands, sendTo, properties;
  } cases[] = {{0, false, false, false}, {1, true, true, true}, {2, true, true, false}};
  for (const auto& c : cases) {
    ShowRows({file_, folder_ + "\\"}, /*select=*/false);
    Select(c.selected);
    w_->PopupMenu1Popup();
    for (TMenuItem* item : {w_->Copy1, w_->Open1, w_->Explore1, w_->N4})
      EXPECT_EQ(item->Enabled(), c.rowCommands) << item->Name << " " << c.selected;
    EXPECT_EQ(w_->SendToMenu->Visible(), c.sendTo) << c.selected;
    EXPECT_EQ(w_->Property1->Visible(), c.properties) << c.selected;
    EXPECT_EQ(w_->N15->Visible(), c.rowCommands) << c.selected;
    // Search hits: delete is shown, and enabled with rows while no search runs.
    EXPECT_TRUE(w_->Delete1->Visible()) << c.selected;
    EXPECT_EQ(w_->Delete1->Enabled(), c.rowCommands) << c.selected;
    EXPECT_FALSE(w_->Paste1->Visible()) << "never into search hits";
    // The captions keep their mnemonics.
    EXPECT_EQ(w_->Open1->Caption(), "開く(&O)");
    EXPECT_EQ(w_->Property1->Caption(), "プロパティ(&P)");
  }
}

// Puts a list of one file on the clipboard (files == true) or empties it.
void SetClipboardFiles(HWND owner, const std::string& file, bool files) {
  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  if (files) {
    const size_t size = sizeof(DROPFILES) + file.size() + 2;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), file.data(), file.size());
    GlobalUnlock(block);
    SetClipboardData(CF_HDROP, block);
  }
  CloseClipboard();
}

TEST_F(ShellOpenWindowTest, PasteIsOfferedInAShownFolderWithFilesOnTheClipboard) {
  ShowRows({file_}, /*select=*/false);
  w_->CurrentFolder = base_;
  w_->ShowsSearchHits = false;
  SetClipboardFiles(w_->Handle(), file_, /*files=*/true);
  w_->PopupMenu1Popup();
  EXPECT_TRUE(w_->Paste1->Visible());
  EXPECT_TRUE(w_->Delete1->Visible());
  EXPECT_TRUE(w_->Delete1->Enabled()) << "outside search hits";
  w_->ShowsSearchHits = true;
  w_->PopupMenu1Popup();
  EXPECT_FALSE(w_->Paste1->Visible()) << "never into search hits";
  w_->ShowsSearchHits = false;
  SetClipboardFiles(w_->Handle(), file_, /*files=*/false);
  w_->PopupMenu1Popup();
  EXPECT_FALSE(w_->Paste1->Visible()) << "nothing to paste";
}

TEST_F(ShellOpenWindowTest, HelpOpensTheHelpFileAndTheFileMenuFollowsTheBuild) {
  w_->Help2Click();
  ASSERT_EQ(starts_.size(), 1u);
  EXPECT_EQ(starts_[0].verb, "open");
  EXPECT_EQ(starts_[0].file, program_ + "Help\\Filvex.htm");
  EXPECT_EQ(starts_[0].show, SW_SHOW);

  w_->BuildStop.store(0);
  w_->File1Click();
  EXPECT_FALSE(w_->SearchNewMenu->Enabled());
  w_->BuildStop.store(1);
  w_->File1Click();
  EXPECT_TRUE(w_->SearchNewMenu->Enabled());
}

// The shell's namespace for real: a folder parses and lists its children,
// a path that does not exist gives no item identifier list.
TEST_F(ShellOpenWindowTest, ParsesAndEnumeratesShellFoldersForReal) {
  const win::ItemIdList folder = w_->ParseShellPath(folder_);
  ASSERT_TRUE(folder);
  EXPECT_TRUE(w_->IsEnumerableShellFolder(folder.get()));
  EXPECT_TRUE(w_->IsEnumerableShellFolder(nullptr)) << "the desktop";
  EXPECT_FALSE(w_->ParseShellPath(base_ + "\\gone"));
  EXPECT_FALSE(w_->ParseShellPath(""));
  EXPECT_FALSE(w_->ParseShellPath(base_ + "\\" + std::string(600, 'x')));
}

}  // namespace
}  // namespace filvex
