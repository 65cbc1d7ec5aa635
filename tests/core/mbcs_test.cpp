// Double-byte-safe text rules: separators, components, lower-casing.

#include <gtest/gtest.h>

#include "searchlist/mbcs.h"

namespace filvex {
namespace {

// 表 and ソ end in the byte 0x5C, the same byte as "\".
const std::string kHyou = "\x95\x5C";
const std::string kSo = "\x83\x5C";

TEST(PathText, SplitsOnlyAtRealSeparators) {
  struct Case {
    std::string path, name, folderColumn, containing;
  } cases[] = {
      {"C:\\Data\\a.txt", "a.txt", "C:\\Data", "C:\\Data"},
      {"C:\\a.txt", "a.txt", "C:", "C:\\"},
      {"C:", "", "C:", "C:"},
      {"C:\\", "", "C:", "C:\\"},
      {"C:\\" + kHyou, kHyou, "C:", "C:\\"},
      {"C:\\" + kSo + "\\x", "x", "C:\\" + kSo, "C:\\" + kSo},
      {"C:\\a\\" + kSo + kHyou, kSo + kHyou, "C:\\a", "C:\\a"},
      {"\\\\server\\share\\f", "f", "\\\\server\\share", "\\\\server\\share"},
      {"name", "name", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LastComponent(c.path), c.name) << c.path;
    EXPECT_EQ(FolderColumnText(c.path), c.folderColumn) << c.path;
    EXPECT_EQ(ContainingFolder(c.path), c.containing) << c.path;
  }
}

TEST(PathText, JoinAddsOneSeparator) {
  EXPECT_EQ(JoinPath("C:", "boot.ini"), "C:\\boot.ini");
  EXPECT_EQ(JoinPath("C:\\Data", "a.txt"), "C:\\Data\\a.txt");
  EXPECT_EQ(JoinPath("C:\\", "a.txt"), "C:\\a.txt");
  // A folder ending in 表 ends in the byte 0x5C but not in a separator.
  EXPECT_EQ(JoinPath("C:\\" + kHyou, "a"), "C:\\" + kHyou + "\\a");
}

TEST(ByteKinds, WalkFromTheStart) {
  std::string s = "a" + kHyou + "\\";
  EXPECT_EQ(ByteKindAt(s, 0), ByteKind::Single);
  EXPECT_EQ(ByteKindAt(s, 1), ByteKind::Lead);
  EXPECT_EQ(ByteKindAt(s, 2), ByteKind::Trail);
  EXPECT_EQ(ByteKindAt(s, 3), ByteKind::Single);
}

TEST(LowerCasing, FoldsLettersAndNeverTrailBytes) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"README.TXT", "readme.txt"},
      {"\x82\x60\x82\x79", "\x82\x81\x82\x9A"},  // Ａ Ｚ -> ａ ｚ
      {"\x83\x9F", "\x83\xBF"},                  // Α -> α
      {"\x84\x40\x84\x4E\x84\x4F\x84\x60", "\x84\x70\x84\x7E\x84\x80\x84\x91"},  // А Н О Я
      {"\x83\x41", "\x83\x41"},  // ア: trail byte 'A' is not a letter here
      {"\x95\x5CZ", "\x95\x5Cz"},
      {"\xB1"
       "A",
       "\xB1"
       "a"},             // half-width katakana is one byte
      {"\x82", "\x82"},  // a lead byte at the very end is left alone
  };
  for (const auto& c : cases) EXPECT_EQ(Lowered(c.in), c.out) << c.in;
}

// Names are folded eight ASCII bytes at a time: every byte value at every
// place of such a word, words cut by double-byte characters, and whether
// anything changed (a name whose folding changes nothing is stored once).
TEST(LowerCasing, WordsAtATimeFoldExactlyTheLetters) {
  // Lengths 9 to 16 put the byte in a tail folded as an overlapping word.
  for (size_t length : {9, 12, 15, 16}) {
    for (int b = 0; b < 0x80; ++b) {
      for (size_t at = 0; at < length; ++at) {
        std::string in(length, 'q');
        in[at] = static_cast<char>(b);
        std::string out(in.size(), '\0');
        const bool upper = b >= 'A' && b <= 'Z';
        EXPECT_EQ(LowerCopy(in.data(), in.size(), out.data()), upper) << b << " at " << at;
        std::string want = in;
        if (upper) want[at] = static_cast<char>(b + 32);
        EXPECT_EQ(out, want) << b << " at " << at;
        EXPECT_EQ(Lowered(in), want) << b << " at " << at;  // in place
      }
    }
  }
  struct Case {
    std::string in, out;
    bool changed;
  } cases[] = {
      {"@AZ[`az{ABCDEFGH", "@az[`az{abcdefgh", true},
      {"readme_2019.txt", "readme_2019.txt", false},
      // ア's trail byte is 'A' and falls on the first byte of a word.
      {"0123456\x83\x41"
       "BCDEFGHI",
       "0123456\x83\x41"
       "bcdefghi",
       true},
      {"0123456\x83\x41"
       "bcdefghi",
       "0123456\x83\x41"
       "bcdefghi",
       false},
      {"abcdefg\x82\x60xyz", "abcdefg\x82\x81xyz", true},  // Ａ after seven letters
      {"abcdefgh\x95\x5C", "abcdefgh\x95\x5C", false},
      // Words of ASCII, then a tail shorter than a word, with and without a
      // double-byte character in it.
      {"abcdefghIJ", "abcdefghij", true},
      {"abcdefgh\x83\x41"
       "BC",
       "abcdefgh\x83\x41"
       "bc",
       true},
      {"abcdefgh\x83\x41"
       "bcdefghijk"
       "\x83\x41",
       "abcdefgh\x83\x41"
       "bcdefghijk"
       "\x83\x41",
       false},
      // A tail whose last eight bytes would begin on ア's trail byte 'A'.
      {"abcdefgh\x83\x41"
       "BCDEFGH",
       "abcdefgh\x83\x41"
       "bcdefgh",
       true},
      {"ABCDEFGH\x83\x41"
       "BCDEFGHIJ",
       "abcdefgh\x83\x41"
       "bcdefghij",
       true},
  };
  for (const auto& c : cases) {
    std::string out(c.in.size(), '\0');
    EXPECT_EQ(LowerCopy(c.in.data(), c.in.size(), out.data()), c.changed) << c.in;
    EXPECT_EQ(out, c.out) << c.in;
    EXPECT_EQ(Lowered(c.in), c.out) << c.in;
  }
}

}  // namespace
}  // namespace filvex
