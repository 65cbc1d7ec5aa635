// Row texts of the result list, keyboard find, hit-count captions, and the
// orders of the six columns.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "results/row_text.h"
#include "results/sort.h"
#include "searchlist/mbcs.h"

namespace filvex {
namespace {

HitRecord Row(int32_t kind, std::string path, std::string name = {}, uint32_t sizeKB = 0,
              uint8_t attr = 0) {
  HitRecord r;
  r.Kind = kind;
  r.Path = std::move(path);
  r.Name = name.empty() ? std::string(LastComponent(r.Path)) : std::move(name);
  r.SizeKB = sizeKB;
  r.AttrCode = attr;
  return r;
}

TEST(RowText, FormatSizeUnitsAndRounding) {
  struct Case {
    uint64_t bytes;
    const char* text;
  } cases[] = {
      {0, "0B"},
      {1023, "1023B"},
      {1024, "1KB"},
      {1535, "1KB"},
      {1536, "2KB"},  // half away from zero
      {1023 * 1024, "1023KB"},
      {1024 * 1024, "1MB"},
      {1024 * 1024 + 1, "1MB"},
      {1536ull * 1024, "1.5MB"},
      {1024ull * 1024 * 1024, "1GB"},
      {2415919104ull, "2.25GB"},
      {1000190000000ull, "931.5GB"},
      {1000204886016ull, "931.51GB"},
      {uint64_t{0xFFFFFFFFu} * 1024, "4TB"},
      {1024ull * 1024 + 5243, "1.01MB"},  // 1.0050001 MB
      {1024ull * 1024 + 5242, "1MB"},     // 1.0049992 MB
  };
  for (const auto& c : cases) EXPECT_EQ(FormatSize(c.bytes), c.text) << c.bytes;
}

TEST(RowText, ColumnsOfARow) {
  RowOptions kb{/*sizeKB=*/true, /*checkExistence=*/false};
  RowOptions units{/*sizeKB=*/false, /*checkExistence=*/false};
  struct Case {
    HitRecord row;
    RowOptions opt;
    std::string caption, size, attr, path;
  } cases[] = {
      {Row(kKindFile, "C:\\Data\\a.txt", "a.txt", 0), units, "a.txt", "0B", "", "C:\\Data"},
      {Row(kKindFile, "C:\\Data\\a.txt", "a.txt", 0), kb, "a.txt", "0KB", "", "C:\\Data"},
      {Row(kKindFile, "C:\\a.txt", "a.txt", 1), units, "a.txt", "1KB", "", "C:"},
      {Row(kKindFile, "C:\\a", "a", 1536), units, "a", "1.5MB", "", "C:"},
      {Row(kKindFile, "C:\\a", "a", 1234, 0x16), kb, "a", "1,234KB", "HRA", "C:"},
      {Row(kKindFolder, "C:\\Data", "Data", 0, 0x23), kb, "Data", "", "SH", "C:"},
      {Row(kKindDrive, "C:\\", "System (C:)", 976762584), kb, "System (C:)", "931.51GB", "",
       "C:\\"},
      {Row(kKindDrive, "E:\\", "(E:)", 0), kb, "(E:)", "", "", "E:\\"},
      {Row(kKindFile, "C:\\\x95\x5C\\x", "x", 1, 0x08), kb, "x", "1KB", "N", "C:\\\x95\x5C"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ColumnText(c.row, kColumnName, c.opt), c.caption) << c.row.Path;
    EXPECT_EQ(ColumnText(c.row, kColumnSize, c.opt), c.size) << c.row.Path;
    EXPECT_EQ(ColumnText(c.row, kColumnAttr, c.opt), c.attr) << c.row.Path;
    EXPECT_EQ(ColumnText(c.row, kColumnPath, c.opt), c.path) << c.row.Path;
  }
}

TEST(RowText, AttributeLettersAndStates) {
  struct Case {
    uint8_t code;
    const char* letters;
  } cases[] = {{0x16, "HRA"}, {0x23, "SH"}, {0x20, ""}, {0x10, "A"}, {0x08, "N"},
               {0x00, ""},    {0x30, "A"},  {0x1F, "SHRAN"}};
  for (const auto& c : cases) EXPECT_EQ(AttributeLetters(c.code), c.letters) << int{c.code};

  HitRecord r = Row(kKindFile, "C:\\a", "a", 1, 0x06);
  EXPECT_TRUE(ShowsCut(r));
  EXPECT_EQ(AttrColumnText(r, /*checkExistence=*/false, /*exists=*/false), "HR");
  EXPECT_EQ(AttrColumnText(r, /*checkExistence=*/true, /*exists=*/false), kUnknownMark);
  EXPECT_EQ(AttrColumnText(r, /*checkExistence=*/true, /*exists=*/true), "HR");
  r.Unknown = true;
  EXPECT_EQ(AttrColumnText(r, /*checkExistence=*/false, /*exists=*/true), kUnknownMark);
  EXPECT_FALSE(ShowsCut(Row(kKindFile, "C:\\b", "b", 1, 0x05)));
}

TEST(RowText, FindRowByExactName) {
  HitList hits = {Row(kKindFile, "C:\\readme.txt"), Row(kKindFile, "C:\\a.txt"),
                  Row(kKindFile, "C:\\readme.txt"), Row(kKindFile, "C:\\b.txt")};
  struct Case {
    std::string text;
    int start;
    bool wrap;
    int row;
  } cases[] = {
      {"rea", 0, true, -1},       {"readme.txt", 0, false, 0}, {"readme.txt", 1, false, 2},
      {"README.TXT", 0, true, -1}, {"a.txt", 2, false, -1},     {"a.txt", 2, true, 1},
      {"b.txt", 9, true, 3},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FindRowByName(hits, c.text, c.start, c.wrap), c.row) << c.text << " " << c.start;
}

TEST(RowText, RowPathsComeFromTheShownTexts) {
  // 0x95 0x5C is one double-byte character whose trail byte is a "\".
  const std::string kanjiFolder = "C:\\\x95\x5C";
  struct Case {
    HitRecord row;
    std::string joined, open;
  } cases[] = {
      {Row(kKindFile, "C:\\Data\\a.txt"), "C:\\Data\\a.txt", "C:\\Data\\a.txt"},
      {Row(kKindFile, "C:\\a.txt"), "C:\\a.txt", "C:\\a.txt"},
      {Row(kKindFolder, "C:\\Data\\Sub"), "C:\\Data\\Sub", "C:\\Data\\Sub"},
      {Row(kKindDrive, "C:\\", "Local (C:)"), "C:\\\\Local (C:)", "C:\\"},
      {Row(kKindFile, kanjiFolder + "\\b.txt"), kanjiFolder + "\\b.txt", kanjiFolder + "\\b.txt"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RowJoinedPath(c.row), c.joined) << c.row.Path;
    EXPECT_EQ(RowOpenPath(c.row), c.open) << c.row.Path;
  }
}

TEST(RowText, HitCountCaptions) {
  struct Case {
    size_t hits;
    bool within;
    size_t total;
    std::string caption, status;
  } cases[] = {
      {100, false, 101, "名前  [ 100 < 101 ]", "100"},
      {100, false, 150, "名前  [ 100 < 150 ]", "100"},
      {100, true, 100, "名前  [ 100 ]", "100"},
      {1234, true, 1234, "名前  [ 1,234 ]", "1234"},
      {500, false, 12345, "名前  [ 500 < 12,345 ]", "500"},
      {0, true, 0, "名前  [ 0 ]", "0"},
      {0, false, 0, "名前  [ 0 ]", "0"},
  };
  for (const auto& c : cases) {
    HitCountTexts t = HitCountText(c.hits, c.within, c.total);
    EXPECT_EQ(t.caption, c.caption);
    EXPECT_EQ(t.status, c.status);
  }
  EXPECT_EQ(GroupedNumber(1234567), "1,234,567");
  EXPECT_EQ(GroupedNumber(0), "0");
}

std::vector<std::string> Names(const HitList& hits) {
  std::vector<std::string> v;
  for (const auto& h : hits) v.push_back(h.Name.str());
  return v;
}

TEST(Sort, ColumnOrdersWithFoldersFirst) {
  HitList base = {Row(kKindFile, "C:\\b.txt", "b.txt", 10), Row(kKindFolder, "C:\\z", "z"),
                  Row(kKindFile, "C:\\Data\\a.txt", "a.txt", 10),
                  Row(kKindFile, "C:\\Data\\y", "y", 10), Row(kKindFile, "C:\\x", "x", 10),
                  Row(kKindFile, "C:\\big", "big", 0xFFFFFFF0u)};
  struct Case {
    int column;
    bool ascending;
    std::vector<std::string> names;
  } cases[] = {
      {kColumnName, true, {"z", "a.txt", "b.txt", "big", "x", "y"}},
      {kColumnName, false, {"y", "x", "big", "b.txt", "a.txt", "z"}},
      // Equal sizes fall back to the name; sizes past 2^31 KB still order as numbers.
      {kColumnSize, true, {"z", "a.txt", "b.txt", "x", "y", "big"}},
      {kColumnSize, false, {"big", "y", "x", "b.txt", "a.txt", "z"}},
  };
  for (const auto& c : cases) {
    HitList hits = base;
    SortHitList(hits, c.column, c.ascending);
    EXPECT_EQ(Names(hits), c.names) << c.column << " " << c.ascending;
  }
}

// Rows that compare equal (one name in many folders, and for the size
// column one size too) keep the order they had, in both directions: the
// search's hits stay in list order among themselves.
TEST(Sort, RowsThatCompareEqualKeepTheirOrder) {
  HitList base;
  for (int k = 0; k < 40; ++k) {
    base.push_back(Row(kKindFile, "C:\\d" + std::to_string(k) + "\\readme.txt", "readme.txt", 1));
    base.push_back(Row(kKindFile, "C:\\d" + std::to_string(k) + "\\a.txt", "a.txt", 1));
  }
  auto readmes = [](const HitList& hits) {
    std::vector<std::string> paths;
    for (const HitRecord& h : hits)
      if (h.Name == "readme.txt") paths.push_back(h.Path.str());
    return paths;
  };
  const std::vector<std::string> inListOrder = readmes(base);
  for (int column : {kColumnName, kColumnSize, kColumnDate, kColumnAttr, kColumnType}) {
    for (bool ascending : {true, false}) {
      HitList hits = base;
      SortHitList(hits, column, ascending);
      EXPECT_EQ(readmes(hits), inListOrder) << column << " " << ascending;
    }
  }
}

TEST(Sort, PathOrderKeepsFoldersFirstOnlyWithinADrive) {
  HitList hits = {Row(kKindFile, "C:\\Data\\f1"), Row(kKindFile, "C:\\f2"),
                  Row(kKindFolder, "D:\\Data"), Row(kKindFolder, "C:\\Data\\Sub"),
                  Row(kKindFile, "D:\\a\\f3")};
  SortHitList(hits, kColumnPath, true);
  // Folders first among C: rows; the D: folder (in D:\) still sorts by folder text.
  std::vector<std::string> got;
  for (const auto& h : hits) got.push_back(h.Path.str());
  EXPECT_EQ(got, (std::vector<std::string>{"C:\\Data\\Sub", "C:\\f2", "C:\\Data\\f1", "D:\\Data",
                                           "D:\\a\\f3"}));
  EXPECT_LT(CompareByPath(hits[1], hits[2], true), 0);  // C:\ before C:\Data
  EXPECT_EQ(CompareByPath(Row(kKindFile, "C:\\d\\1"), Row(kKindFile, "C:\\d\\2"), true), 0);
}

TEST(Sort, TextOrderIsUnsignedBytesUpToAZero) {
  EXPECT_LT(TextOrder("a", "b"), 0);
  EXPECT_LT(TextOrder("B", "a"), 0);  // case-sensitive
  EXPECT_LT(TextOrder("ab", "abc"), 0);
  EXPECT_LT(TextOrder("z", "\x95\x5C"), 0);  // bytes above 0x7F sort after ASCII
  EXPECT_EQ(TextOrder(std::string("ab\0x", 4), std::string("ab\0y", 4)), 0);
}

// The sort agrees with the plain comparators on random rows, for every
// column and direction, and returns the same rows.
TEST(Sort, AgreesWithTheComparators) {
  std::mt19937 rng(11);
  auto pick = [&](size_t n) { return static_cast<size_t>(rng() % n); };
  const char* parts[] = {"a", "B", "b", "\x95\x5C", "x", "Data", "", "1"};
  HitList rows;
  for (int k = 0; k < 600; ++k) {
    std::string folder = std::string(1, "CDcd"[pick(4)]) + ":";
    for (size_t d = pick(3); d > 0; --d) folder += std::string("\\") + parts[pick(8)] + "x";
    std::string name = std::string(parts[pick(8)]) + parts[pick(8)] + "n";
    HitRecord r = Row(static_cast<int32_t>(pick(3)), folder + "\\" + name, name,
                      static_cast<uint32_t>(pick(4)), static_cast<uint8_t>(pick(64)));
    r.DateText = pick(5) ? "2020/01/0" + std::to_string(pick(3)) + " 00:00" : "";
    r.TypeName = parts[pick(8)];
    rows.push_back(r);
  }
  // Mixed-case drive letters make the path order intransitive: the sort must
  // still return every row; the order is checked on rows of upper-case drives.
  HitList upper;
  for (const auto& r : rows)
    if (r.Path[0] == 'C' || r.Path[0] == 'D') upper.push_back(r);
  auto key = [](const HitRecord& h) { return h.Path + "|" + h.Name + "|" + h.TypeName; };
  auto sameRows = [&](const HitList& x, const HitList& y) {
    std::vector<std::string> a, b;
    for (const auto& h : x) a.push_back(key(h));
    for (const auto& h : y) b.push_back(key(h));
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    return a == b;
  };
  for (int column = 0; column < kColumnCount; ++column) {
    for (bool ascending : {true, false}) {
      HitList all = rows;
      SortHitList(all, column, ascending);
      EXPECT_TRUE(sameRows(all, rows)) << column;
      const HitList& source = column == kColumnPath ? upper : rows;
      HitList hits = source;
      SortHitList(hits, column, ascending);
      for (size_t k = 1; k < hits.size(); ++k)
        ASSERT_LE(CompareHits(column, hits[k - 1], hits[k], ascending), 0)
            << column << " " << ascending << " at " << k;
    }
  }
  // A room kept between sorts (as the search worker keeps it), after lists
  // longer and shorter than the one it sorts and after other columns, gives
  // the order of a sort in fresh room.
  HitSortRoom room;
  auto keys = [&](const HitList& x) {
    std::vector<std::string> out;
    for (const auto& h : x) out.push_back(key(h));
    return out;
  };
  for (size_t size : {600, 37, 600, 1, 250}) {
    for (int column = 0; column < kColumnCount; ++column) {
      for (bool ascending : {true, false}) {
        HitList fresh(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(size));
        HitList kept = fresh;
        SortHitList(fresh, column, ascending);
        SortHitList(kept, column, ascending, room);
        ASSERT_EQ(keys(kept), keys(fresh)) << size << " " << column << " " << ascending;
      }
    }
  }
}

}  // namespace
}  // namespace filvex
