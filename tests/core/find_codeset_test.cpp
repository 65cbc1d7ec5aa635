// filvex-find and the terminal: drive letters, and (natively) the query and
// the output converted between the locale's code set and the list's CP932.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "searchlist/list_files.h"
#include "tests/core/test_util.h"
#include "tools/filvex-find/run_find.h"
// The conversion is a source of the console client, not of the core; it is
// built into the tests here (the Windows build compiles it to nothing).
#include "tools/filvex-find/codeset.cpp"

namespace filvex {
namespace {

// C: with the folder 表示, which holds ソース.txt and a name whose bytes are
// not CP932 (a list damaged by hand or by another program).
std::string WriteFixture(const std::string& tag) {
  const std::string dir = test::MakeScratchFolder(tag);
  SearchList l;
  PackedDate d = 0;
  PackDateText("2021/01/01 00:00", &d);
  l.FolderList.append("C:");
  l.FolderInfoList.appendRoot();
  l.FolderList.append("C:\\表示");
  l.FolderInfoList.appendDated(d, d, 0x10, /*hasSize=*/false, 0);
  for (const char* name : {"ソース.txt", "bad\x85\x40name.txt", "Ｃ.txt"}) {
    l.FileList.append(1, name);
    l.FileInfoList.appendDated(d, d, 0x10, /*hasSize=*/true, 1);
  }
  DriveCounts folderCounts, fileCounts;
  CountEntriesPerDrive(l, folderCounts, fileCounts);
  EXPECT_TRUE(SaveListFiles(dir, l, folderCounts, fileCounts));
  return dir;
}

TEST(FindTerminal, DriveLettersAreAsciiLettersOnly) {
  const std::string dir = WriteFixture("find-drives");
  struct Case {
    std::string drives;
    int status;
  } cases[] = {
      {"c", kFindHits},         {"Cd", kFindHits},
      {"", kFindHits},          // no restriction, as an empty box in the window
      {"Ｃ", kFindUsageError},  // its trail byte would read as drive B
      {"C:", kFindUsageError},  {"1", kFindUsageError},
      {"C D", kFindUsageError},
  };
  for (const auto& c : cases) {
    std::string out, err;
    EXPECT_EQ(RunFind({"--data", dir, "--drives", c.drives, "txt"}, "", out, err), c.status)
        << c.drives << err;
    if (c.status == kFindUsageError) {
      EXPECT_NE(err.find("'" + c.drives + "'"), std::string::npos) << err;
      EXPECT_TRUE(out.empty());
    }
  }
}

#ifndef _WIN32

// Plain literals are compiled to CP932, the list's bytes; u8 literals stay
// UTF-8, the terminal's text.
std::string Utf8(std::u8string_view s) {
  return std::string(s.begin(), s.end());
}

TEST(FindTerminal, OpensAConversionOnlyForACodesetThatNeedsOne) {
  struct Case {
    const char* codeset;
    bool converts;
    bool note;
  } cases[] = {
      {"ANSI_X3.4-1968", false, false},  // the C locale: bytes pass unchanged
      {"UTF-8", true, false},
      {"EUC-JP", true, false},
      {"NO-SUCH-CODESET", false, true},
  };
  for (const auto& c : cases) {
    std::string note;
    EXPECT_EQ(TerminalCodeset::Open(c.codeset, note) != nullptr, c.converts) << c.codeset;
    EXPECT_EQ(!note.empty(), c.note) << c.codeset << note;
  }
}

TEST(FindTerminal, QueryTextConvertsToTheListsBytes) {
  std::string note;
  auto utf8 = TerminalCodeset::Open("UTF-8", note);
  ASSERT_TRUE(utf8);
  struct Case {
    std::string typed;
    bool ok;
    std::string list;
  } cases[] = {
      {"readme/TXT", true, "readme/TXT"},
      {Utf8(u8"表"), true, "表"},  // trail byte 0x5C
      {Utf8(u8"ソ"), true, "ソ"},
      {Utf8(u8"Ｃ"), true, "Ｃ"},
      {Utf8(u8"ﾃｽﾄ"), true, "ﾃｽﾄ"},
      {Utf8(u8"é"), false, ""},  // no such character in CP932
      {"\xE8\xA1", false, ""},   // a UTF-8 sequence cut short
      {"\x95\x5C", false, ""},   // CP932 bytes are not UTF-8
  };
  for (const auto& c : cases) {
    std::string list;
    EXPECT_EQ(utf8->ToList(c.typed, list), c.ok) << c.typed;
    if (c.ok) {
      EXPECT_EQ(list, c.list) << c.typed;
    }
  }
}

TEST(FindTerminal, OutputConvertsBackAndMarksWhatCannotBeShown) {
  std::string note;
  auto utf8 = TerminalCodeset::Open("UTF-8", note);
  auto eucjp = TerminalCodeset::Open("EUC-JP", note);
  ASSERT_TRUE(utf8 && eucjp);
  struct Case {
    TerminalText* terminal;
    std::string list;
    std::string shown;
    size_t replaced;
  } cases[] = {
      {utf8.get(), "C:\\表示\\ソース.txt\n", Utf8(u8"C:\\表示\\ソース.txt\n"), 0},
      {utf8.get(), "a\x85\x40z\n", "a?z\n", 1},  // unassigned pair: one mark, not "?@"
      {utf8.get(), "a\x81", "a?", 1},            // lead byte without its trail
      {utf8.get(), "\x85\x40\x85\x40", "??", 2},
      {eucjp.get(), "表", "\xC9\xBD", 0},
      {eucjp.get(), "\x87\x40", "?", 1},  // circled 1: CP932 only, no EUC-JP form
  };
  for (const auto& c : cases) {
    std::string shown;
    EXPECT_EQ(c.terminal->FromList(c.list, shown), c.replaced) << c.list;
    EXPECT_EQ(shown, c.shown) << c.list;
  }
}

TEST(FindTerminal, ClientSpeaksTheTerminalsCodeset) {
  const std::string dir = WriteFixture("find-codeset");
  std::string note;
  auto utf8 = TerminalCodeset::Open("UTF-8", note);
  ASSERT_TRUE(utf8);
  struct Case {
    std::vector<std::string> args;
    TerminalText* terminal;
    int status;
    std::string out;
    std::string inErr;  // a text the messages must hold; empty: no messages
  } cases[] = {
      {{Utf8(u8"ソ")}, utf8.get(), kFindHits, Utf8(u8"C:\\表示\\ソース.txt\n"), ""},
      {{"--raw", Utf8(u8"ソ")}, utf8.get(), kFindHits, "C:\\表示\\ソース.txt\n", ""},
      {{Utf8(u8"Ｃ")}, utf8.get(), kFindHits, Utf8(u8"C:\\表示\\Ｃ.txt\n"), ""},
      {{"--count", "zzz"}, utf8.get(), kFindNoHits, Utf8(u8"名前  [ 0 ]\n"), ""},
      {{Utf8(u8"é")}, utf8.get(), kFindUsageError, "", Utf8(u8"'é'")},
      {{"bad"}, utf8.get(), kFindHits, Utf8(u8"C:\\表示\\bad?name.txt\n"), "1 line(s)"},
      {{"--raw", "bad"}, utf8.get(), kFindHits, "C:\\表示\\bad\x85\x40name.txt\n", ""},
      // Without a terminal (the C locale, Windows) the query is the list's bytes.
      {{"ソ"}, nullptr, kFindHits, "C:\\表示\\ソース.txt\n", ""},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), {"--data", dir});
    std::string out, err;
    EXPECT_EQ(RunFind(args, "", out, err, c.terminal), c.status) << c.args.back() << err;
    EXPECT_EQ(out, c.out) << c.args.back();
    if (c.inErr.empty()) {
      EXPECT_TRUE(err.empty()) << err;
    } else {
      EXPECT_NE(err.find(c.inErr), std::string::npos) << err;
    }
  }
}

#endif  // _WIN32

}  // namespace
}  // namespace filvex
