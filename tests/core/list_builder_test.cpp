// The walk that fills a search list, driven by an in-memory folder tree.
#include "searchlist/list_builder.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "searchlist/list_files.h"

namespace filvex {
namespace {

constexpr const char* kDate = "2003/07/14 09:05";

DirEntry File(const std::string& name, uint64_t size = 10, uint32_t attr = kAttrArchive) {
  DirEntry e;
  e.name = name;
  e.size = size;
  e.attributes = attr;
  std::memcpy(e.created, kDate, kDateTextLen);
  std::memcpy(e.written, kDate, kDateTextLen);
  return e;
}
DirEntry Dir(const std::string& name) {
  return File(name, 0, kAttrDirectory);
}
DirEntry Link(const std::string& name) {
  DirEntry e = File(name, 0, kAttrDirectory | kAttrReparsePoint);
  e.link = true;
  return e;
}

// Folders keyed by their path with a trailing "\"; a folder missing from the
// map cannot be listed. Counts listings and checks that one is open at a time.
class FakeTree : public DirectorySource {
 public:
  std::map<std::string, std::vector<DirEntry>> folders;
  std::vector<std::string> opened;
  int nextCalls = 0;
  int openNow = 0;
  int mostOpen = 0;
  // Sets *stopFlag when NextEntry has been called this many times (0: never).
  int stopAfter = 0;
  std::atomic<uint8_t>* stopFlag = nullptr;

  bool OpenFolder(const std::string& dir) override {
    opened.push_back(dir);
    auto it = folders.find(dir);
    if (it == folders.end()) return false;
    current_ = &it->second;
    pos_ = 0;
    mostOpen = std::max(mostOpen, ++openNow);
    return true;
  }
  bool NextEntry(DirEntry& entry) override {
    ++nextCalls;
    if (stopAfter != 0 && nextCalls == stopAfter) stopFlag->store(1);
    if (!current_ || pos_ == current_->size()) return false;
    entry = (*current_)[pos_++];
    return true;
  }
  void CloseFolder() override {
    if (current_) --openNow;
    current_ = nullptr;
  }

 private:
  const std::vector<DirEntry>* current_ = nullptr;
  size_t pos_ = 0;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  ForEachLine(text, [&](std::string_view l) { out.emplace_back(l); });
  return out;
}
std::vector<std::string> FolderTexts(const SearchList& l) {
  return Lines(FolderLinesText(l.FolderList));
}
std::vector<std::string> FileTexts(const SearchList& l) {
  return Lines(FileLinesText(l.FileList));
}

using Strings = std::vector<std::string>;

TEST(ListBuilder, WalkOrderAndFolderNumbers) {
  struct Case {
    const char* what;
    std::map<std::string, std::vector<DirEntry>> tree;
    Strings drives;
    Strings folders;
    Strings files;
  };
  const std::string root = std::string(kRootInfoLine);
  const Case cases[] = {
      {"files of a folder come before its sub-folders, in listing order",
       {{"C:\\", {Dir("d1"), File("f1"), Dir("d2"), File("f2")}},
        {"C:\\d1\\", {File("g"), Dir("d1a")}},
        {"C:\\d1\\d1a\\", {File("h")}},
        {"C:\\d2\\", {File("i")}}},
       {"C:"},
       {"C:", "C:\\d1", "C:\\d1\\d1a", "C:\\d2"},
       {"0=f1", "0=f2", "1=g", "2=h", "3=i"}},
      {"empty and unreadable folders keep their line and give no files",
       {{"C:\\", {Dir("empty"), Dir("locked"), File("x")}}, {"C:\\empty\\", {}}},
       {"C:"},
       {"C:", "C:\\empty", "C:\\locked"},
       {"0=x"}},
      {"a drive that cannot be listed has its root line only",
       {{"D:\\", {File("y")}}},
       {"C:", "D:"},
       {"C:", "D:"},
       {"1=y"}},
      {"dot entries are skipped, names with = kept whole",
       {{"C:\\", {Dir("."), Dir(".."), File("a=b.txt")}}},
       {"C:"},
       {"C:"},
       {"0=a=b.txt"}},
      {"links to folders are recorded but not entered",
       {{"C:\\", {Dir("A")}},
        {"C:\\A\\", {Link("up"), File("f")}},
        {"C:\\A\\up\\", {Link("up"), File("f")}}},
       {"C:"},
       {"C:", "C:\\A", "C:\\A\\up"},
       {"1=f"}},
      {"a line break in a name cannot split a line",
       {{"C:\\", {File("a\nb"), Dir("c\rd")}}, {"C:\\c?d\\", {File("e")}}},
       {"C:"},
       {"C:", "C:\\c?d"},
       {"0=a?b", "1=e"}},
      {"no drives give an empty list", {}, {}, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeTree tree;
    tree.folders = c.tree;
    SearchList list;
    std::atomic<uint8_t> stop{0};
    Strings progress;
    const bool stopped = BuildDrives(c.drives, tree, list, stop,
                                     [&](const std::string& t) { progress.push_back(t); });
    EXPECT_FALSE(stopped);
    EXPECT_EQ(FolderTexts(list), c.folders);
    EXPECT_EQ(FileTexts(list), c.files);
    ASSERT_EQ(list.FolderInfoList.size(), list.FolderList.size());
    ASSERT_EQ(list.FileInfoList.size(), list.FileList.size());
    ASSERT_EQ(progress.size(), c.drives.size());
    for (size_t i = 0; i < c.drives.size(); ++i) {
      EXPECT_EQ(progress[i], DriveProgressText(c.drives[i]));
      const size_t at =
          std::find(c.folders.begin(), c.folders.end(), c.drives[i]) - c.folders.begin();
      EXPECT_EQ(list.FolderInfoList.text(at), root);
    }
    // Every folder is listed once (links never), one listing open at a time.
    EXPECT_LE(tree.mostOpen, 1);
    std::map<std::string, int> listings;
    for (const std::string& d : tree.opened) ++listings[d];
    for (const auto& [dir, n] : listings) EXPECT_EQ(n, 1) << dir;
    EXPECT_EQ(listings.count("C:\\A\\up\\"), 0u);
  }
}

TEST(ListBuilder, FolderNumberFiveExample) {
  // Folder at line 5 holding a.txt, b.txt and S\c.txt.
  FakeTree tree;
  tree.folders["C:\\F\\"] = {File("a.txt"), Dir("S"), File("b.txt")};
  tree.folders["C:\\F\\S\\"] = {File("c.txt")};
  SearchList list;
  for (const char* p : {"C:", "C:\\1", "C:\\2", "C:\\3", "C:\\4", "C:\\F"}) {
    list.FolderList.append(p);
    list.FolderInfoList.appendRoot();
  }
  std::atomic<uint8_t> stop{0};
  ASSERT_TRUE(WalkFolder("C:\\F", tree, list, stop));
  EXPECT_EQ(FileTexts(list), (Strings{"5=a.txt", "5=b.txt", "6=c.txt"}));
  EXPECT_EQ(list.FolderList.path(6), "C:\\F\\S");
  EXPECT_EQ(list.FolderList.size(), 7u);
}

// An entry whose source hands its dates over packed as well, the last-write
// date changed to `written`.
DirEntry Packed(DirEntry e, const char* written) {
  std::memcpy(e.written, written, kDateTextLen);
  e.datesPacked = PackDateText(std::string_view(e.created, kDateTextLen), &e.createdPacked) &&
                  PackDateText(std::string_view(e.written, kDateTextLen), &e.writtenPacked);
  return e;
}

TEST(ListBuilder, InformationLines) {
  struct Case {
    const char* what;
    DirEntry entry;
    const char* line;
  };
  DirEntry late = File("late", 2048, kAttrReadOnly | kAttrHidden | kAttrArchive);
  std::memcpy(late.written, "6000/01/02 03:04", kDateTextLen);
  DirEntry garbage = File("garbage", 0, kAttrNormal);
  garbage.created[3] = '\n';
  const Case cases[] = {
      {"read-only hidden archive, 1 byte", File("a", 1, kAttrReadOnly | kAttrHidden | kAttrArchive),
       "2003/07/14 09:052003/07/14 09:05161"},
      {"normal, empty", File("b", 0, kAttrNormal), "2003/07/14 09:052003/07/14 09:05080"},
      {"2047 bytes", File("c", 2047), "2003/07/14 09:052003/07/14 09:05101"},
      {"2048 bytes", File("d", 2048), "2003/07/14 09:052003/07/14 09:05102"},
      {"a year the packed form cannot hold keeps its text", late,
       "2003/07/14 09:056000/01/02 03:04162"},
      {"an unprintable date is no date", garbage, "1900/01/01 00:002003/07/14 09:05080"},
      {"system hidden folder", File("e", 0, kAttrDirectory | kAttrSystem | kAttrHidden),
       "2003/07/14 09:052003/07/14 09:0523"},
      {"file dates handed over packed", Packed(File("f", 2048, kAttrArchive), "2011/12/13 14:15"),
       "2003/07/14 09:052011/12/13 14:15102"},
      {"folder dates handed over packed", Packed(Dir("g"), "1999/01/02 03:04"),
       "2003/07/14 09:051999/01/02 03:0420"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeTree tree;
    tree.folders["C:\\"] = {c.entry};
    SearchList list;
    std::atomic<uint8_t> stop{0};
    ASSERT_FALSE(BuildDrives({"C:"}, tree, list, stop, nullptr));
    const InfoLines& info = c.entry.isFolder() ? list.FolderInfoList : list.FileInfoList;
    ASSERT_EQ(info.size(), c.entry.isFolder() ? 2u : 1u);
    EXPECT_EQ(info.text(info.size() - 1), c.line);
  }
}

TEST(ListBuilder, StopIsHonouredWithinOneEntry) {
  struct Case {
    const char* what;
    int stopAfter;
  };
  for (const Case& c :
       {Case{"while listing the root's files", 2}, Case{"deep inside the first drive", 7}}) {
    SCOPED_TRACE(c.what);
    FakeTree tree;
    tree.folders["C:\\"] = {File("1"), File("2"), Dir("A"), File("3")};
    tree.folders["C:\\A\\"] = {Dir("B"), File("4")};
    tree.folders["C:\\A\\B\\"] = {File("5"), File("6"), File("7"), File("8")};
    tree.folders["D:\\"] = {File("9")};
    std::atomic<uint8_t> stop{0};
    tree.stopFlag = &stop;
    tree.stopAfter = c.stopAfter;
    SearchList list;
    int drives = 0;
    EXPECT_TRUE(BuildDrives({"C:", "D:"}, tree, list, stop, [&](const std::string&) { ++drives; }));
    EXPECT_EQ(tree.nextCalls, c.stopAfter);
    EXPECT_EQ(drives, 1);
    EXPECT_EQ(tree.openNow, 0);  // the open listing was closed
  }
}

// A tree of some thousand folders: three levels of ten sub-folders under
// each drive root, twenty files per folder listed among the sub-folders, some
// folders unreadable and some links.
FakeTree BigTree(const Strings& drives) {
  FakeTree tree;
  int n = 0;
  std::vector<std::string> level;
  for (const std::string& d : drives) level.push_back(d + "\\");
  for (int depth = 0; depth <= 3; ++depth) {
    std::vector<std::string> below;
    for (const std::string& dir : level) {
      if (++n % 7 == 0) continue;  // cannot be listed
      std::vector<DirEntry>& entries = tree.folders[dir];
      for (int i = 0; i < 20; ++i) {
        entries.push_back(File("f" + std::to_string(i) + ".txt", static_cast<uint64_t>(i) * 1000));
        if (depth < 3 && i % 2 == 0) {
          const std::string name = "d" + std::to_string(i / 2);
          entries.push_back(i % 11 == 10 ? Link(name) : Dir(name));
          if (i % 11 != 10) below.push_back(dir + name + "\\");
        }
      }
    }
    level = below;
  }
  return tree;
}

// The walk as a plain recursive two-pass listing of the fake's folders.
void ReferenceWalk(const FakeTree& tree, const std::string& path, Strings& folders,
                   Strings& files) {
  const auto it = tree.folders.find(path + "\\");
  if (it == tree.folders.end()) return;
  const size_t number = folders.size() - 1;
  for (const DirEntry& e : it->second) {
    if (!e.isFolder()) files.push_back(std::to_string(number) + "=" + e.name);
  }
  for (const DirEntry& e : it->second) {
    if (!e.isFolder()) continue;
    folders.push_back(path + "\\" + e.name);
    if (!e.link) ReferenceWalk(tree, path + "\\" + e.name, folders, files);
  }
}

TEST(ListBuilder, BigTreeGivesTheListsOfATwoPassWalk) {
  FakeTree tree = BigTree({"C:", "D:"});
  Strings folders, files;
  for (const char* root : {"C:", "D:"}) {
    folders.push_back(root);
    ReferenceWalk(tree, root, folders, files);
  }
  ASSERT_GT(files.size(), 20000u);
  SearchList list;
  std::atomic<uint8_t> stop{0};
  ASSERT_FALSE(BuildDrives({"C:", "D:"}, tree, list, stop, nullptr));
  EXPECT_EQ(FolderTexts(list), folders);
  EXPECT_EQ(FileTexts(list), files);
  ASSERT_EQ(list.FileInfoList.size(), files.size());
  EXPECT_EQ(list.FileInfoList.sizeKB(files.size() - 1), 18u);  // f19.txt: 19,000 bytes
  EXPECT_EQ(tree.mostOpen, 1);
}

TEST(ListBuilder, StopRequestedBeforeTheStartBuildsNothing) {
  FakeTree tree;
  tree.folders["C:\\"] = {File("1")};
  std::atomic<uint8_t> stop{1};
  SearchList list;
  EXPECT_TRUE(BuildDrives({"C:"}, tree, list, stop, nullptr));
  EXPECT_EQ(list.FolderList.size(), 0u);
  EXPECT_TRUE(tree.opened.empty());
}

TEST(ListBuilder, PerDriveCountsMatchTheBlocks) {
  FakeTree tree;
  tree.folders["C:\\"] = {File("a"), Dir("x"), File("b")};
  tree.folders["C:\\x\\"] = {File("c")};
  tree.folders["D:\\"] = {Dir("y")};
  tree.folders["D:\\y\\"] = {File("d"), Dir("z")};
  SearchList list;
  std::atomic<uint8_t> stop{0};
  ASSERT_FALSE(BuildDrives({"C:", "D:", "E:"}, tree, list, stop, nullptr));
  DriveCounts folders, files;
  CountEntriesPerDrive(list, folders, files);
  EXPECT_EQ(DriveCountsText(folders), "C=2\r\nD=3\r\nE=1\r\n");
  EXPECT_EQ(DriveCountsText(files), "C=3\r\nD=1\r\n");
}

// A folder chain of any depth, made up as it is listed: each level (the root is level 1) holds one
// file and one sub-folder "d" until `depth` levels exist.
class ChainTree : public DirectorySource {
 public:
  explicit ChainTree(int depth) : depth_(depth) {}
  bool OpenFolder(const std::string& dir) override {
    level_ = 0;
    for (char ch : dir) level_ += ch == '\\';
    pos_ = 0;
    return true;
  }
  bool NextEntry(DirEntry& e) override {
    if (pos_ == 0) {
      ++pos_;
      e = File("f");
      return true;
    }
    if (pos_ == 1 && level_ <= depth_) {
      ++pos_;
      e = Dir("d");
      return true;
    }
    return false;
  }
  void CloseFolder() override {}

 private:
  int depth_, level_ = 0, pos_ = 0;
};

struct DeepRun {
  int depth;
  SearchList list;
  bool stopped = true;
};

void* RunDeep(void* arg) {
  auto* run = static_cast<DeepRun*>(arg);
  ChainTree tree(run->depth);
  std::atomic<uint8_t> stop{0};
  run->stopped = BuildDrives({"C:"}, tree, run->list, stop, nullptr);
  return nullptr;
}

TEST(ListBuilder, DeepTreeBuildsOnASmallStack) {
  // 10,000 levels on a 256 KB stack: a walk that recursed per level would
  // need far more than that.
  DeepRun run;
  run.depth = 10000;
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 256 * 1024);
  pthread_t thread;
  ASSERT_EQ(pthread_create(&thread, &attr, RunDeep, &run), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);

  EXPECT_FALSE(run.stopped);
  ASSERT_EQ(run.list.FolderList.size(), 10001u);
  ASSERT_EQ(run.list.FileList.size(), 10001u);
  EXPECT_EQ(run.list.FolderList.path(10000).size(), 2u + 2u * 10000u);
  EXPECT_EQ(run.list.FileList.folder(10000), 10000u);
  EXPECT_EQ(run.list.FileList.folder(9999), 9999u);
}

TEST(ListBuilder, DriveRootsFromSystemStrings) {
  using namespace std::string_literals;
  struct Case {
    std::string strings;
    Strings roots;
  };
  const Case cases[] = {
      {"C:\\\0D:\\\0\0"s, {"C:", "D:"}},
      {"A:\\\0C:\\\0Z:\\\0\0"s, {"A:", "C:", "Z:"}},
      {"\0"s, {}},
      {""s, {}},
      {"C:\\\0X\0E:\\\0"s, {"C:", "E:"}},  // short string skipped, missing final NUL
  };
  for (const Case& c : cases) EXPECT_EQ(DriveRootsFromStrings(c.strings), c.roots);
}

TEST(ListBuilder, ProgressTextNamesTheDrive) {
  const std::string text = DriveProgressText("C:");
  EXPECT_EQ(text.substr(0, 3), "C: ");
  EXPECT_EQ(text.substr(text.size() - 5), "...  ");
  // CP932 bytes of ド (83 68) right after the space.
  EXPECT_EQ(static_cast<unsigned char>(text[3]), 0x83);
  EXPECT_EQ(static_cast<unsigned char>(text[4]), 0x68);
}

}  // namespace
}  // namespace filvex
