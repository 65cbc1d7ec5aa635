// The match rules of one entry: fragments, case folding, double-byte
// positions, the date, size and attribute filters, and the search modes.

#include <gtest/gtest.h>

#include "search/match.h"

namespace filvex {
namespace {

SearchQuery NameQuery(std::string_view typed) {
  SearchQuery q;
  SetQueryText(q, typed);
  return q;
}

// Name part of a name search with default boxes on a plain file (attr 0).
bool NameHit(const SearchQuery& q, std::string_view name) {
  Matcher m(q);
  return MatchEntry(m, Lowered(name), 0, 0x10, "2020/01/01 00:002020/01/01 00:00");
}

TEST(MatchName, FragmentsCaseAndPositions) {
  const std::string kHyou = "\x95\x5C";            // 表
  const std::string kSo = "\x83\x5C";              // ソ
  const std::string kSmallYa = "\x83\x61";         // katakana whose trail byte is "a"
  const std::string kFullRead = "\x82\x71\x82\x64\x82\x60\x82\x63";  // ＲＥＡＤ
  struct Case {
    const char* what;
    std::string query;
    bool andMode, head;
    std::string name;
    bool hit;
  } cases[] = {
      {"case folded", "readme", false, false, "README.TXT", true},
      {"mixed case", "README", false, false, "ReadMe.md", true},
      {"no full/half-width folding", "read", false, false, kFullRead + ".txt", false},
      {"full-width folds to full-width", Lowered(kFullRead), false, false, kFullRead, true},
      {"no wildcard", "*.txt", false, false, "a.txt", false},
      {"star is a character", "*.txt", false, false, "*.txt", true},
      {"any: first", "txt/doc", false, false, "a.txt", true},
      {"any: second", "txt/doc", false, false, "a.doc", true},
      {"any: none", "txt/doc", false, false, "a.xls", false},
      {"all: one only", "txt/doc", true, false, "a.txt", false},
      {"all: both", "txt/doc", true, false, "doc.txt", true},
      {"leading slash, all", "/txt", true, false, "a.txt", false},
      {"leading slash, any", "/txt", false, false, "a.txt", true},
      {"double slash, all", "a//txt", true, false, "a.txt", false},
      {"trailing slash", "txt/", true, false, "a.txt", true},
      {"only a slash", "/", false, false, "a/b", false},
      {"head at start", "re", false, true, "readme.txt", true},
      {"head elsewhere", "re", false, true, "core.txt", false},
      {"head, any of two", "co/re", false, true, "core.txt", true},
      {"empty name", "a", false, false, "", false},
      {"first occurrence is a trail byte", "a", false, false, kSmallYa + "a", false},
      {"single-byte first occurrence", "a", false, false, "a" + kSmallYa, true},
      {"backslash byte inside 表", "\\", false, false, kHyou, false},
      {"double-byte fragment", kSo, false, false, "x" + kSo + kHyou, true},
      {"lead byte fragment on a trail", "\x95", false, false, "\x83\x95\x95\x40", false},
      {"lead byte fragment on a lead", "\x95", false, false, "\x95\x40", true},
      {"fragment longer than the name", "abcdef", false, false, "abc", false},
  };
  for (const auto& c : cases) {
    SearchQuery q = NameQuery(c.query);
    q.andMode = c.andMode;
    q.head = c.head;
    EXPECT_EQ(NameHit(q, c.name), c.hit) << c.what;
  }
}

TEST(MatchName, SplitKeepsEmptyFragmentsButNoTrailingOne) {
  struct Case {
    std::string text;
    std::vector<std::string_view> parts;
  } cases[] = {
      {"txt", {"txt"}},     {"a/b", {"a", "b"}},        {"a/b/", {"a", "b"}},
      {"/a", {"", "a"}},    {"a//b", {"a", "", "b"}},   {"/", {""}},
      {"//", {"", ""}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitFragments(c.text, true), c.parts) << c.text;
  EXPECT_EQ(SplitFragments("a/b", false), std::vector<std::string_view>{"a/b"});
}

TEST(MatchModes, TagsSettleTheMode) {
  using M = SearchMode;
  struct Case {
    M before;
    int tag;
    M after;
  } cases[] = {
      {M::SizeSearch, kTagSizeControls, M::SizeSearch},       // ComboBox3 keeps the mode
      {M::SizeSearch, 0, M::NameSearch},                      // NumberEdit2 returns to names
      {M::DateSearch, 0, M::NameSearch},                      // CheckBox9
      {M::DateSearch, kTagDateControls, M::DateSearch},
      {M::NameSearch, kTagDateControls, M::NameSearch},
      {M::AttributeSearch, kTagAttributeBoxes, M::AttributeSearch},
      {M::AttributeSearch, kTagSizeControls, M::NameSearch},
      {M::AttributeSearch, kTagAttributeMenu, M::AttributeSearch},
      {M::DateSearch, kTagDateMenu, M::DateSearch},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SettleMode(c.before, c.tag), c.after) << static_cast<int>(c.before) << " " << c.tag;
  EXPECT_EQ(ModeOfMenuTag(kTagSizeMenu), M::SizeSearch);
  EXPECT_EQ(ModeBackgroundColor(M::NameSearch), 0xFFFFFFu);
  EXPECT_EQ(ModeBackgroundColor(M::AttributeSearch), 0xFFE6FFu);  // 255, 230, 255
}

TEST(MatchFilters, SizeBoundsInKB) {
  struct Case {
    SizeRelation rel;
    uint32_t low, high, size;
    bool pass;
  } cases[] = {
      {SizeRelation::Larger, 1, 0, 0, false},  // a folder or a 0-byte file
      {SizeRelation::Larger, 1, 0, 1, true},   // a 1-byte file is 1 KB
      {SizeRelation::Smaller, 1, 0, 0, true},
      {SizeRelation::Smaller, 1, 0, 2, false},
      {SizeRelation::Range, 10, 5, 7, false},  // bounds crossed: nothing
      {SizeRelation::Range, 5, 10, 5, true},
      {SizeRelation::Range, 5, 10, 10, true},
      {SizeRelation::Range, 5, 10, 11, false},
      {SizeRelation::Larger, 1048576, 0, 0xFFFFFFFFu, true},  // unsigned compare
  };
  for (const auto& c : cases) {
    SearchQuery q = NameQuery("x");
    q.sizeOn = true;
    q.sizeRelation = c.rel;
    q.sizeLowKB = c.low;
    q.sizeHighKB = c.high;
    Matcher m(q);
    EXPECT_EQ(MatchEntry(m, "x", c.size, 0, ""), c.pass) << c.low << " " << c.size;
  }
}

TEST(MatchFilters, AttributeBoxes) {
  constexpr uint8_t S = 1, H = 2, R = 4, A = 0x10;
  struct Case {
    SearchMode mode;
    bool s, h, sh, r;
    uint8_t attr;
    bool pass;
  } cases[] = {
      {SearchMode::NameSearch, false, false, false, true, A, true},
      {SearchMode::NameSearch, false, false, false, true, H, false},
      {SearchMode::NameSearch, false, false, false, true, H | R, true},
      {SearchMode::NameSearch, false, false, false, true, R, true},
      {SearchMode::NameSearch, false, false, true, false, R, false},
      {SearchMode::NameSearch, false, false, true, false, S | H, true},
      {SearchMode::NameSearch, false, false, true, false, S, false},
      {SearchMode::NameSearch, true, false, false, false, S, true},
      {SearchMode::AttributeSearch, false, true, false, false, H, true},
      {SearchMode::AttributeSearch, false, true, false, false, A, false},  // strict
      {SearchMode::AttributeSearch, false, true, false, false, R, false},
      {SearchMode::DateSearch, false, false, false, false, H, true},  // no attribute filter
  };
  for (const auto& c : cases) {
    SearchQuery q = NameQuery("anything");
    q.mode = c.mode;
    q.attrS = c.s, q.attrH = c.h, q.attrSH = c.sh, q.attrR = c.r;
    Matcher m(q);
    // In the modes that compare no names, the query text does not matter.
    EXPECT_EQ(MatchEntry(m, c.mode == SearchMode::NameSearch ? "anything" : "zz", 0, c.attr, ""),
              c.pass)
        << static_cast<int>(c.mode) << " attr " << int{c.attr};
  }
}

// The date filter compares full date-times: a bound's seconds keep its own
// minute out (from) or in (to); both bounds are inclusive; a text that is not
// a date is outside every range. Each case runs on the text and, where the
// text packs, on the packed form the search list keeps.
TEST(MatchFilters, DateRangeWithSecondsAndUnreadableTexts) {
  struct Case {
    LocalDateTime from, to;
    std::string text;
    bool pass;
  } cases[] = {
      {{2024, 5, 1, 16, 31, 57}, {2024, 5, 10, 16, 31, 57}, "2024/05/01 16:31", false},
      {{2024, 5, 1, 16, 31, 57}, {2024, 5, 10, 16, 31, 57}, "2024/05/01 16:32", true},
      {{2024, 5, 1, 16, 31, 57}, {2024, 5, 10, 16, 31, 57}, "2024/05/10 16:31", true},
      {{2024, 5, 1, 16, 31, 57}, {2024, 5, 10, 16, 31, 57}, "2024/05/10 16:32", false},
      {{2024, 5, 1, 0, 0, 0}, {2024, 5, 1, 0, 0, 0}, "2024/05/01 00:00", true},
      {{2024, 5, 1, 0, 0, 1}, {2024, 5, 2, 0, 0, 0}, "2024/05/01 00:01", true},
      {{1, 1, 1, 0, 0, 0}, {9999, 12, 31, 23, 59, 59}, "1500/01/01 00:00", true},  // not packable
      {{1, 1, 1, 0, 0, 0}, {9999, 12, 31, 23, 59, 59}, "1900/01/01 00:00", true},
      {{1, 1, 1, 0, 0, 0}, {1599, 12, 31, 0, 0, 0}, "1900/01/01 00:00", false},
      {{6000, 1, 1, 0, 0, 0}, {9999, 1, 1, 0, 0, 0}, "2024/05/01 00:00", false},
      {{1, 1, 1, 0, 0, 0}, {9999, 12, 31, 23, 59, 59}, "yyyy/mm/dd hh:nn", false},
      {{1, 1, 1, 0, 0, 0}, {9999, 12, 31, 23, 59, 59}, "2024/13/01 00:00", false},
      {{1, 1, 1, 0, 0, 0}, {9999, 12, 31, 23, 59, 59}, "2024/05/01 24:00", false},
      {{1, 1, 1, 0, 0, 0}, {9999, 12, 31, 23, 59, 59}, "2024-05-01 00:00", false},
      {{1, 1, 1, 0, 0, 0}, {9999, 12, 31, 23, 59, 59}, "2024/05/01", false},
      {{1, 1, 1, 0, 0, 0}, {9999, 12, 31, 23, 59, 59}, "", false},
  };
  for (const auto& c : cases) {
    SearchQuery q = NameQuery("x");
    q.dateOn = true;
    q.dateFrom = c.from;
    q.dateTo = c.to;
    Matcher m(q);
    EXPECT_EQ(m.datePasses(c.text), c.pass) << c.text;
    PackedDate d;
    if (PackDateText(c.text, &d)) {
      ASSERT_TRUE(m.packedBoundsUsable());
      EXPECT_EQ(m.packedDatePasses(d), c.pass) << "packed " << c.text;
    }
  }
}

TEST(MatchFilters, FiltersApplyOnlyInTheirModes) {
  SearchQuery q = NameQuery("x");
  q.dateOn = true;
  q.dateFrom = {2030, 1, 1, 0, 0, 0};
  q.dateTo = {2031, 1, 1, 0, 0, 0};
  q.sizeOn = true;
  q.sizeRelation = SizeRelation::Larger;
  q.sizeLowKB = 100;
  struct Case {
    SearchMode mode;
    bool pass;
  } cases[] = {
      {SearchMode::NameSearch, false},       // date and size both apply
      {SearchMode::AttributeSearch, false},  // plain file: strict attribute filter
      {SearchMode::DateSearch, false},       // date applies
      {SearchMode::SizeSearch, false},       // size applies
  };
  for (const auto& c : cases) {
    q.mode = c.mode;
    Matcher m(q);
    EXPECT_EQ(MatchEntry(m, "x", 10, 0x10, "2020/01/01 00:00"), c.pass) << int(c.mode);
  }
  q.mode = SearchMode::DateSearch;
  Matcher date(q);
  EXPECT_TRUE(MatchEntry(date, "other", 10, 0x10, "2030/06/01 00:00"));
  q.mode = SearchMode::SizeSearch;
  Matcher size(q);
  EXPECT_TRUE(MatchEntry(size, "other", 100, 0x10, "not a date"));
}

}  // namespace
}  // namespace filvex
