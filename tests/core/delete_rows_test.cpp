#include "shellops/delete_rows.h"

#include <gtest/gtest.h>

namespace filvex {
namespace {

TEST(DeleteRows, StayingRowsMoveUpPastTheErasedOnes) {
  struct Case {
    std::vector<size_t> rows, erased, expected;
  } cases[] = {
      {{0, 2, 4}, {2}, {0, 3}}, {{4, 2, 0}, {0, 0}, {3, 1}},  // any order, repeats
      {{1, 3}, {}, {1, 3}},     {{1, 3}, {1, 3}, {}},        {{5}, {0, 1, 2}, {2}},
  };
  for (const auto& c : cases) EXPECT_EQ(RowsAfterErase(c.rows, c.erased), c.expected);
}

}  // namespace
}  // namespace filvex
