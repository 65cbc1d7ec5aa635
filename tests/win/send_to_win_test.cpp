// The send-to submenu as a user meets it: the entries of the user's SendTo
// folder (filled here, since the shell's own folder is where the program
// looks), the programs started with the selected paths, shortcuts to
// folders and programs followed, and the desktop shortcut with its "(n)"
// names.
#include <windows.h>
// The other system headers build on the types of windows.h.
#include <commctrl.h>
#include <shlobj.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/vemko_searcher_win.h"
#include "platform/com.h"
#include "platform/path_exists.h"
#include "platform/shell_start.h"
#include "shellops/shell_link_win.h"
#include "tests/core/test_util.h"
#include "tests/win/win_test_util.h"
#include "tests/win/window_test_util.h"

namespace filvex {
namespace {

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class SendToWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hook_ = test::RecordMessageBoxes(boxes_, IDOK);
    win::SetShellStartRecorderForTests([this](const win::ShellStart& s) {
      starts_.push_back(s);
      return INT_PTR{42};
    });
    base_ = test::FreshFolder("sendto");
    sendTo_ = links_.GetPath(CSIDL_SENDTO);
    desktop_ = links_.GetPath(CSIDL_DESKTOP);
    ASSERT_FALSE(sendTo_.empty());
    ASSERT_FALSE(desktop_.empty());
    CreateDirectoryA(sendTo_.c_str(), nullptr);
    // The entries: a shortcut to a folder, a shortcut to a program, a
    // program stand-in, a sub-folder, the two special entries, a shortcut
    // whose program is gone, and the hidden and system desktop.ini.
    backup_ = base_ + "\\Backup";
    CreateDirectoryA(backup_.c_str(), nullptr);
    editor_ = base_ + "\\Editor.exe";
    test::WriteFile(editor_, "MZ");
    const std::string lost = base_ + "\\Lost.exe";
    test::WriteFile(lost, "MZ");
    Link(backup_, L"Backup");
    Link(editor_, L"Editor");
    Link(lost, L"Lost");
    DeleteFileA(lost.c_str());
    Entry("Viewer.exe");
    Entry("Desktop (create shortcut).DeskLink");
    Entry("Documents.mydocs");
    CreateDirectoryA((sendTo_ + "\\Inbox").c_str(), nullptr);
    made_.push_back(sendTo_ + "\\Inbox");
    Entry("desktop.ini");
    SetFileAttributesA((sendTo_ + "\\desktop.ini").c_str(),
                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);

    w_ = test::OpenSmallListWindow("sendto", &program_);
    ASSERT_FALSE(HasFailure());
  }

  void TearDown() override {
    w_.reset();
    win::SetShellStartRecorderForTests(nullptr);
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
      SetFileAttributesA(it->c_str(), FILE_ATTRIBUTE_NORMAL);
      if (!DeleteFileA(it->c_str())) RemoveDirectoryA(it->c_str());
    }
  }

  void Link(const std::string& target, const std::wstring& name) {
    const std::string made = links_.CreateLink2(target, nullptr, sendTo_, name, false);
    ASSERT_EQ(made, sendTo_ + "\\" + std::string(name.begin(), name.end()) + ".lnk");
    made_.push_back(made);
  }

  void Entry(const std::string& name) {
    test::WriteFile(sendTo_ + "\\" + name, "");
    made_.push_back(sendTo_ + "\\" + name);
  }

  // Rows as a search would leave them, with the given rows selected.
  void ShowRows(const std::vector<std::string>& paths, const std::vector<int>& selected) {
    test::ShowRows(*w_, paths, selected);
  }

  const TMenuItem& Item(const std::string& caption) {
    for (const TMenuItem* item : w_->SendToMenu->Items())
      if (item->Caption() == caption) return *item;
    ADD_FAILURE() << "no item " << caption;
    return *w_->SendToMenu;
  }

  win::ComInitGuard com_;
  TShellLink links_;
  std::string base_, sendTo_, desktop_, program_, backup_, editor_;
  std::vector<std::string> made_;  // removed again, the last first
  std::vector<std::string> boxes_;
  std::vector<win::ShellStart> starts_;
  std::unique_ptr<win::ScopedMessageBoxHook> hook_;
  std::unique_ptr<TVemkoSearcher> w_;
};

TEST_F(SendToWindowTest, OffersEveryVisibleEntryWithItsIcon) {
  std::vector<std::string> captions;
  const auto& items = w_->SendToMenu->Items();
  for (size_t i = 0; i < items.size(); ++i) {
    captions.push_back(items[i]->Caption());
    EXPECT_EQ(items[i]->Tag, static_cast<int>(i));
    const std::string name = items[i]->Hint.substr(sendTo_.size() + 1);
    EXPECT_EQ(items[i]->Hint, sendTo_ + "\\" + name);
    EXPECT_EQ(name.rfind(items[i]->Caption(), 0), 0u) << name;
  }
  std::sort(captions.begin(), captions.end());
  EXPECT_EQ(captions, (std::vector<std::string>{"Backup", "Desktop (create shortcut)", "Documents",
                                                "Editor", "Inbox", "Lost", "Viewer"}));
  // Each entry's icon was appended to ImageList1.
  ASSERT_EQ(w_->SendToImages.size(), items.size());
  for (size_t i = 0; i < items.size(); ++i)
    EXPECT_EQ(w_->SendToImages[i], TVemkoSearcher::kImageCount + static_cast<int>(i));
  EXPECT_EQ(ImageList_GetImageCount(w_->ImageList1.get()),
            TVemkoSearcher::kImageCount + static_cast<int>(items.size()));
}

TEST_F(SendToWindowTest, ProgramsGetTheQuotedPathsOnePerLine) {
  const std::string a = base_ + "\\a.txt", b = base_ + "\\b.txt", z = base_ + "\\c.txt";
  ShowRows({a, b, z}, {0, 2});
  struct Case {
    const char* caption;
    std::string started;  // empty: nothing is started
  } cases[] = {
      {"Viewer", sendTo_ + "\\Viewer.exe"},
      {"Editor", editor_},               // a shortcut counts as its program
      {"Lost", sendTo_ + "\\Lost.lnk"},  // whose program is gone: the shortcut itself
      {"Backup", ""},                    // a folder receives copies
      {"Inbox", ""},
      {"Documents", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.caption);
    starts_.clear();
    w_->SendToItemClick(Item(c.caption));
    if (c.started.empty()) {
      EXPECT_TRUE(starts_.empty());
      continue;
    }
    ASSERT_EQ(starts_.size(), 1u);
    EXPECT_EQ(lstrcmpiA(starts_[0].file.c_str(), c.started.c_str()), 0) << starts_[0].file;
    EXPECT_EQ(starts_[0].parameters, "\"" + a + "\"\n\"" + z + "\"");
    EXPECT_EQ(starts_[0].show, SW_SHOWNORMAL);
    EXPECT_EQ(starts_[0].verb, "");
  }
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(SendToWindowTest, AFolderShortcutReceivesCopiesOfTheSelectedFiles) {
  const std::string a = base_ + "\\a.txt", b = base_ + "\\b.txt", z = base_ + "\\c.txt";
  for (const auto& p : {a, b, z}) test::WriteFile(p, p);
  ShowRows({a, b, z}, {0, 2});
  w_->SendToItemClick(Item("Backup"));
  test::Pump();
  EXPECT_TRUE(win::PathExists(backup_ + "\\a.txt"));
  EXPECT_FALSE(win::PathExists(backup_ + "\\b.txt"));
  EXPECT_TRUE(win::PathExists(backup_ + "\\c.txt"));
  EXPECT_TRUE(win::PathExists(a));  // copied, never moved
  EXPECT_TRUE(starts_.empty());
}

TEST_F(SendToWindowTest, DesktopShortcutOfTheFirstSelectedRowGetsANumberWhenTaken) {
  const std::string report = base_ + "\\report.txt", other = base_ + "\\other.txt";
  const std::string dotted = base_ + "\\my.report.txt";
  for (const auto& p : {report, other, dotted}) test::WriteFile(p, "x");
  const std::string first = desktop_ + "\\report へのショートカット.lnk";
  const std::string second = desktop_ + "\\report へのショートカット(1).lnk";
  const std::string my = desktop_ + "\\my.lnk";
  for (const auto& p : {first, second, my}) made_.push_back(p);
  ShowRows({report, other, dotted}, {0, 1, 2});
  w_->SendToItemClick(Item("Desktop (create shortcut)"));
  EXPECT_TRUE(Exists(first));
  EXPECT_FALSE(Exists(desktop_ + "\\other へのショートカット.lnk")) << "one shortcut only";
  w_->SendToItemClick(Item("Desktop (create shortcut)"));
  EXPECT_TRUE(Exists(second));
  std::string target;
  EXPECT_EQ(links_.GetLinkToPath(second, target, false, nullptr), S_OK);
  EXPECT_EQ(lstrcmpiA(target.c_str(), report.c_str()), 0) << target;
  // The name loses everything from its last "." on.
  ShowRows({dotted}, {0});
  w_->SendToItemClick(Item("Desktop (create shortcut)"));
  EXPECT_TRUE(Exists(my));
  EXPECT_TRUE(starts_.empty());
  EXPECT_TRUE(boxes_.empty());
}

}  // namespace
}  // namespace filvex
