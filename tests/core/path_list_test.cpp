#include "shellops/path_list.h"

#include <gtest/gtest.h>

namespace filvex {
namespace {

TEST(PathList, TextAndByteForms) {
  using namespace std::string_literals;
  struct Case {
    std::vector<std::string> paths;
    std::string text, bytes;
  } cases[] = {
      {{}, "", "\0\0"s},
      {{"A", "B"}, "A\r\nB\r\n", "A\0B\0\0\0"s},
      {{"C:\\x y.txt"}, "C:\\x y.txt\r\n", "C:\\x y.txt\0\0\0"s},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ListText(c.paths), c.text);
    EXPECT_EQ(DoubleNulList(c.text), c.bytes);
    EXPECT_EQ(DoubleNulList(c.text).size(), c.text.size() - c.paths.size() + 2);
    EXPECT_EQ(ListLines(c.text), c.paths);
  }
}

TEST(PathList, LinesAcceptEveryLineEndAndDropEmptyOnes) {
  EXPECT_EQ(ListLines("a\rb\nc\r\n\r\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(ListLines(""), std::vector<std::string>{});
}

}  // namespace
}  // namespace filvex
