// The maintenance of the search list: cleaning, removal of single entries by
// path, removal of the entries behind result rows, the count tally, the
// line numbers of result rows after deletions, and the unknown-list check.
#include "searchlist/list_maintenance.h"

#include <gtest/gtest.h>

#include <set>

#include "search/scan.h"
#include "searchlist/list_files.h"

namespace filvex {
namespace {

// Disks as a set of folders and files; drives listed in `absent` do not
// exist. Counts the file probes, to show which entries were probed.
class FakeDisks : public EntryProbe {
 public:
  std::set<std::string> folders, files, absent;
  size_t fileProbes = 0;

  bool IsDirectory(const std::string& p) override { return folders.count(p) > 0; }
  bool IsFile(const std::string& p) override {
    ++fileProbes;
    return files.count(p) > 0;
  }
  bool DriveAbsent(std::string_view d) override { return absent.count(std::string(d)) > 0; }
  bool PathExists(const std::string& p) override { return IsDirectory(p) || files.count(p); }
};

constexpr const char* kFolderInfo = "2020/01/01 00:002020/02/02 00:0010";

// C: root, C:\Data, C:\Data\Sub, C:\Gone, E: root, E:\Photos; files in each.
struct Sample {
  SearchList list;
  FakeDisks disks;

  Sample() {
    const char* folders[] = {"C:", "C:\\Data", "C:\\Data\\Sub", "C:\\Gone", "E:", "E:\\Photos"};
    for (const char* f : folders) {
      list.FolderList.append(f);
      list.FolderInfoList.appendText(std::string(f).size() == 2 ? std::string(kRootInfoLine)
                                                                : kFolderInfo);
      disks.folders.insert(f);
    }
    struct File {
      uint32_t folder;
      const char* name;
    } files[] = {{0, "boot.ini"}, {1, "a.txt"},  {1, "b.txt"}, {2, "s.txt"}, {3, "g1.txt"},
                 {3, "g2.txt"},   {3, "g3.txt"}, {4, "e.txt"}, {5, "p.jpg"}};
    for (const File& f : files) {
      list.FileList.append(f.folder, f.name);
      list.FileInfoList.appendText("2020/01/01 00:002020/02/02 00:00201");
      disks.files.insert(JoinPath(list.FolderList.path(f.folder), f.name));
    }
  }
  std::vector<std::string> folderLines() const {
    std::vector<std::string> v;
    for (size_t i = 0; i < list.FolderList.size(); ++i) v.emplace_back(list.FolderList.path(i));
    return v;
  }
  std::vector<std::string> filePaths() const {
    std::vector<std::string> v;
    for (size_t j = 0; j < list.FileList.size(); ++j) {
      std::string p = FileEntryPath(list, j);
      v.push_back(p.empty() ? list.FileList.text(j) : p);
    }
    return v;
  }
};

TEST(Cleaning, RemovesWhatVanishedOnDisk) {
  struct Case {
    const char* what;
    std::vector<std::string> goneFolders, goneFiles, absentDrives;
    bool skipAbsent;
    size_t removed;
    std::vector<std::string> folders, files;
  } cases[] = {
      {"nothing vanished",
       {},
       {},
       {},
       true,
       0,
       {"C:", "C:\\Data", "C:\\Data\\Sub", "C:\\Gone", "E:", "E:\\Photos"},
       {"C:\\boot.ini", "C:\\Data\\a.txt", "C:\\Data\\b.txt", "C:\\Data\\Sub\\s.txt",
        "C:\\Gone\\g1.txt", "C:\\Gone\\g2.txt", "C:\\Gone\\g3.txt", "E:\\e.txt",
        "E:\\Photos\\p.jpg"}},
      {"a folder deleted with its files",
       {"C:\\Gone"},
       {"C:\\Gone\\g1.txt", "C:\\Gone\\g2.txt", "C:\\Gone\\g3.txt"},
       {},
       true,
       4,
       {"C:", "C:\\Data", "C:\\Data\\Sub", "", "E:", "E:\\Photos"},
       {"C:\\boot.ini", "C:\\Data\\a.txt", "C:\\Data\\b.txt", "C:\\Data\\Sub\\s.txt", "E:\\e.txt",
        "E:\\Photos\\p.jpg"}},
      {"one file deleted",
       {},
       {"C:\\Data\\b.txt"},
       {},
       true,
       1,
       {"C:", "C:\\Data", "C:\\Data\\Sub", "C:\\Gone", "E:", "E:\\Photos"},
       {"C:\\boot.ini", "C:\\Data\\a.txt", "C:\\Data\\Sub\\s.txt", "C:\\Gone\\g1.txt",
        "C:\\Gone\\g2.txt", "C:\\Gone\\g3.txt", "E:\\e.txt", "E:\\Photos\\p.jpg"}},
      {"unplugged drive kept",
       {"E:", "E:\\Photos"},
       {"E:\\e.txt", "E:\\Photos\\p.jpg"},
       {"E:"},
       true,
       0,
       {"C:", "C:\\Data", "C:\\Data\\Sub", "C:\\Gone", "E:", "E:\\Photos"},
       {"C:\\boot.ini", "C:\\Data\\a.txt", "C:\\Data\\b.txt", "C:\\Data\\Sub\\s.txt",
        "C:\\Gone\\g1.txt", "C:\\Gone\\g2.txt", "C:\\Gone\\g3.txt", "E:\\e.txt",
        "E:\\Photos\\p.jpg"}},
      {"unplugged drive emptied",
       {"E:", "E:\\Photos"},
       {"E:\\e.txt", "E:\\Photos\\p.jpg"},
       {"E:"},
       false,
       4,
       {"C:", "C:\\Data", "C:\\Data\\Sub", "C:\\Gone", "", ""},
       {"C:\\boot.ini", "C:\\Data\\a.txt", "C:\\Data\\b.txt", "C:\\Data\\Sub\\s.txt",
        "C:\\Gone\\g1.txt", "C:\\Gone\\g2.txt", "C:\\Gone\\g3.txt"}},
  };
  for (const Case& c : cases) {
    Sample s;
    for (const auto& f : c.goneFolders) s.disks.folders.erase(f);
    for (const auto& f : c.goneFiles) s.disks.files.erase(f);
    for (const auto& d : c.absentDrives) s.disks.absent.insert(d);
    CleanResult r = CleanSearchList(s.list, s.disks, c.skipAbsent, nullptr);
    EXPECT_EQ(r.removed, c.removed) << c.what;
    EXPECT_FALSE(r.stopped);
    EXPECT_EQ(s.folderLines(), c.folders) << c.what;
    EXPECT_EQ(s.filePaths(), c.files) << c.what;
    for (size_t i = 0; i < s.list.FolderList.size(); ++i)
      EXPECT_EQ(s.list.FolderInfoList.text(i).empty(), s.list.FolderList.path(i).empty()) << i;
    EXPECT_EQ(s.list.FileInfoList.size(), s.list.FileList.size());
    // A second cleaning finds nothing more to remove.
    EXPECT_EQ(CleanSearchList(s.list, s.disks, c.skipAbsent, nullptr).removed, 0u) << c.what;
  }
}

TEST(Cleaning, BrokenAndOrphanedLinesGo) {
  Sample s;
  s.list.FileList.appendText("no equals sign");
  s.list.FileList.appendText("=x.txt");
  s.list.FileList.appendText("99=x.txt");
  for (int k = 0; k < 3; ++k) s.list.FileInfoList.appendText("");
  s.list.FolderList.setEmpty(2);  // C:\Data\Sub removed earlier; s.txt stays on disk
  s.list.FolderInfoList.setEmpty(2);
  CleanResult r = CleanSearchList(s.list, s.disks, true, nullptr);
  EXPECT_EQ(r.removed, 4u);
  EXPECT_EQ(s.list.FileList.size(), 8u);
  EXPECT_EQ(r.erasedFileLines, (std::vector<size_t>{3, 9, 10, 11}));
}

// The files of a vanished folder are taken as missing after the first one:
// not probed one by one.
TEST(Cleaning, FilesOfAVanishedFolderAreNotProbedOneByOne) {
  Sample s;
  s.disks.folders.erase("C:\\Gone");
  for (const char* f : {"C:\\Gone\\g1.txt", "C:\\Gone\\g2.txt", "C:\\Gone\\g3.txt"})
    s.disks.files.erase(f);
  // The folder pass empties C:\Gone first; then its files have an empty
  // folder and need no probe at all; every other file is probed once.
  CleanSearchList(s.list, s.disks, false, nullptr);
  EXPECT_EQ(s.disks.fileProbes, 6u);

  // A folder that vanishes after the folder pass: the first of its files
  // found missing marks it, and the other two follow without a probe.
  Sample t;
  for (const char* f : {"C:\\Gone\\g1.txt", "C:\\Gone\\g2.txt", "C:\\Gone\\g3.txt"})
    t.disks.files.erase(f);
  CleanResult r = CleanSearchList(t.list, t.disks, false, [&](size_t examined) {
    if (examined == 6) t.disks.folders.erase("C:\\Gone");  // the folder pass ends
    return true;
  });
  EXPECT_EQ(r.removed, 3u);
  EXPECT_EQ(t.disks.fileProbes, 7u);
  EXPECT_EQ(t.folderLines()[3], "C:\\Gone");
}

TEST(Cleaning, StopKeepsWhatWasRemovedAndLeavesAWholeList) {
  Sample s;
  s.disks.files.erase("E:\\Photos\\p.jpg");  // the last line: the first examined
  s.disks.files.erase("C:\\boot.ini");       // the first line: examined last
  // 6 folder lines, then the file lines from the last: stop after 2 of them.
  CleanResult r = CleanSearchList(s.list, s.disks, true, [](size_t n) { return n <= 8; });
  EXPECT_TRUE(r.stopped);
  EXPECT_EQ(r.removed, 1u);
  EXPECT_EQ(s.filePaths().back(), "E:\\e.txt");
  EXPECT_EQ(s.filePaths().front(), "C:\\boot.ini");
  EXPECT_EQ(s.list.FileInfoList.size(), s.list.FileList.size());
}

TEST(RemoveListEntry, RemovesExactlyTheNamedEntry) {
  struct Case {
    const char* path;
    bool isFile, found;
    size_t removed;
    std::vector<std::string> folders, files;
  } cases[] = {
      {"C:\\boot.ini",
       true,
       true,
       1,
       {"C:", "C:\\Data", "C:\\Data\\Sub", "C:\\Gone", "E:", "E:\\Photos"},
       {"C:\\Data\\a.txt", "C:\\Data\\b.txt", "C:\\Data\\Sub\\s.txt", "C:\\Gone\\g1.txt",
        "C:\\Gone\\g2.txt", "C:\\Gone\\g3.txt", "E:\\e.txt", "E:\\Photos\\p.jpg"}},
      {"C:\\Data\\b.txt",
       true,
       true,
       1,
       {"C:", "C:\\Data", "C:\\Data\\Sub", "C:\\Gone", "E:", "E:\\Photos"},
       {"C:\\boot.ini", "C:\\Data\\a.txt", "C:\\Data\\Sub\\s.txt", "C:\\Gone\\g1.txt",
        "C:\\Gone\\g2.txt", "C:\\Gone\\g3.txt", "E:\\e.txt", "E:\\Photos\\p.jpg"}},
      {"C:\\Data\\zzz.txt",
       true,
       false,
       0,
       {"C:", "C:\\Data", "C:\\Data\\Sub", "C:\\Gone", "E:", "E:\\Photos"},
       {"C:\\boot.ini", "C:\\Data\\a.txt", "C:\\Data\\b.txt", "C:\\Data\\Sub\\s.txt",
        "C:\\Gone\\g1.txt", "C:\\Gone\\g2.txt", "C:\\Gone\\g3.txt", "E:\\e.txt",
        "E:\\Photos\\p.jpg"}},
      {"c:\\data",
       false,
       true,
       3,  // the folder, letter case aside; Sub stays
       {"C:", "", "C:\\Data\\Sub", "C:\\Gone", "E:", "E:\\Photos"},
       {"C:\\boot.ini", "C:\\Data\\Sub\\s.txt", "C:\\Gone\\g1.txt", "C:\\Gone\\g2.txt",
        "C:\\Gone\\g3.txt", "E:\\e.txt", "E:\\Photos\\p.jpg"}},
      {"E:\\",
       false,
       true,
       2,  // a root stands for its line "E:"
       {"C:", "C:\\Data", "C:\\Data\\Sub", "C:\\Gone", "", "E:\\Photos"},
       {"C:\\boot.ini", "C:\\Data\\a.txt", "C:\\Data\\b.txt", "C:\\Data\\Sub\\s.txt",
        "C:\\Gone\\g1.txt", "C:\\Gone\\g2.txt", "C:\\Gone\\g3.txt", "E:\\Photos\\p.jpg"}},
      {"D:\\Nowhere",
       false,
       false,
       0,
       {"C:", "C:\\Data", "C:\\Data\\Sub", "C:\\Gone", "E:", "E:\\Photos"},
       {"C:\\boot.ini", "C:\\Data\\a.txt", "C:\\Data\\b.txt", "C:\\Data\\Sub\\s.txt",
        "C:\\Gone\\g1.txt", "C:\\Gone\\g2.txt", "C:\\Gone\\g3.txt", "E:\\e.txt",
        "E:\\Photos\\p.jpg"}},
  };
  for (const Case& c : cases) {
    Sample s;
    RemoveOutcome r = RemoveListEntry(s.list, c.path, c.isFile);
    EXPECT_EQ(r.found, c.found) << c.path;
    EXPECT_EQ(r.removed, c.removed) << c.path;
    EXPECT_EQ(r.filesChanged, c.removed > (c.isFile ? 0u : 1u)) << c.path;
    EXPECT_EQ(r.foldersChanged, !c.isFile && c.found) << c.path;
    EXPECT_EQ(s.folderLines(), c.folders) << c.path;
    EXPECT_EQ(s.filePaths(), c.files) << c.path;
    EXPECT_EQ(s.list.FileInfoList.size(), s.list.FileList.size());
  }
}

// Broken lines met on the way are deleted, also when the path is not found.
TEST(RemoveListEntry, BrokenLinesMetOnTheWayGo) {
  Sample s;
  s.list.FileList.appendText("broken");
  s.list.FileInfoList.appendText("");
  RemoveOutcome r = RemoveListEntry(s.list, "C:\\Data\\zzz.txt", true);
  EXPECT_FALSE(r.found);
  EXPECT_EQ(r.removed, 1u);
  EXPECT_EQ(r.erasedFileLines, std::vector<size_t>{9});
  EXPECT_EQ(s.list.FileList.size(), 9u);
}

HitList Hits(const SearchList& l, std::initializer_list<std::pair<int32_t, size_t>> rows) {
  HitList h;
  for (auto [kind, line] : rows)
    h.push_back(kind == kKindFile ? FileHitRecord(l, line, false, 0)
                                  : FolderHitRecord(l, line, false, 0));
  return h;
}

TEST(RemoveEntriesOfRows, RemovesTheEntriesOfTheRows) {
  // Lines 12 and 300 of a long list: exactly those two go.
  SearchList big;
  big.FolderList.append("C:");
  big.FolderInfoList.appendRoot();
  for (int k = 0; k < 400; ++k) {
    big.FileList.append(0, "f" + std::to_string(k));
    big.FileInfoList.appendText("2020/01/01 00:002020/02/02 00:00201");
  }
  HitList hits = Hits(big, {{kKindFile, 300}, {kKindFile, 12}});
  SelectedRemoval r = RemoveEntriesOfRows(big, hits, {0, 1}, nullptr);
  EXPECT_EQ(r.filesRemoved, 2u);
  EXPECT_EQ(r.erasedFileLines, (std::vector<size_t>{12, 300}));
  ASSERT_EQ(big.FileList.size(), 398u);
  EXPECT_EQ(big.FileList.name(11), "f11");
  EXPECT_EQ(big.FileList.name(12), "f13");
  EXPECT_EQ(big.FileList.name(298), "f299");
  EXPECT_EQ(big.FileList.name(299), "f301");
  ASSERT_EQ(r.tally.size(), 1u);
  EXPECT_EQ(r.tally[0].letter, 'C');
  EXPECT_EQ(r.tally[0].count, 2u);

  // A folder row empties its lines; the number of folder lines stays.
  Sample s;
  hits = Hits(s.list, {{kKindFolder, 3}, {kKindFile, 7}});
  r = RemoveEntriesOfRows(s.list, hits, {0, 1}, nullptr);
  EXPECT_EQ(s.folderLines(),
            (std::vector<std::string>{"C:", "C:\\Data", "C:\\Data\\Sub", "", "E:", "E:\\Photos"}));
  EXPECT_EQ(s.list.FolderInfoList.text(3), "");
  EXPECT_EQ(s.filePaths().size(), 8u);
  EXPECT_EQ(r.tally.size(), 1u);
  EXPECT_EQ(r.tally[0].letter, 'E');
}

// Row line numbers that went stale (entries deleted before, without the
// rows being brought in line) never remove another entry: the row is found
// by its path, or removes nothing.
TEST(RemoveEntriesOfRows, StaleLineNumbersNeverRemoveAnotherEntry) {
  struct Case {
    const char* what;
    std::vector<std::string> removeFirst;  // by path, rows not shifted
    std::vector<std::string> files;
  } cases[] = {
      {"an earlier line deleted",
       {"C:\\boot.ini"},
       {"C:\\Data\\a.txt", "C:\\Data\\Sub\\s.txt", "C:\\Gone\\g1.txt", "C:\\Gone\\g2.txt",
        "C:\\Gone\\g3.txt", "E:\\e.txt", "E:\\Photos\\p.jpg"}},
      {"the row's own entry gone already",
       {"C:\\Data\\b.txt"},
       {"C:\\boot.ini", "C:\\Data\\a.txt", "C:\\Data\\Sub\\s.txt", "C:\\Gone\\g1.txt",
        "C:\\Gone\\g2.txt", "C:\\Gone\\g3.txt", "E:\\e.txt", "E:\\Photos\\p.jpg"}},
  };
  for (const Case& c : cases) {
    Sample s;
    HitList hits = Hits(s.list, {{kKindFile, 2}});  // C:\Data\b.txt
    for (const auto& p : c.removeFirst) RemoveListEntry(s.list, p, true);
    RemoveEntriesOfRows(s.list, hits, {0}, nullptr);
    EXPECT_EQ(s.filePaths(), c.files) << c.what;
  }
}

TEST(RemoveEntriesOfRows, StoppedRemovalChangesNothing) {
  Sample s;
  const std::vector<std::string> folders = s.folderLines(), files = s.filePaths();
  HitList hits = Hits(s.list, {{kKindFile, 1}, {kKindFolder, 1}, {kKindFile, 8}});
  SelectedRemoval r = RemoveEntriesOfRows(s.list, hits, {2, 1, 0}, [](size_t n) { return n < 3; });
  EXPECT_TRUE(r.stopped);
  EXPECT_EQ(s.folderLines(), folders);
  EXPECT_EQ(s.filePaths(), files);
  EXPECT_TRUE(r.tally.empty());
}

TEST(RemoveEntriesOfRows, RowsWithoutALineAreFoundByPathOrRemoveNothing) {
  Sample s;
  HitRecord folderView;  // a row whose line is unknown (-1)
  folderView.Path = "C:\\Data\\a.txt";
  folderView.Kind = kKindFile;
  HitRecord drive;
  drive.Path = "C:\\";
  drive.Kind = kKindDrive;
  HitList hits{folderView, drive};
  // The listed file is found by its path; the drive row names no entry.
  SelectedRemoval r = RemoveEntriesOfRows(s.list, hits, {0, 1}, nullptr);
  EXPECT_EQ(r.filesRemoved, 1u);
  EXPECT_EQ(s.filePaths().size(), 8u);
  EXPECT_EQ(s.folderLines()[0], "C:");
}

TEST(DriveCounts, SubtractRemovedCounts) {
  struct Case {
    const char* counts;
    DriveTally tally;
    const char* after;
  } cases[] = {
      {"C=10\r\nD=5\r\n", {{'D', 2}}, "C=10\r\nD=3\r\n"},
      {"C=10\r\n", {{'C', 10}}, "C=0\r\n"},
      // A count already lower than the tally (stale) stays at 0, never
      // negative; a letter without a count is added.
      {"C=1\r\n", {{'C', 3}, {'E', 2}}, "C=0\r\nE=0\r\n"},
  };
  for (const Case& c : cases) {
    DriveCounts counts;
    ParseDriveCounts(c.counts, counts);
    SubtractRemovedCounts(c.tally, counts);
    EXPECT_EQ(DriveCountsText(counts), c.after) << c.counts;
  }
}

TEST(ShiftHitLines, RowsFollowTheirEntries) {
  struct Case {
    std::vector<size_t> erased;
    std::vector<int32_t> before, after;
  } cases[] = {
      {{}, {0, 5, 9}, {0, 5, 9}},
      {{5}, {0, 5, 9}, {0, -1, 8}},
      {{0, 1, 7}, {2, 6, 8, 100}, {0, 4, 5, 97}},
  };
  for (const Case& c : cases) {
    HitList hits;
    for (int32_t line : c.before) {
      HitRecord h;
      h.Kind = kKindFile;
      h.ListLine = line;
      hits.push_back(h);
    }
    HitRecord folder;
    folder.Kind = kKindFolder;
    folder.ListLine = 6;
    hits.push_back(folder);
    ShiftHitLines(hits, c.erased);
    for (size_t k = 0; k < c.after.size(); ++k) EXPECT_EQ(hits[k].ListLine, c.after[k]) << k;
    EXPECT_EQ(hits.back().ListLine, 6) << "folder lines never move";
  }
}

// After deletions the shifted rows name their own entries again.
TEST(ShiftHitLines, ShiftedRowsNameTheirEntries) {
  Sample s;
  HitList hits;
  for (size_t j = 0; j < s.list.FileList.size(); ++j)
    hits.push_back(FileHitRecord(s.list, j, false, 0));
  RemoveOutcome r = RemoveListEntry(s.list, "C:\\Data", false);
  ShiftHitLines(hits, r.erasedFileLines);
  for (const HitRecord& h : hits) {
    if (h.ListLine < 0) {
      EXPECT_EQ(h.Path.view().rfind("C:\\Data\\", 0), 0u);
      continue;
    }
    EXPECT_EQ(FileEntryPath(s.list, static_cast<size_t>(h.ListLine)), h.Path);
  }
}

TEST(EraseRows, TakesOutExactlyTheRows) {
  struct Case {
    std::vector<size_t> rows;
    std::string left;
  } cases[] = {
      {{}, "abcde"}, {{4, 0}, "bcd"}, {{1, 1, 3}, "ace"}, {{0, 1, 2, 3, 4}, ""}, {{9}, "abcde"},
  };
  for (const Case& c : cases) {
    HitList hits;
    for (char n : std::string("abcde")) {
      HitRecord h;
      h.Path = std::string(1, n);
      hits.push_back(h);
    }
    EraseRows(hits, c.rows);
    std::string left;
    for (const auto& h : hits) left += h.Path;
    EXPECT_EQ(left, c.left);
  }
}

TEST(CheckUnknownEntries, MarksExactlyTheVanishedRows) {
  Sample s;
  HitList hits = Hits(s.list, {{kKindFile, 0}, {kKindFolder, 3}, {kKindFile, 8}});
  hits[0].Unknown = true;  // marked before, file back now: the mark stays
  s.disks.folders.erase("C:\\Gone");
  s.disks.files.erase("E:\\Photos\\p.jpg");
  std::vector<bool> gone = CheckUnknownEntries(hits, s.disks, nullptr);
  EXPECT_EQ(gone, (std::vector<bool>{false, true, true}));
  EXPECT_TRUE(hits[0].Unknown);
  EXPECT_TRUE(hits[1].Unknown && hits[2].Unknown);
  // Stopped after the first row: only that one is decided.
  for (auto& h : hits) h.Unknown = false;
  gone = CheckUnknownEntries(hits, s.disks, [](size_t n) { return n < 1; });
  EXPECT_EQ(gone.size(), 1u);
  EXPECT_FALSE(hits[1].Unknown);
}

// After the cleaning and removals, a drive-restricted search still finds
// every entry of its drive: what the unrestricted search finds there.
TEST(Cleaning, DriveRestrictedSearchAfterRemovalsFindsEveryHit) {
  Sample s;
  s.disks.folders.erase("C:\\Gone");
  for (const char* f : {"C:\\Gone\\g1.txt", "C:\\Gone\\g2.txt", "C:\\Gone\\g3.txt"})
    s.disks.files.erase(f);
  CleanSearchList(s.list, s.disks, true, nullptr);
  HitList rows = Hits(s.list, {{kKindFile, 1}});
  RemoveEntriesOfRows(s.list, rows, {0}, nullptr);
  SearchQuery q;
  SetQueryText(q, ".");
  q.folders = false;
  SetDriveLetters(q, "E");
  HitList hits;
  ScanSearchList(s.list, q, hits);
  std::vector<std::string> paths;
  for (const auto& h : hits) paths.push_back(h.Path.str());
  EXPECT_EQ(paths, (std::vector<std::string>{"E:\\e.txt", "E:\\Photos\\p.jpg"}));
}

}  // namespace
}  // namespace filvex
