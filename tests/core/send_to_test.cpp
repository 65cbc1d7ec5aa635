#include "shellops/send_to.h"

#include <gtest/gtest.h>

namespace filvex {
namespace {

TEST(SendTo, FirstMatchingRuleDecidesTheAction) {
  struct Case {
    const char* target;
    bool folder;
    SendToAction action;
  } cases[] = {
      {"C:\\users\\u\\SendTo\\Desktop (create shortcut).DeskLink", false,
       SendToAction::DesktopShortcut},
      {"C:\\users\\u\\SendTo\\My Documents.MyDocs", false, SendToAction::Documents},
      {"C:\\users\\u\\SendTo\\Mail Recipient.MAPIMail", false, SendToAction::Mail},
      // A name that is only "mapimail" without the dot is no mail entry.
      {"C:\\Tools\\mapimail.exe", false, SendToAction::StartProgram},
      {"D:\\Backup", true, SendToAction::CopyToFolder},
      // The special names win over the folder test, and desklink over mydocs.
      {"D:\\mydocs", true, SendToAction::Documents},
      {"C:\\x\\desklink.mydocs", false, SendToAction::DesktopShortcut},
      {"C:\\Tools\\Editor.lnk", false, SendToAction::StartProgram},
      // Folding keeps double-byte characters whole: ASCII after 表 still folds,
      // while full-width letters never spell the ASCII names.
      {"C:\\SendTo\\表DESKLINK", false, SendToAction::DesktopShortcut},
      {"C:\\SendTo\\ＤＥＳＫＬＩＮＫ", false, SendToAction::StartProgram},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SendToActionOf(c.target, c.folder), c.action) << c.target;
  }
}

TEST(SendTo, EntriesCaptionsAndTexts) {
  EXPECT_TRUE(IsSendToEntry("Mail.lnk", 0x20));
  EXPECT_TRUE(IsSendToEntry("Backup", 0x10));
  EXPECT_FALSE(IsSendToEntry("desktop.ini", 0x26));  // hidden and system
  EXPECT_FALSE(IsSendToEntry("secret.lnk", 0x2));
  EXPECT_FALSE(IsSendToEntry("sys.lnk", 0x4));
  EXPECT_FALSE(IsSendToEntry(".", 0x10));
  EXPECT_FALSE(IsSendToEntry("..", 0x10));

  EXPECT_EQ(SendToCaption("C:\\SendTo\\Mail.lnk"), "Mail");
  EXPECT_EQ(SendToCaption("C:\\SendTo\\Backup"), "Backup");
  EXPECT_EQ(SendToCaption("C:\\SendTo\\A&B.v1.lnk"), "A&&B.v1");

  EXPECT_EQ(SendToArguments({"C:\\a.txt", "C:\\b.txt"}), "\"C:\\a.txt\"\n\"C:\\b.txt\"");
  EXPECT_EQ(SendToArguments({"C:\\x y.txt"}), "\"C:\\x y.txt\"");
  EXPECT_EQ(SendToArguments({}), "");

  EXPECT_EQ(DesktopShortcutName("C:\\Data\\report.txt"), "report へのショートカット");
  EXPECT_EQ(DesktopShortcutName("C:\\Data\\my.report.txt"), "my.report へのショートカット");
  EXPECT_EQ(DesktopShortcutName("C:\\Data\\Folder"), "Folder へのショートカット");

  EXPECT_EQ(FileExtension("C:\\SendTo\\Mail Recipient.MAPIMail"), ".MAPIMail");
  EXPECT_EQ(FileExtension("C:\\a.b\\noext"), "");

  EXPECT_EQ(TrimBlanks(" \r\nC:\\a.txt\r\nC:\\b.txt\r\n"), "C:\\a.txt\r\nC:\\b.txt");
  EXPECT_EQ(TrimBlanks("\r\n"), "");
}

}  // namespace
}  // namespace filvex
