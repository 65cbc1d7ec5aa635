// The pickup file: what counts as a kept path, refusal of damaged files,
// case-blind look-ups, the rewrite and the removal question.

#include <gtest/gtest.h>

#include <cstring>

#include "results/pickup_list.h"
#include "tests/core/test_util.h"

namespace filvex {
namespace {

// 表 and ソ end in the byte 0x5C ("\"); ポ ends in 0x7C ("|").
const std::string kHyou = "\x95\x5C";
const std::string kSo = "\x83\x5C";
const std::string kPo = "\x83\x7C";

TEST(PickupPaths, OnlyFullPathsAreKept) {
  struct Case {
    std::string line;
    bool path;
  } cases[] = {
      {"C:\\a.txt", true},
      {"c:\\Data\\Sub", true},
      {"D:\\", true},
      {"\\\\server\\share\\f.doc", true},
      {"C:\\" + kHyou + "\\" + kSo, true},
      {"C:\\" + kPo + ".txt", true},  // the trail byte "|" is part of ポ
      {"a.txt", false},
      {"C:a.txt", false},
      {"\\a.txt", false},
      {"\\\\\\x", false},
      {"C:\\a|b", false},
      {"C:\\a?.txt", false},
      {"C:\\a*", false},
      {"C:\\<x>", false},
      {"C:\\a\"b", false},
      {"C:\\a:b", false},
      {"C:\\a\tb", false},
      {std::string("C:\\a\0b", 6), false},
      {"C:\\a\x95", false},  // cut after a lead byte
      {"1:\\a", false},
      {"C:\\" + std::string(kPickupPathLimit, 'x'), false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsPickupPath(c.line), c.path) << c.line;
}

TEST(PickupText, ParsesAnyLineEndAndRefusesNonPaths) {
  struct Case {
    std::string text;
    std::vector<std::string> paths;
    PickupRefusal refusal;
    size_t line;
  } cases[] = {
      {"", {}, PickupRefusal::None, 0},
      {"C:\\a\r\nC:\\b\r\n", {"C:\\a", "C:\\b"}, PickupRefusal::None, 0},
      {"C:\\a\rC:\\b\nC:\\c", {"C:\\a", "C:\\b", "C:\\c"}, PickupRefusal::None, 0},
      {"\r\nC:\\a\r\n\r\n", {"C:\\a"}, PickupRefusal::None, 0},
      {"C:\\a\r\n[settings]\r\nC:\\b\r\n", {}, PickupRefusal::NotAPath, 2},
      {"C:\\a\r\nC:\\b\x81", {}, PickupRefusal::NotAPath, 2},
      {std::string("\x89PNG\r\n\x1a\n\0\0", 10), {}, PickupRefusal::NotAPath, 1},
  };
  for (const auto& c : cases) {
    std::vector<std::string> paths{"stale"};
    const PickupReadResult r = ParsePickupText(c.text, paths);
    EXPECT_EQ(paths, c.paths) << c.text;
    EXPECT_EQ(r.refusal, c.refusal) << c.text;
    EXPECT_EQ(r.line, c.line) << c.text;
    EXPECT_EQ(r.text().empty(), r.ok());
  }
}

TEST(PickupFile, DamagedOrHostileFilesAreRefusedAndKept) {
  const std::string dir = test::MakeScratchFolder("pickup");
  enum Stand { Text, Garbage, Folder, Pipe, Huge, Nothing };
  struct Case {
    Stand stand;
    bool exists;
    PickupRefusal refusal;
    size_t paths;
  } cases[] = {
      {Text, true, PickupRefusal::None, 2},
      {Nothing, false, PickupRefusal::None, 0},
      {Garbage, true, PickupRefusal::NotAPath, 0},
      {Folder, true, PickupRefusal::NotRegularFile, 0},
      {Pipe, true, PickupRefusal::NotRegularFile, 0},
      {Huge, true, PickupRefusal::TooLarge, 0},
  };
  int k = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(k);
    const std::string path = DataFilePath(dir, std::to_string(k++) + ".txt");
    bool made = true;
    if (c.stand == Text) test::WriteFile(path, "C:\\a\r\nC:\\b\r\n");
    if (c.stand == Garbage) test::WriteFile(path, "C:\\a\r\nnot a path\r\n");
    if (c.stand == Folder) test::MakeFolder(path);
    if (c.stand == Pipe) made = test::MakePipe(path);
    if (c.stand == Huge) made = test::MakeSparseFile(path, test::kHugeFileBytes);
    if (!made) continue;
    std::vector<std::string> paths{"stale"};
    const PickupReadResult r = LoadPickupFile(path, paths);
    EXPECT_EQ(r.exists, c.exists);
    EXPECT_EQ(r.refusal, c.refusal);
    EXPECT_EQ(paths.size(), c.paths);
    // Nothing of a refused file is lost: it is still there as it was.
    if (c.stand == Garbage) {
      EXPECT_EQ(test::ReadFile(path), "C:\\a\r\nnot a path\r\n");
    }
    if (c.stand == Huge) std::remove(path.c_str());
  }
}

TEST(PickupFile, RoundTripKeepsOrderAndWritesCrLf) {
  const std::string dir = test::MakeScratchFolder("pickup-rt");
  const std::string path = DataFilePath(dir, "hitkeep.txt");
  const std::vector<std::string> kept{"C:\\z.txt", "C:\\" + kHyou + "\\" + kSo,
                                      "\\\\server\\share\\a", "D:\\"};
  ASSERT_TRUE(SavePickupFile(path, kept));
  EXPECT_EQ(test::ReadFile(path),
            "C:\\z.txt\r\nC:\\" + kHyou + "\\" + kSo + "\r\n\\\\server\\share\\a\r\nD:\\\r\n");
  std::vector<std::string> back;
  const PickupReadResult r = LoadPickupFile(path, back);
  EXPECT_TRUE(r.ok());
  EXPECT_TRUE(r.exists);
  EXPECT_EQ(back, kept);
  // An empty list is an empty file, not a missing one.
  ASSERT_TRUE(SavePickupFile(path, {}));
  EXPECT_EQ(test::ReadFile(path), "");
  EXPECT_TRUE(LoadPickupFile(path, back).exists);
  EXPECT_TRUE(back.empty());
  // A file that cannot be replaced (a folder stands in its place) reports
  // failure.
  const std::string blocked = DataFilePath(dir, "blocked.txt");
  test::MakeFolder(blocked);
  EXPECT_FALSE(SavePickupFile(blocked, kept));
}

TEST(PickupLookup, IgnoresCaseButNeverTrailBytes) {
  // ァ (83 40) and ア (83 41) differ only in a trail byte that looks like
  // "@" and "A"; folding "A" to "a" there would make them equal to 83 61.
  const std::string kSmallA = "\x83\x40", kA = "\x83\x41", kMu = "\x83\x61";
  std::vector<std::string> paths{"c:\\a.txt", "C:\\" + kA, "C:\\Data\\" + kHyou};
  struct Case {
    std::string path;
    size_t index;
  } cases[] = {
      {"C:\\A.TXT", 0},
      {"c:\\a.txt", 0},
      {"C:\\" + kA, 1},
      {"c:\\" + kA, 1},
      {"C:\\" + kMu, std::string::npos},
      {"C:\\" + kSmallA, std::string::npos},
      {"c:\\DATA\\" + kHyou, 2},
      {"C:\\a.tx", std::string::npos},
  };
  for (const auto& c : cases) EXPECT_EQ(FindPickupPath(paths, c.path), c.index) << c.path;
}

TEST(PickupLookup, AddKeepsOneLinePerPathAndRemoveTakesItOut) {
  std::vector<std::string> paths;
  struct Step {
    bool add;
    std::string path;
    bool changed;
    size_t size;
  } steps[] = {
      {true, "c:\\a.txt", true, 1},  {true, "C:\\A.TXT", false, 1},  {true, "c:\\a.txt", false, 1},
      {true, "C:\\b", true, 2},      {true, "relative", false, 2},   {false, "C:\\x", false, 2},
      {false, "C:\\A.txt", true, 1}, {false, "c:\\a.txt", false, 1},
  };
  for (const auto& s : steps) {
    const bool changed = s.add ? AddPickupPath(paths, s.path) : RemovePickupPath(paths, s.path);
    EXPECT_EQ(changed, s.changed) << s.path;
    EXPECT_EQ(paths.size(), s.size) << s.path;
  }
  EXPECT_EQ(paths, std::vector<std::string>{"C:\\b"});
}

TEST(PickupRemoval, AsksWithTheCountOrTheRowsCaption) {
  EXPECT_EQ(PickupRemovalQuestion(3, "a.txt"),
            "これらの 3 個のファイルをピックアップリストから削除します。よろしいですか？");
  EXPECT_EQ(PickupRemovalQuestion(2, "a.txt"),
            "これらの 2 個のファイルをピックアップリストから削除します。よろしいですか？");
  EXPECT_EQ(PickupRemovalQuestion(1, "x.txt"),
            "x.txt をピックアップリストから削除します。よろしいですか？");
  EXPECT_EQ(PickupRemovalTitle(), "ピックアップリストからの削除確認");
}

}  // namespace
}  // namespace filvex
