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
      {"\xB1" "A", "\xB1" "a"},  // half-width katakana is one byte
      {"\x82", "\x82"},         // a lead byte at the very end is left alone
  };
  for (const auto& c : cases) EXPECT_EQ(Lowered(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace filvex
