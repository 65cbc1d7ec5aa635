// Names of new shortcuts: safe characters, trailing separators, base names
// and the "(n)" suffixes of taken names.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "shellops/link_names.h"

namespace filvex {
namespace {

TEST(LinkNames, FileMogChkReplacesForbiddenCharacters) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"a/b:c*?", "a／b：c＊？"},
      {"x|y", "x｜y"},
      {"\"q\" <x> \\", "”q” ＜x＞ ￥"},
      {"a|b|c", "a｜b｜c"},
      {"", ""},
      {"plain name.txt", "plain name.txt"},
      {"ポ", "ポ"},
      {"表/ソ:ポ", "表／ソ：ポ"},
  };
  for (const auto& c : cases) EXPECT_EQ(FileMogChk(c.in), c.out) << c.in;
}

// ポ ends in the byte "|" and ソ in the byte "\". Stopping at such a byte
// would leave the real "|" or "\" after it in the name, and the shortcut
// could not be saved.
TEST(LinkNames, RealSeparatorAfterDoubleByteCharacterIsReplaced) {
  EXPECT_EQ(FileMogChk("ポ|"), "ポ｜");
  EXPECT_EQ(FileMogChk("ポa|b|"), "ポa｜b｜");
  EXPECT_EQ(FileMogChk("ソ\\表"), "ソ￥表");
}

// A replacement that holds the text it replaces must not be searched again.
TEST(LinkNames, ReplacementHoldingTheSearchedTextEnds) {
  std::string text = "aaa";
  MogChange(text, "a", "ba");
  EXPECT_EQ(text, "bababa");
}

TEST(LinkNames, MogChangeEdgeCases) {
  struct Case {
    std::string text, from, to, out;
  } cases[] = {
      {"abcab", "ab", "X", "XcX"},
      {"aaa", "a", "", ""},
      {"abc", "", "X", "abc"},
      {"abc", "z", "X", "abc"},
      // "\x95\x5C" (表) found across ア's trail byte and a "\" is no 表.
      {"\x83\x95\x5C", "\x95\x5C", "X", "\x83\x95\x5C"},
      {"\x83\x5C\x95\x5C", "\x95\x5C", "X", "\x83\x5CX"},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    MogChange(text, c.from, c.to);
    EXPECT_EQ(text, c.out) << c.text << " " << c.from;
  }
}

TEST(LinkNames, FolderGetsOneTrailingSeparator) {
  struct Case {
    std::string folder;
    bool namesFile;
    std::string out;
  } cases[] = {
      {"C:\\Tools", false, "C:\\Tools\\"},
      {"C:\\Tools\\", false, "C:\\Tools\\"},
      {"", false, "\\"},
      {"C:", false, "C:\\"},
      {"C:\\表", false, "C:\\表\\"},  // its last byte 0x5C is not a separator
      {"C:\\ソ\\", false, "C:\\ソ\\"},
      {"C:\\a.txt", true, "C:\\a.txt"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PathToSetKugiriMog(c.folder, c.namesFile), c.out) << c.folder;
}

TEST(LinkNames, BaseNameOfNewShortcut) {
  struct Case {
    std::string wanted, target;
    bool folder;
    std::string out;
  } cases[] = {
      {"Report 2.1 final", "C:\\d\\r.txt", false, "Report 2"},
      {"Report 2.1 final", "C:\\d\\r", true, "Report 2.1 final"},
      {"", "C:\\d\\memo.txt", false, "memo"},
      {"", "C:\\d\\Tools", true, "Tools"},
      {"", "C:\\ソ\\表.txt", false, "表"},
      {"", "C:\\d\\noext", false, "noext"},
      {"a/b", "C:\\x.txt", false, "a／b"},
      {"ポ|x.y", "C:\\d", true, "ポ｜x.y"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ShortcutBaseName(c.wanted, c.target, c.folder), c.out) << c.wanted << " " << c.target;
  }
}

TEST(LinkNames, TakenNamesGetNumberedSuffixes) {
  const std::set<std::string> existing = {"C:\\f\\memo.lnk", "C:\\f\\memo(1).lnk",
                                          "C:\\f\\one.lnk"};
  auto exists = [&](const std::string& p) { return existing.count(p) > 0; };
  struct Case {
    std::string base;
    bool overwrite, checkOnly;
    std::string path;
    bool renamed;
  } cases[] = {
      {"memo", false, false, "C:\\f\\memo(2).lnk", true},
      {"one", false, false, "C:\\f\\one(1).lnk", true},
      {"new", false, false, "C:\\f\\new.lnk", false},
      {"memo", true, false, "C:\\f\\memo.lnk", false},
      {"memo", true, true, "C:\\f\\memo(2).lnk", true},
      {"new", false, true, "C:\\f\\new.lnk", false},
  };
  for (const auto& c : cases) {
    ShortcutPlace p = ShortcutPlaceFor("C:\\f\\", c.base, c.overwrite, c.checkOnly, exists);
    EXPECT_EQ(p.path, c.path) << c.base;
    EXPECT_EQ(p.renamed, c.renamed) << c.base;
  }
}

}  // namespace
}  // namespace filvex
