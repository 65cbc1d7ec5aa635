#include "shellops/file_transfer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace filvex {
namespace {

using namespace std::string_literals;

TEST(FileTransfer, HdropBlockIsTheAnsiHeaderThenTheDoubleNulList) {
  const std::string header = "\x14\0\0\0"s + std::string(16, '\0');
  EXPECT_EQ(HdropBlock("A\r\nB\r\n"), header + "A\0B\0\0\0"s);
  // Two rows of different drives: 20 + 11 + 9 + 2 bytes.
  const std::string two = HdropBlock("C:\\A\\x.txt\r\nD:\\y.txt\r\n");
  EXPECT_EQ(two.size(), 42u);
  EXPECT_EQ(two.substr(20), "C:\\A\\x.txt\0D:\\y.txt\0\0\0"s);
}

TEST(FileTransfer, DestinationsKeepEachSourceNameInTheTargetFolder) {
  struct Case {
    std::vector<std::string> sources;
    std::string dest;
    std::vector<std::string> expected;
  } cases[] = {
      {{"C:\\A\\x.txt", "D:\\y"}, "C:\\Work", {"C:\\Work\\x.txt", "C:\\Work\\y"}},
      // A drive root already ends in its separator.
      {{"C:\\A\\x.txt"}, "E:\\", {"E:\\x.txt"}},
      // A name after a drive colon alone.
      {{"C:x.txt"}, "C:\\Work", {"C:\\Work\\x.txt"}},
      // 表 ends in the byte 0x5C: no separator, the name is whole.
      {{"C:\\A\\\x95\x5C.txt"}, "C:\\\x95\x5C", {"C:\\\x95\x5C\\\x95\x5C.txt"}},
      {{}, "C:\\Work", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dest);
    EXPECT_EQ(CopyDestinations(c.sources, c.dest), c.expected);
  }
}

TEST(FileTransfer, DraggedItemsAreThoseOfTheFirstItemsFolder) {
  struct Case {
    std::vector<std::string> paths;
    std::vector<std::string> kept;
  } cases[] = {
      {{}, {}},
      {{"C:\\A\\x", "C:\\A\\y"}, {"C:\\A\\x", "C:\\A\\y"}},
      // Other folders, deeper ones included, are left out; case is ignored.
      {{"C:\\A\\x", "D:\\y", "C:\\A\\B\\z", "c:\\a\\w"}, {"C:\\A\\x", "c:\\a\\w"}},
      {{"C:\\x", "C:\\A\\y", "C:\\z"}, {"C:\\x", "C:\\z"}},
  };
  for (const auto& c : cases) EXPECT_EQ(ItemsOfFirstFolder(c.paths), c.kept);
}

TEST(FileTransfer, TheWindowsBorderCountsAsInside) {
  struct Case {
    int x, y;
    bool outside;
  } cases[] = {
      {100, 50, false}, {300, 250, false},  // the corners
      {99, 60, true},   {301, 60, true},   {150, 49, true}, {150, 251, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(OutsideWindow(100, 50, 200, 200, c.x, c.y), c.outside) << c.x << "," << c.y;
  }
}

TEST(FileTransfer, DragStepsFollowEscapeAndButtons) {
  struct Case {
    bool escape;
    uint32_t keys;
    DragStep step;
  } cases[] = {
      {true, 0, DragStep::Cancel},
      {true, 1, DragStep::Cancel},
      {false, 3, DragStep::Cancel},
      {false, 1, DragStep::Continue},
      {false, 2, DragStep::Continue},
      {false, 1 | 4 | 8, DragStep::Continue},  // with shift and control
      {false, 0, DragStep::DropUnlessOwnWindow},
      {false, 4, DragStep::DropUnlessOwnWindow},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DragStepOf(c.escape, c.keys), c.step) << c.escape << " " << c.keys;
  }
}

}  // namespace
}  // namespace filvex
