// The scan of a search run: passes, drive restriction, recycle folders, hit
// limit, damaged lines, stop requests; and the fast scan against the plain
// line-by-line search of reference_scan.h on randomized lists and queries.

#include <gtest/gtest.h>

#include <random>

#include "search/scan.h"
#include "searchlist/list_files.h"
#include "tests/core/reference_scan.h"

namespace filvex {
namespace {

std::string Joined(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\r\n";
  return s;
}

struct ListText {
  std::vector<std::string> folders, folderInfo, files, fileInfo;

  SearchList build() const {
    SearchList l;
    ParseFolderLines(Joined(folders), l.FolderList);
    ParseInfoLines(Joined(folderInfo), l.FolderInfoList);
    ParseFileLines(Joined(files), l.FileList);
    ParseInfoLines(Joined(fileInfo), l.FileInfoList);
    return l;
  }
  // Appends a folder with a plain information line.
  void folder(const std::string& path, const std::string& attr = "10") {
    folders.push_back(path);
    folderInfo.push_back(path.size() == 2 ? std::string(kRootInfoLine)
                                          : "2020/01/01 00:002020/02/02 00:00" + attr);
  }
  void file(size_t folderNo, const std::string& name, uint32_t sizeKB = 1,
            const std::string& attr = "20", const std::string& date = "2020/02/02 00:00") {
    files.push_back(std::to_string(folderNo) + "=" + name);
    fileInfo.push_back("2020/01/01 00:00" + date + attr + std::to_string(sizeKB));
  }
};

struct ScanRun {
  HitList hits;
  ScanResult result;
};

ScanRun Scan(const SearchList& l, const SearchQuery& q) {
  ScanRun r;
  r.result = ScanSearchList(l, q, r.hits);
  return r;
}

std::vector<std::string> Paths(const HitList& hits) {
  std::vector<std::string> v;
  for (const auto& h : hits) v.push_back(h.Path.str());
  return v;
}

SearchQuery Query(std::string_view typed) {
  SearchQuery q;
  SetQueryText(q, typed);
  return q;
}

// C: with Data and Data\Sub, D: with Work; a file in each.
ListText TwoDrives() {
  ListText t;
  t.folder("C:");
  t.folder("C:\\Data");
  t.folder("C:\\Data\\Sub");
  t.folder("D:");
  t.folder("D:\\Work");
  t.file(0, "boot.txt");
  t.file(1, "a.txt");
  t.file(2, "b.txt");
  t.file(3, "d.txt");
  t.file(4, "w.txt");
  return t;
}

TEST(Scan, HitRecordsCarryTheEntryValues) {
  ListText t;
  t.folder("C:");
  t.folder("C:\\Data", "15");
  t.file(1, "Report.TXT", 1234, "21", "2021/03/04 05:06");
  SearchQuery q = Query("report");
  q.attrS = true;
  q.dateKind = DateKind::LastWrite;
  ScanRun r = Scan(t.build(), q);
  ASSERT_EQ(r.hits.size(), 1u);
  const HitRecord& h = r.hits[0];
  EXPECT_EQ(h.Path, "C:\\Data\\Report.TXT");
  EXPECT_EQ(h.Name, "Report.TXT");
  EXPECT_EQ(h.DateText, "2021/03/04 05:06");
  EXPECT_EQ(h.SizeKB, 1234u);
  EXPECT_EQ(h.AttrCode, 0x21);
  EXPECT_EQ(h.ListLine, 0);
  EXPECT_EQ(h.Kind, kKindFile);
  EXPECT_EQ(h.OverlayIndex, -1);
  EXPECT_FALSE(h.IconSet || h.Unknown);
  EXPECT_TRUE(h.TypeName.empty());

  q = Query("data");
  q.dateKind = DateKind::Created;
  r = Scan(t.build(), q);
  ASSERT_EQ(r.hits.size(), 1u);
  EXPECT_EQ(r.hits[0].Kind, kKindFolder);
  EXPECT_EQ(r.hits[0].DateText, "2020/01/01 00:00");
  EXPECT_EQ(r.hits[0].ListLine, 1);
  EXPECT_EQ(r.hits[0].AttrCode, 0x15);
}

// A record written in place over one that a view had already used (icon,
// type name, missing mark, a longer path) ends up as a fresh one would.
TEST(Scan, RecordsWrittenOverUsedOnesCarryNothingOld) {
  ListText t;
  t.folder("C:");
  t.folder("C:\\A", "15");
  t.file(1, "x.txt", 7, "21", "2021/03/04 05:06");
  SearchList list = t.build();
  HitRecord used;
  used.Path = "C:\\a much longer folder path than the new one\\old name.txt";
  used.Name = "old name.txt";
  used.DateText = "1999/12/31 23:59 and more";  // held cut to 16 characters
  used.TypeName = "Text Document";
  used.OverlayIndex = 1;
  used.IconSet = used.Unknown = true;
  EXPECT_EQ(used.DateText, "1999/12/31 23:59");
  for (bool lastWrite : {false, true}) {
    HitRecord file = used, folder = used;
    FillFileHitRecord(file, list, 0, lastWrite, 9);
    FillFolderHitRecord(folder, list, 1, lastWrite, 8);
    for (auto [got, want] : {std::pair{file, FileHitRecord(list, 0, lastWrite, 9)},
                             std::pair{folder, FolderHitRecord(list, 1, lastWrite, 8)}}) {
      EXPECT_EQ(got.Path, want.Path);
      EXPECT_EQ(got.Name, want.Name);
      EXPECT_EQ(got.DateText, want.DateText);
      EXPECT_EQ(got.TypeName, "");
      EXPECT_EQ(got.SizeKB, want.SizeKB);
      EXPECT_EQ(got.AttrCode, want.AttrCode);
      EXPECT_EQ(got.ListLine, want.ListLine);
      EXPECT_EQ(got.Kind, want.Kind);
      EXPECT_EQ(got.OverlayIndex, -1);
      EXPECT_EQ(got.ImageIndex, want.ImageIndex);
      EXPECT_FALSE(got.IconSet || got.Unknown);
    }
  }
  EXPECT_EQ(FileHitRecord(list, 0, /*lastWrite=*/true, 9).DateText, "2021/03/04 05:06");
}

TEST(Scan, HitLimitAndMaxstop) {
  ListText t;
  t.folder("C:");
  for (int k = 0; k < 150; ++k) t.file(0, "m" + std::to_string(k) + ".txt");
  t.file(0, "other.dat");
  struct Case {
    int limit, matching;
    bool maxstop;
    size_t hits, total;
    bool within;
  } cases[] = {
      {100, 150, true, 100, 101, false},
      {100, 150, false, 100, 150, false},
      {150, 150, true, 150, 150, true},
  };
  SearchList l = t.build();
  for (const auto& c : cases) {
    SearchQuery q = Query(".txt");
    q.hitLimit = c.limit;
    q.maxstop = c.maxstop;
    ScanRun r = Scan(l, q);
    EXPECT_EQ(r.hits.size(), c.hits);
    EXPECT_EQ(r.result.TotalMatches, c.total);
    EXPECT_EQ(r.result.WithinLimit, c.within);
  }
}

TEST(Scan, MaxstopInTheFolderPassSkipsTheFilePass) {
  ListText t;
  t.folder("C:");
  t.folder("C:\\x1");
  t.folder("C:\\x2");
  t.file(1, "x3");
  SearchQuery q = Query("x");
  q.hitLimit = 1;
  ScanRun r = Scan(t.build(), q);
  EXPECT_EQ(Paths(r.hits), std::vector<std::string>{"C:\\x1"});
  EXPECT_EQ(r.result.TotalMatches, 2u);
}

TEST(Scan, DriveLettersRestrictTheScan) {
  struct Case {
    std::string drives;
    std::vector<std::string> paths;
  } cases[] = {
      {"d", {"D:\\d.txt", "D:\\Work\\w.txt"}},
      {"CD",
       {"C:\\boot.txt", "C:\\Data\\a.txt", "C:\\Data\\Sub\\b.txt", "D:\\d.txt", "D:\\Work\\w.txt"}},
      {"CX", {"C:\\boot.txt", "C:\\Data\\a.txt", "C:\\Data\\Sub\\b.txt"}},
      {"X", {}},
      {"",
       {"C:\\boot.txt", "C:\\Data\\a.txt", "C:\\Data\\Sub\\b.txt", "D:\\d.txt", "D:\\Work\\w.txt"}},
  };
  SearchList l = TwoDrives().build();
  for (const auto& c : cases) {
    SearchQuery q = Query(".txt");
    SetDriveLetters(q, c.drives);
    EXPECT_EQ(Paths(Scan(l, q).hits), c.paths) << c.drives;
  }
}

// A folder line that starts with a NUL (a damaged list) lies on no drive;
// its drive letter reads as 0, as an empty line's does, and the drive blocks
// count it into the block it lies in. A search restricted to that block's
// drive found it and its files, and a NUL among the typed letters made it a
// drive of its own; the plain search leaves it out of both.
TEST(Scan, LineOnNoDriveIsLeftOutOfEveryDriveRestriction) {
  SearchList l;
  ParseFolderLines(std::string_view("C:\\bx\n\0bx\n", 10), l.FolderList);
  ParseFileLines("0=bx.txt\n1=bx.dat\n", l.FileList);
  struct Case {
    std::string_view drives;
    size_t matches;
  } cases[] = {
      {std::string_view("C", 1), 2},
      {std::string_view("C\0", 2), 2},
      {std::string_view("\0", 1), 4},  // no letter typed: no restriction
      {std::string_view("", 0), 4},
  };
  for (const Case& c : cases) {
    SearchQuery q = Query("bx");
    SetDriveLetters(q, c.drives);
    const ScanRun r = Scan(l, q);
    const reference::Result want = reference::Scan(l, q);
    EXPECT_EQ(r.result.TotalMatches, c.matches) << c.drives.size();
    EXPECT_EQ(want.totalMatches, c.matches) << c.drives.size();
    EXPECT_EQ(r.hits.size(), want.hits.size()) << c.drives.size();
  }
}

// A drive restriction must not depend on the stored per-drive counts: an
// emptied folder line (as the cleaning leaves it) made the counts of a
// freshly counted list one short of the block, and the skip over C: landed
// inside D:'s block; counts from an older program or a hand edit did the
// same in larger steps. Split blocks (a hand-edited list) keep every entry.
TEST(Scan, DriveRestrictionFindsEveryEntryOfTheDriveWhateverTheLayout) {
  struct Case {
    const char* what;
    ListText list;
  };
  std::vector<Case> cases;
  {
    ListText t;  // C: with an emptied line, D: with four matching files
    t.folder("C:");
    t.folder("C:\\Old");
    t.folder("C:\\Data");
    t.folders[1] = "";
    t.folderInfo[1] = "";
    t.folder("D:");
    t.folder("D:\\Work");
    t.file(2, "c.txt");
    t.file(3, "d1.txt");
    t.file(4, "d2.txt");
    t.file(4, "d3.txt");
    t.file(4, "d4.txt");
    cases.push_back({"emptied folder line", t});
  }
  {
    ListText t;  // files of a removed C: folder ahead of D:'s files
    t.folder("C:");
    t.folder("C:\\Gone");
    t.folder("D:");
    t.folder("D:\\Work");
    t.file(1, "c1.txt");
    t.file(1, "c2.txt");
    t.folders[1] = "";
    t.folderInfo[1] = "";
    t.file(0, "c3.txt");
    t.file(2, "d1.txt");
    t.file(3, "d2.txt");
    t.file(3, "d3.txt");
    t.file(3, "d4.txt");
    cases.push_back({"files of a removed folder", t});
  }
  {
    ListText t;  // D:'s block split by a C: folder
    t.folder("D:");
    t.folder("D:\\A");
    t.folder("C:\\Stray");
    t.folder("D:\\B");
    t.file(1, "d1.txt");
    t.file(2, "c1.txt");
    t.file(3, "d2.txt");
    t.file(3, "d3.txt");
    t.file(0, "d4.txt");
    cases.push_back({"split block", t});
  }
  for (const Case& c : cases) {
    SearchList l = c.list.build();
    SearchQuery q = Query(".txt");
    SetDriveLetters(q, "D");
    q.folders = false;
    ScanRun r = Scan(l, q);
    std::vector<std::string> names;
    for (const auto& h : r.hits) names.push_back(h.Name.str());
    EXPECT_EQ(names, (std::vector<std::string>{"d1.txt", "d2.txt", "d3.txt", "d4.txt"})) << c.what;
  }
}

// The blocks are kept per list and found again after any change of the
// lines, including a folder line emptied in place.
TEST(Scan, DriveBlocksFollowChangesOfTheList) {
  SearchList l = TwoDrives().build();
  auto first = l.driveBlocks();
  EXPECT_EQ(first, l.driveBlocks()) << "kept while nothing changes";
  ASSERT_EQ(first->folders.size(), 2u);
  EXPECT_EQ(first->folders[1].letter, 'D');
  EXPECT_EQ(first->folders[1].begin, 3u);
  SearchQuery q = Query(".txt");
  SetDriveLetters(q, "D");
  q.folders = false;
  EXPECT_EQ(Scan(l, q).hits.size(), 2u);

  l.FolderList.setEmpty(4);  // D:\Work removed: its file goes
  EXPECT_EQ(Paths(Scan(l, q).hits), std::vector<std::string>{"D:\\d.txt"});
  l.FileList.eraseLines({0, 1});  // two C: entries deleted: D: moves up
  l.FileInfoList.eraseLines({0, 1});
  EXPECT_EQ(Paths(Scan(l, q).hits), std::vector<std::string>{"D:\\d.txt"});
  SearchList moved = std::move(l);
  EXPECT_EQ(Paths(Scan(moved, q).hits), std::vector<std::string>{"D:\\d.txt"});
  l = TwoDrives().build();  // the moved-from list refilled
  EXPECT_EQ(Scan(l, q).hits.size(), 2u);
}

TEST(Scan, RecycleFoldersAreLeftOutUnlessAskedFor) {
  ListText t;
  t.folder("C:");
  t.folder("C:\\Recycled");
  t.folder("C:\\RecycledData");
  t.folder("C:\\Data");
  t.folder("C:\\Data\\Recycled");
  t.folder("C:\\recycled");  // the comparison is case-sensitive
  for (size_t k = 1; k < 6; ++k) t.file(k, "f.txt");
  SearchList l = t.build();
  SearchQuery q = Query("f.txt");
  EXPECT_EQ(Paths(Scan(l, q).hits),
            (std::vector<std::string>{"C:\\Data\\f.txt", "C:\\Data\\Recycled\\f.txt",
                                      "C:\\recycled\\f.txt"}));
  q.recy = true;
  EXPECT_EQ(Scan(l, q).hits.size(), 5u);
  q = Query("recycled");
  EXPECT_EQ(Paths(Scan(l, q).hits),
            (std::vector<std::string>{"C:\\Data\\Recycled", "C:\\recycled"}));
}

TEST(Scan, FoldersFilesAndDriveRoots) {
  SearchList l = TwoDrives().build();
  SearchQuery q = Query("a");
  q.folders = false;
  EXPECT_EQ(Paths(Scan(l, q).hits), std::vector<std::string>{"C:\\Data\\a.txt"});
  q.folders = true;
  q.files = true;
  EXPECT_EQ(Paths(Scan(l, q).hits), (std::vector<std::string>{"C:\\Data", "C:\\Data\\a.txt"}));
  // A drive root has no name: never a hit, in any mode.
  for (SearchMode mode : {SearchMode::NameSearch, SearchMode::AttributeSearch,
                          SearchMode::DateSearch, SearchMode::SizeSearch}) {
    SearchQuery all = Query(":");
    all.mode = mode;
    all.files = false;
    all.attrS = all.attrH = all.attrR = true;
    for (const auto& h : Scan(l, all).hits) EXPECT_GT(h.Path.size(), 2u) << int(mode);
  }
}

TEST(Scan, EmptyQueryFindsNothingInEveryMode) {
  SearchList l = TwoDrives().build();
  for (SearchMode mode : {SearchMode::NameSearch, SearchMode::AttributeSearch,
                          SearchMode::DateSearch, SearchMode::SizeSearch}) {
    SearchQuery q;
    q.mode = mode;
    ScanRun r = Scan(l, q);
    EXPECT_TRUE(r.hits.empty());
    EXPECT_EQ(r.result.TotalMatches, 0u);
  }
  EXPECT_TRUE(Scan(SearchList{}, Query("a")).hits.empty());
}

// A damaged FileList line names no entry: it is passed over and the lines
// after it are still searched (it used to end the file pass).
TEST(Scan, BrokenFileLineIsPassedOver) {
  ListText t = TwoDrives();
  t.files.insert(t.files.begin() + 1,
                 {"no equals sign", "x=a.txt", "=a.txt", "99=a.txt", "012=a.txt"});
  t.fileInfo.insert(t.fileInfo.begin() + 1, 5, "2020/01/01 00:002020/01/01 00:00201");
  SearchQuery q = Query(".txt");
  q.folders = false;
  ScanRun r = Scan(t.build(), q);
  EXPECT_EQ(Paths(r.hits),
            (std::vector<std::string>{"C:\\boot.txt", "C:\\Data\\a.txt", "C:\\Data\\Sub\\b.txt",
                                      "D:\\d.txt", "D:\\Work\\w.txt"}));
  EXPECT_EQ(r.hits[1].ListLine, 6);
}

// A date text that cannot be read is outside the date range; the scan goes on
// (it used to end at that entry).
TEST(Scan, UnreadableDateDoesNotEndTheScan) {
  ListText t = TwoDrives();
  t.fileInfo[1] = "2020/01/01 00:002020/02/31 25:0020";  // a.txt
  t.fileInfo[2] = "garbage";                             // b.txt
  SearchQuery q = Query(".txt");
  q.folders = false;
  q.dateOn = true;
  q.dateFrom = {2000, 1, 1, 0, 0, 0};
  q.dateTo = {2030, 1, 1, 0, 0, 0};
  ScanRun r = Scan(t.build(), q);
  EXPECT_EQ(Paths(r.hits),
            (std::vector<std::string>{"C:\\boot.txt", "D:\\d.txt", "D:\\Work\\w.txt"}));
}

TEST(Scan, RemovedFoldersAndTheirFilesAreSkipped) {
  ListText t = TwoDrives();
  t.folders[2] = "";  // C:\Data\Sub removed
  t.folderInfo[2] = "";
  SearchQuery q = Query("b.txt");
  EXPECT_TRUE(Scan(t.build(), q).hits.empty());
}

TEST(Scan, StopFlagEndsTheScan) {
  SearchList l = TwoDrives().build();
  for (bool head : {false, true}) {
    SearchQuery q = Query("t");
    q.head = head;
    StopFlag stop{1};
    HitList hits;
    ScanResult r = ScanSearchList(l, q, hits, &stop);
    EXPECT_TRUE(r.Stopped);
    EXPECT_TRUE(hits.empty());
  }
}

// The memory search runs in blocks between looks at the stop flag; a name
// lying across or right at a block's edge is still found.
TEST(Scan, MemorySearchFindsNamesAtBlockEdges) {
  for (size_t at : {65534u, 65535u, 65536u, 65537u, 131072u}) {
    for (const char* query : {"z", "q", "zq"}) {
      ListText t;
      t.folder("C:");
      t.file(0, std::string(at - 1, 'b'));  // fills the name buffer up to `at`
      t.file(0, "zq");
      SearchQuery q = Query(query);
      ScanRun r = Scan(t.build(), q);
      ASSERT_EQ(r.hits.size(), 1u) << at << " " << query;
      EXPECT_EQ(r.hits[0].Name, "zq");
    }
  }
}

// ---- differential test -----------------------------------------------------

class RandomList {
 public:
  explicit RandomList(uint32_t seed) : rng_(seed) {}

  size_t pick(size_t n) { return static_cast<size_t>(rng_() % n); }
  bool chance(int percent) { return pick(100) < static_cast<size_t>(percent); }

  std::string token() {
    static const char* kTokens[] = {
        "a",
        "A",
        "b",
        "re",
        "Read",
        "txt",
        ".txt",
        "doc",
        "x",
        "\x95\x5C" /*表*/,
        "\x83\x5C" /*ソ*/,
        "\x83\x61",
        "\x82\x60" /*Ａ*/,
        "\x82\x81" /*ａ*/,
        "\xB1",
        "Recycled",
        " ",
        "=",
        "e",
        "\\",
        "ab",
        "\x83\x9F" /*Α*/,
        "\x8E\x96",
        "5C",
    };
    return kTokens[pick(std::size(kTokens))];
  }
  std::string name() {
    std::string n;
    size_t k = 1 + pick(4);
    for (size_t i = 0; i < k; ++i) n += token();
    if (chance(3)) n += "\x95";  // a lead byte cut off at the end of the name
    return n;
  }
  std::string date() {
    if (chance(3)) return "1500/01/01 00:00";  // a date outside the packed range
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d", 2018 + int(pick(6)),
                  1 + int(pick(12)), 1 + int(pick(31)), int(pick(24)), int(pick(60)));
    return buf;
  }
  std::string info(bool file) {
    static const char* kHex = "0123456789ABCDEF";
    std::string attr = {kHex[pick(4)], kHex[pick(8)]};
    std::string size = file ? std::to_string(pick(6)) : "";
    switch (pick(30)) {
      case 0:
        return "";
      case 1:
        return "short";
      case 2:
        return date() + "2019/13/01 00:00" + attr + size;  // bad month
      case 3:
        return date() + date() + "1a" + size;  // lower-case hex
      case 4:
        return date() + date() + "ZZ" + size;
      case 5:
        return date() + date() + attr + "007";
      case 6:
        return date() + date() + attr + "12x";
      case 7:
        return date() + date() + attr.substr(0, 1);
      case 8:
        return std::string(kRootInfoLine);
      default:
        return date() + date() + attr + size;
    }
  }

  ListText list(size_t folderTarget, size_t fileTarget) {
    ListText t;
    std::string drives = "CDeX";
    std::vector<std::string> paths;
    for (char d : drives) {
      if (chance(25)) continue;
      std::string root = std::string(1, d) + ":";
      paths.assign(1, root);
      t.folders.push_back(root);
      t.folderInfo.push_back(chance(90) ? std::string(kRootInfoLine) : info(false));
      size_t n = folderTarget / drives.size() + pick(3);
      for (size_t k = 0; k < n; ++k) {
        std::string path;
        switch (pick(20)) {
          case 0:
            path = "";  // removed folder
            break;
          case 1:
            path = root + "\\Recycled" + (chance(50) ? "\\" + name() : "");
            break;
          case 2:
            path = root + "\\RecycledData";
            break;
          case 3:
            path = root + "\\" + name() + "\\";  // no name after the last separator
            break;
          case 4:
            path = "CD"[pick(2)] + std::string(":\\") + name();  // out of its drive's block
            break;
          case 5:  // damaged: starts with a NUL, on no drive
            path = std::string(1, '\0') + ":\\" + name();
            break;
          default:
            path = paths[pick(paths.size())] + "\\" + name();
            paths.push_back(path);
        }
        t.folders.push_back(path);
        t.folderInfo.push_back(info(false));
      }
    }
    if (chance(10) && !t.folderInfo.empty()) t.folderInfo.pop_back();  // info list too short
    size_t nf = t.folders.size();
    for (size_t k = 0; k < fileTarget && nf; ++k) {
      std::string line;
      switch (pick(25)) {
        case 0:
          line = "no equals";
          break;
        case 1:
          line = "=" + name();
          break;
        case 2:
          line = std::to_string(nf + pick(3)) + "=" + name();  // beyond the folder list
          break;
        case 3:
          line = "0" + std::to_string(pick(nf)) + "=" + name();
          break;
        case 4:
          line = "x=" + name();
          break;
        default:
          line =
              std::to_string(std::min(nf - 1, k * nf / (fileTarget + 1) + pick(2))) + "=" + name();
      }
      t.files.push_back(line);
      t.fileInfo.push_back(info(true));
    }
    return t;
  }

  // Empties some folder lines in place, as the cleaning and removals do.
  void emptySomeFolders(ListText& t) {
    if (t.folders.empty() || chance(30)) return;
    for (size_t k = pick(4); k > 0; --k) {
      size_t at = pick(t.folders.size());
      t.folders[at].clear();
      if (at < t.folderInfo.size()) t.folderInfo[at].clear();
    }
  }

  LocalDateTime when() {
    return {2018 + int(pick(7)), 1 + int(pick(12)), 1 + int(pick(31)),
            int(pick(24)),       int(pick(60)),     int(pick(60))};
  }

  SearchQuery query() {
    SearchQuery q;
    std::string text;
    size_t parts = 1 + pick(3);
    for (size_t k = 0; k < parts; ++k) {
      if (k || chance(10)) text += "/";
      if (!chance(10)) text += token();
      if (chance(30)) text += token();
    }
    if (chance(5)) text += "/";
    if (chance(3)) text.clear();
    SetQueryText(q, text);
    q.mode = static_cast<SearchMode>(chance(70) ? 0 : pick(4));
    q.folders = chance(70);
    q.files = !q.folders || chance(70);
    q.andMode = chance(30);
    q.head = !q.andMode && chance(25);
    q.attrS = chance(20), q.attrH = chance(30), q.attrSH = chance(15), q.attrR = chance(70);
    q.dateOn = chance(30);
    q.dateKind = static_cast<DateKind>(pick(2));
    q.dateFrom = when();
    q.dateTo = when();
    if (chance(20)) q.dateFrom = {1, 1, 1, 0, 0, 0};
    if (chance(20)) q.dateTo = {9999, 12, 31, 23, 59, 59};
    q.sizeOn = chance(30);
    q.sizeRelation = static_cast<SizeRelation>(pick(3));
    q.sizeLowKB = static_cast<uint32_t>(pick(5));
    q.sizeHighKB = static_cast<uint32_t>(pick(6));
    q.hitLimit = chance(30) ? static_cast<int>(pick(6)) : 1000;
    q.maxstop = chance(50);
    q.recy = chance(30);
    if (chance(30)) {
      std::string d;
      for (char c : std::string("CDEXcz"))
        if (chance(40)) d += c;
      SetDriveLetters(q, d);
    }
    return q;
  }

 private:
  std::mt19937 rng_;
};

std::string Describe(const SearchQuery& q) {
  std::string s = "query '" + q.text + "' mode " + std::to_string(int(q.mode)) + " drives '" +
                  q.drives + "' and " + std::to_string(q.andMode) + " head " +
                  std::to_string(q.head) + " limit " + std::to_string(q.hitLimit) + " maxstop " +
                  std::to_string(q.maxstop) + " date " + std::to_string(q.dateOn) + " size " +
                  std::to_string(q.sizeOn);
  return s;
}

// Returns the number of hits, so that a run can show that it compared more
// than empty results.
size_t ExpectSameAsReference(const SearchList& l, const SearchQuery& q, const std::string& where) {
  reference::Result want = reference::Scan(l, q, 3, 4);
  HitList hits;
  ScanResult got = ScanSearchList(l, q, hits, nullptr, HitIcons{3, 4});
  EXPECT_EQ(got.TotalMatches, want.totalMatches) << where << " " << Describe(q);
  EXPECT_EQ(got.WithinLimit, want.withinLimit) << where << " " << Describe(q);
  EXPECT_EQ(hits.size(), want.hits.size()) << where << " " << Describe(q);
  if (hits.size() != want.hits.size()) return 0;
  for (size_t k = 0; k < hits.size(); ++k) {
    const HitRecord &a = hits[k], &b = want.hits[k];
    bool same = a.Path == b.Path && a.Name == b.Name && a.DateText == b.DateText &&
                a.SizeKB == b.SizeKB && a.AttrCode == b.AttrCode && a.ListLine == b.ListLine &&
                a.Kind == b.Kind && a.ImageIndex == b.ImageIndex && a.OverlayIndex == -1;
    EXPECT_TRUE(same) << where << " " << Describe(q) << " hit " << k << ": " << a.Path << " vs "
                      << b.Path;
    if (!same) return 0;
  }
  return hits.size();
}

TEST(ScanDifferential, SmallRandomListsMatchThePlainSearch) {
  int runs[2][2] = {};  // [name search][with hits]
  for (uint32_t seed = 1; seed <= 150; ++seed) {
    RandomList gen(seed);
    ListText t = gen.list(10 + gen.pick(40), gen.pick(80));
    gen.emptySomeFolders(t);
    SearchList l = t.build();
    for (int k = 0; k < 40; ++k) {
      SearchQuery q = gen.query();
      size_t n = ExpectSameAsReference(l, q, "seed " + std::to_string(seed));
      ++runs[q.mode == SearchMode::NameSearch][n > 0];
      if (::testing::Test::HasFailure()) return;
    }
  }
  // The generator must give plenty of runs with hits, in name search and
  // in the other modes, or the comparison proves little.
  EXPECT_GT(runs[1][1], 1000);
  EXPECT_GT(runs[0][1], 300);
}

// Lists whose name buffers span several blocks of the memory search, whose
// hits lie near and far apart and whose columns are long enough for the
// tests that take many values at once; searched again after deletions,
// which leave the bytes of deleted names in the buffer between the others.
TEST(ScanDifferential, LargeListsMatchThePlainSearch) {
  for (uint32_t seed = 500; seed < 503; ++seed) {
    RandomList gen(seed);
    ListText t = gen.list(4000, 20000);
    gen.emptySomeFolders(t);
    SearchList l = t.build();
    for (int round = 0; round < 2; ++round) {
      if (round == 1) {
        std::vector<size_t> gone;
        for (size_t j = 0; j < l.FileList.size(); ++j)
          if (gen.chance(j < l.FileList.size() / 2 ? 60 : 5)) gone.push_back(j);
        l.FileList.eraseLines(gone);
        l.FileInfoList.eraseLines(gone);
      }
      for (int k = 0; k < 40; ++k) {
        SearchQuery q = gen.query();
        q.hitLimit = 100000;
        ExpectSameAsReference(l, q, "large seed " + std::to_string(seed));
        if (::testing::Test::HasFailure()) return;
      }
    }
  }
}

// Hit limits around the number of records the scan writes at a time: the
// kept records, their order and the counts stay those of the plain search.
TEST(ScanDifferential, HitLimitsAroundRecordBatches) {
  ListText t;
  t.folder("C:");
  t.folder("C:\\Many");
  for (int k = 0; k < 300; ++k)
    t.file(1, "hit" + std::to_string(1000 + k) + (k % 3 ? ".txt" : ".doc"));
  for (int k = 0; k < 40; ++k) t.file(1, "other" + std::to_string(k));
  // Folder hits are kept a batch at a time too, before the file hits.
  for (int k = 0; k < 70; ++k) t.folder("C:\\Many\\hitdir" + std::to_string(k));
  SearchList l = t.build();
  for (int limit : {0, 1, 63, 64, 65, 69, 70, 71, 129, 299, 300, 301, 369, 370, 371, 100000}) {
    for (bool maxstop : {true, false}) {
      for (const char* text : {"hit", "doc"}) {
        SearchQuery q = Query(text);
        q.hitLimit = limit;
        q.maxstop = maxstop;
        ExpectSameAsReference(l, q, "limit " + std::to_string(limit));
      }
    }
  }
}

// The modes that compare no names gather candidate lines 16 column values
// at a time: hits at about one line in `stride`, lists whose length is no
// multiple of 16, an information list shorter than the file list (its
// missing lines are left to the full test) and hit limits around the
// record batches.
TEST(ScanDifferential, ColumnModesAroundValueGroups) {
  struct Case {
    size_t files, stride, infoShortBy;
  };
  const Case cases[] = {{1, 1, 0},    {15, 1, 0},   {16, 1, 0},   {17, 1, 3},
                        {200, 1, 0},  {1000, 3, 5}, {257, 16, 0}, {300, 17, 1},
                        {700, 2, 20}, {999, 5, 0},  {64, 5, 64}};
  size_t compared = 0;
  for (const Case& c : cases) {
    ListText t;
    t.folder("C:");
    t.folder("C:\\Dir");
    for (size_t k = 0; k < c.files; ++k) {
      const bool hit = (k * 37 + k / 7) % c.stride == 0;  // about one line in `stride`
      t.file(1, "f" + std::to_string(k), hit ? 2500 : 7, hit ? "22" : "20",
             hit ? "2010/06/01 12:00" : "2020/02/02 00:00");
    }
    t.fileInfo.resize(c.files - std::min(c.files, c.infoShortBy));
    SearchList l = t.build();
    SearchQuery attr = Query("x"), size = Query("x"), date = Query("x");
    attr.mode = SearchMode::AttributeSearch;
    attr.attrR = false;
    attr.attrH = true;
    size.mode = SearchMode::SizeSearch;
    size.sizeOn = true;
    size.sizeRelation = SizeRelation::Range;
    size.sizeLowKB = 2048;
    size.sizeHighKB = 3072;
    date.mode = SearchMode::DateSearch;
    date.dateOn = true;
    date.dateKind = DateKind::LastWrite;
    date.dateFrom = {2010, 1, 1, 0, 0, 0};
    date.dateTo = {2010, 12, 31, 23, 59, 59};
    for (SearchQuery q : {attr, size, date}) {
      for (int limit : {0, 1, 63, 64, 65, 100000}) {
        q.hitLimit = limit;
        q.maxstop = false;
        compared += ExpectSameAsReference(l, q,
                                          "files " + std::to_string(c.files) + " stride " +
                                              std::to_string(c.stride) + " short " +
                                              std::to_string(c.infoShortBy));
        if (::testing::Test::HasFailure()) return;
      }
    }
  }
  EXPECT_GT(compared, 5000u);  // the cases must give hits to compare
}

// A drive-restricted search gives exactly the hits of the same search
// without the restriction, filtered to those drives, when no hit limit is
// reached: on lists with emptied folder lines, split drive blocks and
// broken file lines, and after entries were deleted and folders emptied.
TEST(ScanDifferential, DriveRestrictionIsTheUnrestrictedSearchFiltered) {
  auto letterOf = [](std::string_view path) {
    char c = path.empty() ? 0 : path[0];
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
  };
  size_t compared = 0;
  for (uint32_t seed = 900; seed < 1000; ++seed) {
    RandomList gen(seed);
    ListText t = gen.list(10 + gen.pick(60), gen.pick(200));
    gen.emptySomeFolders(t);
    SearchList l = t.build();
    for (int round = 0; round < 2; ++round) {
      if (round == 1) {  // removals after the first searches
        std::vector<size_t> gone;
        for (size_t j = 0; j < l.FileList.size(); ++j)
          if (gen.chance(20)) gone.push_back(j);
        l.FileList.eraseLines(gone);
        l.FileInfoList.eraseLines(gone);
        if (l.FolderList.size()) l.FolderList.setEmpty(gen.pick(l.FolderList.size()));
      }
      for (int k = 0; k < 20; ++k) {
        SearchQuery q = gen.query();
        q.hitLimit = 100000;
        std::string drives;
        for (char c : std::string("CDEX"))
          if (gen.chance(40)) drives += c;
        if (drives.empty()) drives = "D";
        SetDriveLetters(q, "");
        HitList all;
        ScanSearchList(l, q, all);
        HitList want;
        for (const HitRecord& h : all)
          if (drives.find(letterOf(h.Path)) != std::string::npos) want.push_back(h);
        SetDriveLetters(q, drives);
        HitList got;
        ScanSearchList(l, q, got);
        ASSERT_EQ(Paths(got), Paths(want))
            << "seed " << seed << " drives " << drives << " " << Describe(q);
        for (size_t n = 0; n < got.size(); ++n) ASSERT_EQ(got[n].ListLine, want[n].ListLine);
        compared += got.size();
      }
    }
  }
  EXPECT_GT(compared, 1000u);
}

}  // namespace
}  // namespace filvex
