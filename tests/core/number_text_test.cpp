#include "app/number_text.h"

#include <gtest/gtest.h>

namespace filvex {
namespace {

TEST(NumberText, GroupsDigitsByPattern) {
  struct Case {
    uint64_t n;
    int minDigits;
    const char* text;
  };
  const Case cases[] = {
      {0, 0, ""},          {0, 1, "0"},          {5, 3, "005"},
      {100, 3, "100"},     {999, 0, "999"},      {1000, 3, "1,000"},
      {1234, 0, "1,234"},  {100000, 3, "100,000"}, {123456789, 0, "123,456,789"},
      {1234567890, 0, "1,234,567,890"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(GroupedNumber(c.n, c.minDigits), c.text);
  }
}

TEST(NumberText, ReadsHitLimitBoxText) {
  struct Case {
    const char* text;
    bool number;
    long long value;
  };
  const Case cases[] = {
      {"1,000", true, 1000},   {"250,000", true, 250000}, {" 5 ", true, 5},
      {"1,0,0,0", true, 1000}, {"1000,", false, 0},       {"", false, 0},
      {"12a", false, 0},       {",", false, 0},           {"-3", true, -3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    long long v = 0;
    EXPECT_EQ(ParseHitLimitText(c.text, &v), c.number);
    if (c.number) {
      EXPECT_EQ(v, c.value);
    }
  }
}

TEST(NumberText, WholeSizeTextPicksLargestUnit) {
  struct Case {
    uint64_t bytes;
    const char* text;
  };
  const Case cases[] = {
      {0, "0B"},           {1023, "1023B"},          {1024, "1KB"},
      {16 * 1024, "16KB"}, {1024 * 1024, "1MB"},     {2ull << 20, "2MB"},
      {1ull << 30, "1GB"}, {1024ull * 1024 * 1024 * 1024, "1TB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(WholeSizeText(c.bytes), c.text);
  }
}

}  // namespace
}  // namespace filvex
