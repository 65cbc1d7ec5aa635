// Which paths the open commands follow as shortcuts, which folder explore
// opens, and the popup menu's shell items.

#include <gtest/gtest.h>

#include "shellops/open_rules.h"

namespace filvex {
namespace {

// ソ ends in the byte 0x5C, the same byte as "\".
const std::string kSo = "\x83\x5C";

TEST(OpenRules, OnlyALowerCaseLnkExtensionIsAShortcut) {
  struct Case {
    std::string path;
    bool shortcut;
  } cases[] = {
      {"C:\\Data\\report.lnk", true},
      {"C:\\report.lnk", true},
      {"C:\\.lnk", true},
      {"C:\\X.LNK", false},
      {"C:\\x.Lnk", false},
      {"C:\\a.lnk.txt", false},
      {"C:\\a.lnkx", false},
      {"C:\\dir.lnk\\file", false},  // the dot belongs to a folder
      {"C:\\dir.lnk\\" + kSo + "lnk", false},
      {"C:\\" + kSo + ".lnk", true},
      {"lnk", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsShortcutName(c.path), c.shortcut) << c.path;
}

TEST(OpenRules, ExploreOpensTheFolderOrTheFolderHoldingTheFile) {
  struct Case {
    std::string path;
    bool isFolder;
    std::string opened;
  } cases[] = {
      {"C:\\Data\\a.txt", false, "C:\\Data"},
      {"C:\\a.txt", false, "C:\\"},
      {"C:\\Data\\Sub", true, "C:\\Data\\Sub"},
      {"C:\\", true, "C:\\"},
      {"C:\\" + kSo + "\\a.txt", false, "C:\\" + kSo},
      {"\\\\server\\share\\a.txt", false, "\\\\server\\share"},
      {"a.txt", false, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ExploreFolder(c.path, c.isFolder), c.opened) << c.path;
}

TEST(OpenRules, OpenWithPassesThePathUnquoted) {
  EXPECT_EQ(OpenWithParameters("C:\\My Data\\a.xyz"),
            "shell32.dll,OpenAs_RunDLL C:\\My Data\\a.xyz");
}

TEST(OpenRules, PopupItemsFollowSelectionAndView) {
  struct Case {
    const char* what;
    PopupInputs in;
    PopupState out;
  } cases[] = {
      // selected, inFolder, hits, clipboard, pickup, idle
      {"hits, none selected",
       {0, false, true, true, false, true},
       {false, false, false, true, false, false, false}},
      {"hits, one selected",
       {1, false, true, true, false, true},
       {true, false, true, true, true, true, true}},
      {"hits, two selected",
       {2, false, true, false, false, true},
       {true, false, true, true, true, false, true}},
      {"hits while a search runs",
       {1, false, true, false, false, false},
       {true, false, false, true, true, true, true}},
      {"folder view with files to paste",
       {0, true, false, true, false, false},
       {false, true, true, true, false, false, false}},
      {"folder view, empty clipboard",
       {1, true, false, false, false, true},
       {true, false, true, true, true, true, true}},
      {"pickup list",
       {2, false, false, true, true, true},
       {true, false, true, true, true, false, false}},
      {"drive list",
       {1, false, false, true, false, true},
       {true, false, true, false, true, true, true}},
  };
  for (const auto& c : cases) {
    const PopupState s = PopupMenuState(c.in);
    EXPECT_EQ(s.rowCommands, c.out.rowCommands) << c.what;
    EXPECT_EQ(s.pasteVisible, c.out.pasteVisible) << c.what;
    EXPECT_EQ(s.deleteEnabled, c.out.deleteEnabled) << c.what;
    EXPECT_EQ(s.deleteVisible, c.out.deleteVisible) << c.what;
    EXPECT_EQ(s.sendToVisible, c.out.sendToVisible) << c.what;
    EXPECT_EQ(s.propertiesVisible, c.out.propertiesVisible) << c.what;
    EXPECT_EQ(s.pickupAddVisible, c.out.pickupAddVisible) << c.what;
  }
}

}  // namespace
}  // namespace filvex
