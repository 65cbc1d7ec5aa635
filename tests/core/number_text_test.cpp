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

TEST(NumberText, SizeBoundsShowWholeUnits) {
  struct Case {
    uint64_t low;
    int lowUnit;
    bool range;
    uint64_t high;
    int highUnit;
    const char* text;
  };
  const Case cases[] = {
      {1, 0, false, 1, 0, "1KB"},
      {16, 0, false, 1, 0, "16KB"},
      {1023, 0, false, 1, 0, "1023KB"},
      {1024, 0, false, 1, 0, "1MB"},  // 1024 of a unit is 1 of the next
      {2, 1, false, 1, 0, "2MB"},
      {1024, 1, false, 1, 0, "1GB"},
      {1000, 1, false, 1, 0, "1000MB"},
      {1, 0, true, 1, 0, "1KB ～ 1KB"},
      {5, 1, true, 1024, 0, "5MB ～ 1MB"},
      {1024, 1, true, 1024, 1, "1GB ～ 1GB"},
      {3, 0, false, 1024, 1, "3KB"},  // the second bound only for a range
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(SizeBoundsText(c.low, c.lowUnit, c.range, c.high, c.highUnit), c.text);
  }
}

TEST(NumberText, TypedHitLimitClampsOrKeepsPrevious) {
  // What the hit-limit box does with a typed text: a number is clamped to
  // 100-100,000, anything else keeps the limit it had.
  struct Case {
    const char* text;
    int before;
    const char* shown;
  };
  const Case cases[] = {
      {"250000", 1000, "100,000"},
      {"250,000", 1000, "100,000"},
      {"5", 1000, "100"},
      {"1000,", 2500, "2,500"},
      {"2,500", 1000, "2,500"},
      {" 3000 ", 1000, "3,000"},
      {"-7", 500, "100"},
      {"99999999999999999999999", 500, "100,000"},
      {"", 700, "700"},
      {"1.5", 700, "700"},
      {"100000", 100, "100,000"},
      {"12345", 100, "12,345"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(HitLimitText(TypedHitLimit(c.text, c.before)), c.shown);
  }
}

}  // namespace
}  // namespace filvex
