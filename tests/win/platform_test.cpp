// The thin Windows layer: version mapping, folder helpers, profile files and
// menus with hidden items.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/menu_win.h"
#include "platform/file_time.h"
#include "platform/profile.h"
#include "platform/system_info.h"
#include "platform/window_text.h"
#include "tests/win/win_test_util.h"

namespace filvex::win {
namespace {

TEST(Platform, SystemKindFromVersion) {
  struct Case {
    DWORD platform, major, minor;
    int kind;
  };
  const Case cases[] = {
      {VER_PLATFORM_WIN32_NT, 5, 0, 2},       {VER_PLATFORM_WIN32_NT, 10, 0, 2},
      {VER_PLATFORM_WIN32_NT, 4, 0, 0},       {VER_PLATFORM_WIN32_WINDOWS, 4, 90, 1},
      {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 0}, {VER_PLATFORM_WIN32_WINDOWS, 5, 90, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SystemKindOf(c.platform, c.major, c.minor), c.kind)
        << c.platform << " " << c.major << "." << c.minor;
  }
  EXPECT_EQ(QuerySystemKind(), 2);
}

TEST(Platform, PathPartsAreDoubleByteSafe) {
  // 表 ends in the byte 0x5C, which must not be taken for a separator.
  EXPECT_EQ(FolderWithSeparator("C:\\表\\a.exe"), "C:\\表\\");
  EXPECT_EQ(FolderWithSeparator("C:\\a.exe"), "C:\\");
  EXPECT_EQ(FileNamePart("C:\\Tools\\表.exe"), "表.exe");
  EXPECT_EQ(FileNamePart("C:\\Tools\\表"), "表");
}

TEST(Platform, CreatesMissingParentFolders) {
  const std::string base = test::FreshFolder("tree");
  const std::string deep = base + "\\a\\表\\ソ\\data";
  ASSERT_FALSE(DirectoryExists(deep));
  EXPECT_TRUE(CreateDirectoryTree(deep));
  EXPECT_TRUE(DirectoryExists(base + "\\a\\表"));
  EXPECT_TRUE(DirectoryExists(deep));
  EXPECT_TRUE(CreateDirectoryTree(deep));  // already there
}

TEST(Platform, ProfileTextsRoundTripAndListKeys) {
  const std::string file = test::FreshFolder("profile") + "\\x.ini";
  EXPECT_TRUE(ProfileKeyNames(file, "DATA").empty());
  EXPECT_EQ(ProfileString(file, "DATA", "max", "none"), "none");
  EXPECT_TRUE(WriteProfileText(file, "DATA", "toolpath", "C:\\表\\Brontal.exe"));
  EXPECT_TRUE(WriteProfileText(file, "DATA", "max", "500"));
  EXPECT_EQ(ProfileString(file, "DATA", "toolpath"), "C:\\表\\Brontal.exe");
  const std::vector<std::string> keys = ProfileKeyNames(file, "DATA");
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0], "toolpath");
  EXPECT_EQ(keys[1], "max");
}

TEST(Platform, FileTimeTextIsLocalMinutes) {
  SYSTEMTIME local{2003, 7, 1, 14, 9, 5, 59, 0};
  FILETIME lft, utc;
  ASSERT_TRUE(SystemTimeToFileTime(&local, &lft));
  ASSERT_TRUE(LocalFileTimeToFileTime(&lft, &utc));
  EXPECT_EQ(FileTimeText(utc), "2003/07/14 09:05");  // seconds dropped
  std::string text;
  EXPECT_FALSE(LastWriteTimeText("C:\\no\\such\\file.txt", &text));
}

TEST(Platform, ControlTextsAndStatesReadBackWhole) {
  HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_NE(parent, nullptr);
  struct Destroy {
    HWND wnd;
    ~Destroy() { DestroyWindow(wnd); }
  } destroy{parent};
  auto child = [parent](const char* cls, DWORD style) {
    return CreateWindowExA(0, cls, "", WS_CHILD | style, 0, 0, 200, 100, parent, nullptr,
                           nullptr, nullptr);
  };

  // Longer than any fixed buffer a caller might pick, with double-byte
  // characters whose trail byte is "\".
  std::string path = "C:";
  while (path.size() < 5000) path += "\\表ソ";
  const std::string texts[] = {"", "a", "検索ファイル名", path};
  HWND label = child("STATIC", 0);
  for (const std::string& t : texts) {
    SetWindowTextA(label, t.c_str());
    EXPECT_EQ(WindowText(label), t) << t.size() << " bytes";
  }

  HWND box = child("BUTTON", BS_AUTOCHECKBOX);
  EXPECT_FALSE(IsChecked(box));
  SetChecked(box, true);
  EXPECT_TRUE(IsChecked(box));
  SetChecked(box, false);
  EXPECT_FALSE(IsChecked(box));
  // An indeterminate box is not checked.
  HWND three = child("BUTTON", BS_AUTO3STATE);
  SendMessageA(three, BM_SETCHECK, BST_INDETERMINATE, 0);
  EXPECT_FALSE(IsChecked(three));

  HWND combo = child("COMBOBOX", CBS_DROPDOWNLIST);
  for (const char* item : {"作成日", "更新日"}) {
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  }
  EXPECT_EQ(SelectedIndex(combo), -1);
  SendMessageA(combo, CB_SETCURSEL, 1, 0);
  EXPECT_EQ(SelectedIndex(combo), 1);
}

TEST(Menu, HiddenItemsComeBackInTheirPlace) {
  TMenu menu;
  menu.Create(TMenu::Kind::Popup, 10);
  TMenuItem* a = menu.Add(nullptr, "A", "a");
  TMenuItem* b = menu.Add(nullptr, "B", "b", "hint b", 7);
  TMenuItem* c = menu.Add(nullptr, "C", "c");
  auto idAt = [&](int pos) {
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_ID;
    return GetMenuItemInfoA(menu.Handle(), pos, TRUE, &mii) ? mii.wID : 0u;
  };
  b->SetVisible(false);
  b->SetEnabled(false);
  EXPECT_EQ(GetMenuItemCount(menu.Handle()), 2);
  EXPECT_EQ(idAt(1), c->Id());
  b->SetVisible(true);
  EXPECT_EQ(GetMenuItemCount(menu.Handle()), 3);
  EXPECT_EQ(idAt(1), b->Id());
  EXPECT_TRUE(GetMenuState(menu.Handle(), b->Id(), MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_EQ(menu.FindByPosition(menu.Handle(), 1), b);
  EXPECT_EQ(menu.FindByName("B")->Tag, 7);
  EXPECT_EQ(menu.FindById(a->Id()), a);
}

}  // namespace
}  // namespace filvex::win
